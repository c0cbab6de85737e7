#include "Form_EntranceGroupNowView.h"

#include "components/grids/StrSortGrid.h"
#include "dbengine/Query.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/data/Unit_Users.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace entrance {

namespace {

// The heading and the time column's header of each mode.
const struct {
    const char* Heading;
    const char* TimeHeader;
} ModeTexts[] = {
    {"延べ入室人数", "入室時間"}, {"延べ退室人数", "退室時間"}, {"在室人数", "入室時間"}};

} // namespace

TfrmEntranceGroupNowView::TfrmEntranceGroupNowView(QWidget* owner, TRoomLogMode roomLogMode,
                                                   int roomLogCode, const QString& roomLogName)
    : TForm(owner), RoomLogMode(roomLogMode), RoomLogCode(roomLogCode), FUsers(new TUsers),
      FReader(new TRoomLogReader(TempTableName(TempLogDetailPrefix))) {
    CreateControls();
    TWaitWindowScope wait(this, LoadStr(65148));
    Timer1->stop();
    pnlView->setText(ModeTexts[RoomLogMode].Heading);
    LogGrid->SetCells(3, 0, ModeTexts[RoomLogMode].TimeHeader);
    Ed_Group->setText(roomLogName);
    TQuery sqlGroup;
    sqlGroup.SetDatabaseName("RORazu");
    sqlGroup.SQL().Assign(QStringList{"SELECT 認証機ID", "FROM M_認証機グループ",
                                      "WHERE 認証機グループコード =" + QString::number(RoomLogCode),
                                      "ORDER BY 認証機ID"});
    for (sqlGroup.Open(); !sqlGroup.Eof(); sqlGroup.Next())
        FUnitIDs << sqlGroup.FieldByName("認証機ID")->AsInteger();
    sqlGroup.Close();
    FUsers->Load(nullptr, 0);
    FEntrance = new TEntrance;
    Ed_Time->setText(ReadAppRegistry("EntranceDayLine"));
    Timer1Timer();
    Timer1->start();
}

TfrmEntranceGroupNowView::~TfrmEntranceGroupNowView() {
    delete FEntrance;
    delete FUsers;
    delete FReader;
}

void TfrmEntranceGroupNowView::CreateControls() {
    setWindowTitle("部屋別入退室状況");
    auto* layout = new QGridLayout(this);
    Ed_Date = new QLabel(this);
    layout->addWidget(Ed_Date, 0, 0, 1, 2);
    pnlView = new QLabel(this);
    pnlView->setAlignment(Qt::AlignCenter);
    pnlView->setFrameShape(QFrame::Panel);
    layout->addWidget(pnlView, 1, 0);
    Ed_Group = new QLabel(this);
    Ed_Group->setFrameShape(QFrame::Panel);
    layout->addWidget(Ed_Group, 1, 1);
    Ed_INCount = new QLabel("0", this);
    Ed_INCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Ed_INCount->setFrameShape(QFrame::Panel);
    layout->addWidget(Ed_INCount, 1, 2);
    Ed_Time = new QLineEdit(this);
    Ed_Time->hide();
    LogGrid = new TStrSortGrid(this);
    LogGrid->SetColCount(4);
    LogGrid->SetRowCount(2);
    LogGrid->SetFixedCols(0);
    LogGrid->SetFixedRows(1);
    LogGrid->SetOptions(LogGrid->Options() | goRowSelect);
    const int widths[] = {90, 160, 160, 90};
    const char* headers[] = {"個人コード", "氏　　　名", "部　門　名", ""};
    for (int c = 0; c < 4; ++c) {
        LogGrid->SetColWidths(c, widths[c]);
        LogGrid->SetCells(c, 0, headers[c]);
    }
    LogGrid->SetSortType(soString);
    LogGrid->SetSortRows(1);
    LogGrid->setMinimumSize(540, 320);
    layout->addWidget(LogGrid, 2, 0, 1, 3);
    btnClose = new QPushButton("閉じる", this);
    layout->addWidget(btnClose, 3, 2);
    EscapeButton = btnClose;
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
}

void TfrmEntranceGroupNowView::FormShow() {
    CenterInMainArea();
}

void TfrmEntranceGroupNowView::FormClose(TCloseAction& action) {
    Timer1->stop();
    action = caFree;
}

void TfrmEntranceGroupNowView::Timer1Timer() {
    const TDateTime now = Now();
    Ed_Date->setText(RoomViewDateText(now));
    if (FWatch.Changed(*FEntrance, now, NormalizeDayLine(Ed_Time->text())))
        LoadRoomLog();
}

void TfrmEntranceGroupNowView::LoadRoomLog() {
    ClearGridRowsFrom(LogGrid, 1);
    Ed_Time->setText(NormalizeDayLine(Ed_Time->text()));
    const TDateTime now = Now();
    const TCountingDay day = CountingDayOf(now, Ed_Time->text());
    const QList<TRoomLogRecord> records =
        FReader->Read(*FEntrance, day, now, {TEntrance::GroupIDCondition(RoomLogCode)});
    const QList<TRoomLogRecord> lines = RoomLogLines(RoomLogMode, FUnitIDs, records, day.Start);
    for (const TRoomLogRecord& line : lines)
        ListLine(line);
    // One empty row stays when nothing qualifies.
    LogGrid->SetRowCount(1 + std::max<int>(1, int(lines.size())));
    LogGrid->SetSortRows(int(lines.size()));
    Ed_INCount->setText(QString::number(lines.size()));
}

void TfrmEntranceGroupNowView::ListLine(const TRoomLogRecord& record) {
    const int row = LogGrid->RowCount() - 1;
    LogGrid->SetRows(row, {record.PersonCode, FUsers->NameOfCode(record.PersonCode),
                           FUsers->DeptNameOfCode(record.PersonCode),
                           FormatDateTime("hh:nn:ss", record.Time)});
    LogGrid->SetRowCount(row + 2);
}

} // namespace entrance
