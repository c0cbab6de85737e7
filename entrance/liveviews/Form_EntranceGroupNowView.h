#pragma once

#include "entrance/liveviews/RoomLog.h"
#include "ui/Form.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TStrSortGrid;

namespace entrance {

class TEntrance;
class TUsers;

// The room detail list: the records behind one counter of a room's tile (every entry, every
// exit, or each person present with the latest entry) since the counting day began, newest
// first, with the number of lines. It loads again when the counting day or the month's log
// file changes.
class TfrmEntranceGroupNowView final : public TForm {
    Q_OBJECT
public:
    TfrmEntranceGroupNowView(QWidget* owner, TRoomLogMode roomLogMode, int roomLogCode,
                             const QString& roomLogName);
    ~TfrmEntranceGroupNowView() override;

    QLabel* Ed_Date;
    QLabel* pnlView;
    QLabel* Ed_Group;
    QLabel* Ed_INCount;
    QLineEdit* Ed_Time;
    TStrSortGrid* LogGrid;
    QPushButton* btnClose;
    QTimer* Timer1;

    const TRoomLogMode RoomLogMode;
    const int RoomLogCode;

    void Timer1Timer();
    void LoadRoomLog();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void ListLine(const TRoomLogRecord& record);

    TUsers* FUsers;
    TEntrance* FEntrance = nullptr;
    TRoomLogReader* FReader;
    TRoomLogWatch FWatch;
    QList<int> FUnitIDs;
};

} // namespace entrance
