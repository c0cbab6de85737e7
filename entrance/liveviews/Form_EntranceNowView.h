#pragma once

#include "base/FileStamp.h"
#include "entrance/reports/rules/RecordRules.h"
#include "ui/Form.h"
#include "ui/Rect.h"

#include <QList>
#include <QPointer>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTimer;
class TMOStringGrid;

namespace entrance {

class TEntrance;
struct TLogReportRequest;
class TPickedDate;
class TUsers;

// The live view of one day: the entry and exit records of a person or a unit picked from a
// filtered person list or the unit list, with a summary of the latest record and the day's
// counts; it follows new records each second while the day shown is today, and prints what
// it shows through the record reports.
//
// State: the mode is person (FUserMode) or unit; the person shown is pnlUserCode, the unit
// shown pnlEntranceCode (kept when the summary is blanked, so a date change reloads that
// unit). FBusy keeps the poll from reloading while the screen is created or a pick loads.
// FLogStamp is the month file's modification time and size the poll saw last.
class TfrmEntranceNowView final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceNowView(QWidget* owner = nullptr);
    ~TfrmEntranceNowView() override;

    QLabel* pnlDate;
    // The day is typed into the box or picked from the picker beside it.
    QLineEdit* Ed_sDateBox;
    QDateEdit* Ed_sDate;
    QPushButton* btnMoveToday;
    QPushButton* btnUserView;
    QPushButton* btnEntView;
    QStackedWidget* pnlLists;
    QWidget* pnlUser;
    QComboBox* cmbCategory;
    QComboBox* cmbKana;
    QComboBox* cmbUserCode;
    QCheckBox* ChkIsLogSerch;
    QCheckBox* ChkErrorView;
    QPushButton* btnSearch;
    QPushButton* btnClear;
    TMOStringGrid* UserGrid;
    TMOStringGrid* EntGrid1;
    QLabel* PanelGridMsg;
    TMOStringGrid* LogGrid;
    QLabel* pnlEntranceCode;
    QLabel* pnlEntranceName;
    QLabel* pnlUserCode;
    QLabel* pnlUserName;
    QLabel* pnlINorOUT;
    QLabel* pnlOpeTime;
    QLabel* pnlLivingTime;
    QLabel* pnlINCount;
    QLabel* pnlOUTCount;
    QLabel* pnlErrorCount;
    QLabel* pnlOpeRate;
    QLabel* pnlMessage;
    QLabel* pnlPrintView;
    QPushButton* BitBtn2;
    QPushButton* btnClose;
    QTimer* Timer1;

    // The day shown.
    TDateTime ShownDate() const;
    void SetShownDate(TDateTime date);

    void btnUserViewClick();
    void btnEntViewClick();
    void btnSearchClick();
    void btnClearClick();
    void UserGridDblClick();
    void EntGrid1DblClick();
    void Ed_sDateChange();
    void btnMoveTodayClick();
    void BitBtn2Click();
    void Timer1Timer();
    // Loads the day's records of the unit when `unitID` is not 0, else of the person.
    void LoadLogGrid(const QString& personCode, int unitID = 0);
    void ClearSummary();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateSummary();
    void FormCreate();
    void FillUnitList();
    void SwitchMode(bool userMode);
    void LoadPicked(const QString& personCode, int unitID);
    // The person codes with records on the shown day; none without the month's table.
    QStringList CodesWithRecords() const;
    void ShowLatest(int row, const TRecordCounts& counts);
    void LogGridDrawCell(int col, int row, const TRect& rect);
    TFileStamp LogFileStamp() const;
    template <class Report>
    void PrintThrough(QPointer<Report>& slot, const TLogReportRequest& request);

    std::unique_ptr<TUsers> FUsers;
    std::unique_ptr<TEntrance> FEntrance;
    bool FUserMode = true;
    bool FBusy = true;
    bool FFirstTick = true;
    TFileStamp FLogStamp;
    TPickedDate* FDate = nullptr;
    // The latest record's date and time, for its elapsed time; 0 while none is shown.
    TDateTime FLatestTime = 0;
    // The operation column's colour of each record row, from row 1.
    QList<TColor> FLineColors;
};

} // namespace entrance
