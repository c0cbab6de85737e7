#pragma once

#include "entrance/liveviews/RoomLog.h"
#include "ui/Form.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace entrance {

class TEntrance;
class TframEntranceGroupNowView;

// The room status list: one tile per room with the entries, exits and persons present since
// the counting day began, the tile of one room in front. It counts again whenever the
// counting day moves on or the month's log file changes, and when the day-change time is set.
class TfrmEntranceGroupNowViewList final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceGroupNowViewList(QWidget* owner);
    ~TfrmEntranceGroupNowViewList() override;

    QLabel* pnlDate;
    QListWidget* ListView1;
    QStackedWidget* ScrollBox1;
    QLineEdit* Ed_Time1;
    QLineEdit* Ed_Time2;
    QPushButton* btnDateLine;
    QPushButton* btnClose;
    QTimer* Timer1;

    const QList<TframEntranceGroupNowView*>& Tiles() const { return FTiles; }
    // The tile in front.
    TframEntranceGroupNowView* FrontTile() const;

    void Timer1Timer();
    void RecountRooms();
    void SetDayLine(const QString& text);
    void btnDateLineClick();
    void ListView1DblClick();
    void OpenRoomLog(QPushButton* sender);

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    // Reads the rooms and makes their tiles; false when there is none.
    bool LoadRooms();
    void BringToFront(int roomCode);

    TEntrance* FEntrance = nullptr;
    TRoomLogReader* FReader;
    TRoomLogWatch FWatch;
    QList<TframEntranceGroupNowView*> FTiles;
    QString FDayLine;
    int FFrontRoom = 0;
};

} // namespace entrance
