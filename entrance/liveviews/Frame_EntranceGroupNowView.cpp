#include "Frame_EntranceGroupNowView.h"

#include "components/DigitalNumber.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/liveviews/Form_EntranceGroupNowView.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace entrance {

namespace {

constexpr int DigitWidth = 38;
constexpr int DigitHeight = 68;
constexpr TColor PanelColor = 0x00404040;
constexpr TColor LitColor = 0x0000FFFF;

} // namespace

TframEntranceGroupNowView::TframEntranceGroupNowView(QWidget* owner)
    : QFrame(owner), sqlGroup(std::make_unique<TQuery>()) {
    auto* layout = new QVBoxLayout(this);
    lblGroupName = new QLabel("　部屋名:", this);
    QFont font = lblGroupName->font();
    font.setPointSize(16);
    lblGroupName->setFont(font);
    layout->addWidget(lblGroupName);
    auto* counters = new QHBoxLayout;
    counters->addWidget(
        CreateCounter("入　室　数", Ed_LogINs, FLogINs, btnLogINs, "入 室 記 録 表 示"));
    counters->addWidget(
        CreateCounter("退　室　数", Ed_LogOUTs, FLogOUTs, btnLogOUTs, "退 室 記 録 表 示"));
    counters->addWidget(
        CreateCounter("在　室　数", Ed_NowIN, FNowIN, btnNowIN, "在 室 人 数 表 示"));
    layout->addLayout(counters);
    layout->addStretch();
    Ed_LogINs->setObjectName("Ed_LogINs");
    Ed_LogOUTs->setObjectName("Ed_LogOUTs");
    Ed_NowIN->setObjectName("Ed_NowIN");
    btnLogINs->setObjectName("btnLogINs");
    btnLogOUTs->setObjectName("btnLogOUTs");
    btnNowIN->setObjectName("btnNowIN");
    for (QPushButton* button : {btnLogINs, btnLogOUTs, btnNowIN})
        connect(button, &QPushButton::clicked, this, [this, button] {
            if (OnButtonClick)
                OnButtonClick(button);
        });
    ResetCounters();
}

TframEntranceGroupNowView::~TframEntranceGroupNowView() {
    // The detail belongs to the tile that opened it.
    if (FDetail)
        FDetail->close();
}

QWidget* TframEntranceGroupNowView::CreateCounter(const QString& title, QLabel*& panel,
                                                  TCounterDigits& digits, QPushButton*& button,
                                                  const QString& caption) {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    auto* heading = new QLabel(title, box);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    panel = new QLabel(box);
    panel->setFixedSize(10 + 6 * DigitWidth, DigitHeight * 3 / 2);
    CreateDigits(panel, digits);
    layout->addWidget(panel, 0, Qt::AlignHCenter);
    button = new QPushButton(caption, box);
    layout->addWidget(button);
    return box;
}

// The caption stays behind the digits, in the panel's own colour.
void TframEntranceGroupNowView::CreateDigits(QLabel* panel, TCounterDigits& digits) {
    for (int i = 0; i < 6; ++i) {
        auto* digit = new TSingleDigitalNumber(panel);
        digit->SetBackColor(PanelColor);
        digit->SetDarkColor(PanelColor);
        digit->SetLightColor(LitColor);
        digit->setGeometry(5 + DigitWidth * i, panel->height() / 4, DigitWidth, DigitHeight);
        digit->SetLineWidth(5);
        digit->SetDotEnabled(false);
        digit->SetCharValue(' ');
        digits[i] = digit;
    }
    panel->setAutoFillBackground(true);
    panel->setStyleSheet("background-color: black; color: black;");
}

const TCounterDigits& TframEntranceGroupNowView::DigitsOf(QLabel* panel) const {
    if (panel == Ed_LogINs)
        return FLogINs;
    return panel == Ed_LogOUTs ? FLogOUTs : FNowIN;
}

void TframEntranceGroupNowView::ShowCounter(QLabel* panel, int count) {
    panel->setText(QString::number(count));
    const QString text = CounterText(count);
    const TCounterDigits& digits = DigitsOf(panel);
    for (int i = 0; i < 6; ++i)
        digits[i]->SetCharValue(text[i]);
}

void TframEntranceGroupNowView::ResetCounters() {
    ShowCounts({});
}

void TframEntranceGroupNowView::ShowCounts(const TRoomCounts& counts) {
    ShowCounter(Ed_LogINs, counts.Entries);
    ShowCounter(Ed_LogOUTs, counts.Exits);
    ShowCounter(Ed_NowIN, counts.Present);
}

void TframEntranceGroupNowView::LoadGroup(int code) {
    FRoomCode = code;
    ResetCounters();
    sqlGroup->Close();
    sqlGroup->SetDatabaseName("RORazu");
    sqlGroup->SQL().Assign(
        QStringList{"SELECT 認証機グループコード,認証機ID", "FROM M_認証機グループ",
                    "WHERE 認証機グループコード=" + QString::number(code), "ORDER BY 認証機ID"});
    FUnitIDs.clear();
    for (sqlGroup->Open(); !sqlGroup->Eof(); sqlGroup->Next())
        FUnitIDs << sqlGroup->FieldByName("認証機ID")->AsInteger();
    sqlGroup->Close();
}

QString TframEntranceGroupNowView::GetGroupName() const {
    return NamePartOf(lblGroupName->text());
}

void TframEntranceGroupNowView::SetGroupName(const QString& name) {
    lblGroupName->setText("　部屋名:" + name);
}

void TframEntranceGroupNowView::btnLogINsClick(QPushButton* sender) {
    const TRoomLogMode mode = sender == btnLogINs    ? RoomLogEntries
                              : sender == btnLogOUTs ? RoomLogExits
                                                     : RoomLogPresent;
    if (EntranceSession().frmEntranceGroupNowView) {
        EntranceSession().frmEntranceGroupNowView->close();
        QCoreApplication::processEvents();
    }
    FDetail = OpenMdiChild(EntranceSession().frmEntranceGroupNowView, this, mode, FRoomCode,
                           GetGroupName());
}

} // namespace entrance
