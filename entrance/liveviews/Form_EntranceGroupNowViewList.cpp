#include "Form_EntranceGroupNowViewList.h"

#include "dbengine/Query.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/liveviews/Frame_EntranceGroupNowView.h"
#include "ui/ShowMessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTimer>

namespace entrance {

namespace {

// The icon list marks the room in front with image 1, the others with image 0.
void MarkIcon(QListWidgetItem* item, bool front) {
    QFont font = item->font();
    font.setBold(front);
    item->setFont(font);
    item->setData(Qt::UserRole + 1, front ? 1 : 0);
}

} // namespace

TfrmEntranceGroupNowViewList::TfrmEntranceGroupNowViewList(QWidget* owner)
    : TForm(owner), FReader(new TRoomLogReader(TempTableName(TempLogListPrefix))) {
    CreateControls();
    TWaitWindowScope wait(this, LoadStr(65148));
    Timer1->stop();
    FEntrance = new TEntrance;
    SetDayLine(ReadAppRegistry("EntranceDayLine"));
    FFrontRoom = ReadAppRegistry("EntranceLastViewPanel").toInt();
    if (!LoadRooms()) {
        ShowMessage(LoadStr(65138));
        close();
        return;
    }
    Timer1Timer();
    Timer1->start();
}

TfrmEntranceGroupNowViewList::~TfrmEntranceGroupNowViewList() {
    while (!FTiles.isEmpty())
        delete FTiles.takeLast();
    delete FEntrance;
    delete FReader;
}

void TfrmEntranceGroupNowViewList::CreateControls() {
    setWindowTitle("部屋別入退室状況");
    auto* layout = new QGridLayout(this);
    pnlDate = new QLabel(this);
    layout->addWidget(pnlDate, 0, 0);
    auto* dayLine = new QHBoxLayout;
    dayLine->addStretch();
    dayLine->addWidget(new QLabel("日替時刻", this));
    Ed_Time1 = new QLineEdit(this);
    Ed_Time2 = new QLineEdit(this);
    for (QLineEdit* edit : {Ed_Time1, Ed_Time2}) {
        edit->setMaxLength(2);
        edit->setFixedWidth(36);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    }
    dayLine->addWidget(Ed_Time1);
    dayLine->addWidget(new QLabel(":", this));
    dayLine->addWidget(Ed_Time2);
    btnDateLine = new QPushButton("日替登録", this);
    dayLine->addWidget(btnDateLine);
    layout->addLayout(dayLine, 0, 1);
    ListView1 = new QListWidget(this);
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(false);
    ListView1->setFixedHeight(64);
    layout->addWidget(ListView1, 1, 0, 1, 2);
    ScrollBox1 = new QStackedWidget(this);
    layout->addWidget(ScrollBox1, 2, 0, 1, 2);
    btnClose = new QPushButton("閉じる", this);
    layout->addWidget(btnClose, 3, 1, Qt::AlignRight);
    EscapeButton = btnClose;
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(btnDateLine, &QPushButton::clicked, this, [this] { btnDateLineClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(ListView1, &QListWidget::itemDoubleClicked, this, [this] { ListView1DblClick(); });
}

bool TfrmEntranceGroupNowViewList::LoadRooms() {
    TQuery sqlGroup;
    sqlGroup.SetDatabaseName("RORazu");
    sqlGroup.SQL().Assign(QStringList{"SELECT 認証機グループコード,認証機グループ名",
                                      "FROM M_認証機グループ", "WHERE 認証機グループコード<>0",
                                      "GROUP BY 認証機グループコード,認証機グループ名",
                                      "ORDER BY 認証機グループコード"});
    ListView1->clear();
    for (sqlGroup.Open(); !sqlGroup.Eof(); sqlGroup.Next()) {
        const int code = sqlGroup.FieldByName("認証機グループコード")->AsInteger();
        const QString name = sqlGroup.FieldByName("認証機グループ名")->AsString();
        auto* tile = new TframEntranceGroupNowView(ScrollBox1);
        tile->setObjectName("frame_head" + QString::number(FTiles.size()));
        tile->LoadGroup(code);
        tile->SetGroupName(name);
        tile->OnButtonClick = [this](QPushButton* sender) { OpenRoomLog(sender); };
        ScrollBox1->addWidget(tile);
        FTiles << tile;
        auto* item = new QListWidgetItem(name, ListView1);
        item->setData(Qt::UserRole, code);
        MarkIcon(item, false);
    }
    sqlGroup.Close();
    if (FTiles.isEmpty())
        return false;
    const bool known = std::any_of(FTiles.begin(), FTiles.end(),
                                   [this](auto* tile) { return tile->RoomCode() == FFrontRoom; });
    BringToFront(known ? FFrontRoom : FTiles.first()->RoomCode());
    return true;
}

void TfrmEntranceGroupNowViewList::BringToFront(int roomCode) {
    for (int i = 0; i < FTiles.size(); ++i) {
        const bool front = FTiles[i]->RoomCode() == roomCode;
        MarkIcon(ListView1->item(i), front);
        if (front)
            ScrollBox1->setCurrentWidget(FTiles[i]);
    }
    FFrontRoom = roomCode;
}

TframEntranceGroupNowView* TfrmEntranceGroupNowViewList::FrontTile() const {
    return qobject_cast<TframEntranceGroupNowView*>(ScrollBox1->currentWidget());
}

void TfrmEntranceGroupNowViewList::FormShow() {
    CenterInMainArea();
}

void TfrmEntranceGroupNowViewList::FormClose(TCloseAction& action) {
    Timer1->stop();
    WriteAppRegistry("EntranceLastViewPanel", QString::number(FFrontRoom));
    action = caFree;
}

void TfrmEntranceGroupNowViewList::SetDayLine(const QString& text) {
    FDayLine = NormalizeDayLine(text);
    Ed_Time1->setText(FDayLine.section(':', 0, 0));
    Ed_Time2->setText(FDayLine.section(':', 1, 1));
}

void TfrmEntranceGroupNowViewList::btnDateLineClick() {
    SetDayLine(Ed_Time1->text() + ":" + Ed_Time2->text());
    WriteAppRegistry("EntranceDayLine", FDayLine);
    RecountRooms();
}

void TfrmEntranceGroupNowViewList::Timer1Timer() {
    const TDateTime now = Now();
    pnlDate->setText(RoomViewDateText(now));
    if (FWatch.Changed(*FEntrance, now, FDayLine))
        RecountRooms();
}

void TfrmEntranceGroupNowViewList::RecountRooms() {
    if (FTiles.isEmpty())
        return;
    const TDateTime now = Now();
    const TCountingDay day = CountingDayOf(now, FDayLine);
    const QList<TRoomLogRecord> records = FReader->Read(*FEntrance, day, now, {});
    for (TframEntranceGroupNowView* tile : FTiles)
        tile->ShowCounts(CountRoom(tile->UnitIDs(), records, day.Start));
}

void TfrmEntranceGroupNowViewList::ListView1DblClick() {
    if (QListWidgetItem* item = ListView1->currentItem())
        BringToFront(item->data(Qt::UserRole).toInt());
}

void TfrmEntranceGroupNowViewList::OpenRoomLog(QPushButton* sender) {
    WriteAppRegistry("EntranceDayLine", FDayLine);
    auto* tile = qobject_cast<TframEntranceGroupNowView*>(sender->parentWidget()->parentWidget());
    setEnabled(false);
    try {
        tile->btnLogINsClick(sender);
    } catch (...) {
        setEnabled(true);
        throw;
    }
    setEnabled(true);
}

} // namespace entrance
