#pragma once

#include "base/CurrentObject.h"
#include "entrance/common/Unit_CommonDates.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace entrance {

class TDM1;
class TDM3;
class TRep_Bumon;
class TRep_EntranceDayLogTotal;
class TRep_EntranceMonthLogTotal;
class TRep_EntranceUserLog;
class TRep_Jigyosyo;
class TRep_Ninsyoki;
class TRep_RoomLogView;
class TRep_RoomNinsyoki;
class TRep_UserEntranceLog;
class TRep_UserNinsyoki;
class TRep_UserSingleInfo;
class TRep_UserView;
class TfrmBackupSetup;
class TfrmCategorySetup;
class TfrmCompanySetup;
class TfrmEntranceGroupNowView;
class TfrmEntranceGroupNowViewList;
class TfrmEntranceGroupSetup;
class TfrmEntranceGroupSetup_Sub0;
class TfrmEntranceItemSetup;
class TfrmEntranceItemSetup_Sub0;
class TfrmEntranceNowView;
class TfrmEntranceUser;
class TfrmEntranceUserLogViewPrint;
class TfrmLogDelete;
class TfrmMessage;
class TfrmOperatorSetup;
class TfrmPrintRiyosya;
class TfrmPrintSetupByEntrance;
class TfrmPrintSetupByRoom;
class TfrmPrintSetupByUser;
class TfrmUserEntranceGazo;
class TfrmUserEntry;
class TfrmUserListUp;
class TmdiMainMenu;

// The logged-in operator.
struct TOperatorRec {
    int Code = 0;
    QString Name;
    int Rank = 0; // 0 管理者, 1 一般, 2 経理
    QString PassWD;
};

// One run of the management program: where its data is, how the login reached it, who is
// logged in, the processing period and the data modules. The program's start makes one, and
// each test a fresh one; the newest that lives is the current one (EntranceSession()).
class TEntranceSession : public TCurrentObject<TEntranceSession> {
public:
    // A program file in the data folder; the data folder is its folder.
    QString DataPath;
    // Logged in to the data of another PC.
    bool NetworkMode = false;
    QString RemotePCName;
    // Where the PC list's last search found the computers announced on the network, by
    // upper-cased name (see HostToIPStr).
    QHash<QString, QStringList> AnnouncedHosts;
    // This PC's IPv4 address without its dots: the suffix of the per-PC temporary tables.
    QString LocalIPDigits;
    // The dial-up value saved at a remote login; -1: nothing to restore.
    int SavedAutoDial = -1;
    TOperatorRec CurrentOperator;
    TDisposalDayD ProcessingPeriod;
    // The main window's top panel (Panel1) while it exists: the wait window opens below it.
    QPointer<QWidget> MainTopPanel;
    // The data modules while they exist (TDataModules makes them).
    TDM1* DM1 = nullptr;
    TDM3* DM3 = nullptr;
    // Each screen and report form while it is open: one at a time, made on first use.
    QPointer<TfrmBackupSetup> frmBackupSetup;
    QPointer<TfrmCategorySetup> frmCategorySetup;
    QPointer<TfrmCompanySetup> frmCompanySetup;
    QPointer<TfrmEntranceGroupNowView> frmEntranceGroupNowView;
    QPointer<TfrmEntranceGroupNowViewList> frmEntranceGroupNowViewList;
    QPointer<TfrmEntranceGroupSetup> frmEntranceGroupSetup;
    QPointer<TfrmEntranceGroupSetup_Sub0> frmEntranceGroupSetup_Sub0;
    QPointer<TfrmEntranceItemSetup> frmEntranceItemSetup;
    QPointer<TfrmEntranceItemSetup_Sub0> frmEntranceItemSetup_Sub0;
    QPointer<TfrmEntranceNowView> frmEntranceNowView;
    QPointer<TfrmEntranceUser> frmEntranceUser;
    QPointer<TfrmEntranceUserLogViewPrint> frmEntranceUserLogViewPrint;
    QPointer<TfrmLogDelete> frmLogDelete;
    QPointer<TfrmMessage> frmMessage;
    QPointer<TfrmOperatorSetup> frmOperatorSetup;
    QPointer<TfrmPrintRiyosya> frmPrintRiyosya;
    QPointer<TfrmPrintSetupByEntrance> frmPrintSetupByEntrance;
    QPointer<TfrmPrintSetupByRoom> frmPrintSetupByRoom;
    QPointer<TfrmPrintSetupByUser> frmPrintSetupByUser;
    QPointer<TfrmUserEntranceGazo> frmUserEntranceGazo;
    QPointer<TfrmUserEntry> frmUserEntry;
    QPointer<TfrmUserListUp> frmUserListUp;
    QPointer<TmdiMainMenu> mdiMainMenu;
    QPointer<TRep_Bumon> Rep_Bumon;
    QPointer<TRep_EntranceDayLogTotal> Rep_EntranceDayLogTotal;
    QPointer<TRep_EntranceMonthLogTotal> Rep_EntranceMonthLogTotal;
    QPointer<TRep_EntranceUserLog> Rep_EntranceUserLog;
    QPointer<TRep_Jigyosyo> Rep_Jigyosyo;
    QPointer<TRep_Ninsyoki> Rep_Ninsyoki;
    QPointer<TRep_RoomLogView> Rep_RoomLogView;
    QPointer<TRep_RoomNinsyoki> Rep_RoomNinsyoki;
    QPointer<TRep_UserEntranceLog> Rep_UserEntranceLog;
    QPointer<TRep_UserNinsyoki> Rep_UserNinsyoki;
    QPointer<TRep_UserSingleInfo> Rep_UserSingleInfo;
    QPointer<TRep_UserView> Rep_UserView;
};

// The current session. The screens, reports and shared routines are reached from menus,
// timers and each other; this one access point gives them the program's state instead of a
// global each. There must be a session.
inline TEntranceSession& EntranceSession() {
    return TEntranceSession::Current();
}

} // namespace entrance
