#include "Form_PrintSetupLog.h"

#include "entrance/common/DigitBox.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/PickedDate.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/reports/rules/PeriodRules.h"
#include "entrance/reports/totals/Report_EntranceDayLogTotal.h"
#include "entrance/reports/totals/Report_EntranceMonthLogTotal.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"
#include "ui/UpDown.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace entrance {

namespace {

constexpr int FirstYear = 2001;
constexpr int LastYear = 9999;

} // namespace

TfrmPrintSetupLog::TfrmPrintSetupLog(const QString& caption, const QString& status, QWidget* owner)
    : TForm(owner) {
    setWindowTitle(caption);
    CreateControls(status);
}

TfrmPrintSetupLog::~TfrmPrintSetupLog() = default;

// The controls in the dialog's order, which Tab follows; what the report covers comes between
// the period and the buttons, from the derived dialog (FormCreate).
void TfrmPrintSetupLog::CreateControls(const QString& status) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateModeControls());
    layout->addWidget(CreateDayDate());
    layout->addWidget(CreateMonthDate());
    StatusBar1 = new QLabel(status, this);
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
}

void TfrmPrintSetupLog::CreateButtons(QBoxLayout* layout) {
    btnPrint = new QPushButton("印　刷", this);
    btnCLOSE = new QPushButton("閉じる", this);
    EscapeButton = btnCLOSE;
    connect(btnPrint, &QPushButton::clicked, this, &TfrmPrintSetupLog::btnPrintClick);
    connect(btnCLOSE, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnCLOSE);
    layout->addLayout(buttons);
}

QWidget* TfrmPrintSetupLog::CreateModeControls() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* mode = new QGroupBox(box);
    auto* modeLayout = new QHBoxLayout(mode);
    RadioDay = new QRadioButton("日報を印刷する。", mode);
    RadioMonth = new QRadioButton("月報を印刷する。", mode);
    modeLayout->addWidget(RadioDay);
    modeLayout->addWidget(RadioMonth);
    auto* kind = new QGroupBox(box);
    auto* kindLayout = new QGridLayout(kind);
    RadioTotal = new QRadioButton("集計を印刷する。", kind);
    RadioLog = new QRadioButton("記録を印刷する。", kind);
    lblPrintType = new QLabel("※認証の回数により、大量に印刷されます。", kind);
    kindLayout->addWidget(RadioTotal, 0, 0);
    kindLayout->addWidget(RadioLog, 0, 1);
    kindLayout->addWidget(lblPrintType, 1, 1);
    layout->addWidget(mode);
    layout->addWidget(kind);
    connect(RadioDay, &QRadioButton::toggled, this, &TfrmPrintSetupLog::RadioDayClick);
    connect(RadioTotal, &QRadioButton::toggled, this, &TfrmPrintSetupLog::RadioLogClick);
    return box;
}

QWidget* TfrmPrintSetupLog::CreateDayDate() {
    pnlDayDate = new QWidget(this);
    auto* layout = new QHBoxLayout(pnlDayDate);
    FStart = new TPickedDate(pnlDayDate);
    FEnd = new TPickedDate(pnlDayDate);
    Ed_StartDate = FStart->Box;
    Ed_sDate = FStart->Picker;
    Ed_EndDate = FEnd->Box;
    Ed_eDate = FEnd->Picker;
    layout->addWidget(Ed_StartDate);
    layout->addWidget(Ed_sDate);
    layout->addWidget(new QLabel("～", pnlDayDate));
    layout->addWidget(Ed_EndDate);
    layout->addWidget(Ed_eDate);
    layout->addStretch();
    for (TPickedDate* date : {FStart, FEnd}) {
        date->TakesLaterDates = true;
        date->OnRefused = [](TTypedDate) { ShowMessage("日付を入力して下さい。"); };
    }
    FStart->Keys->Next = Ed_EndDate;
    FEnd->Keys->Next = RadioDay;
    return pnlDayDate;
}

QWidget* TfrmPrintSetupLog::CreateMonthDate() {
    pnlMonthDate = new QWidget(this);
    auto* layout = new QHBoxLayout(pnlMonthDate);
    Ed_Year = new QLineEdit(pnlMonthDate);
    Ed_Year->setMaxLength(4);
    UpDownYear = new TUpDown(Ed_Year, FirstYear, LastYear, false, pnlMonthDate);
    Ed_Month = new QLineEdit(pnlMonthDate);
    Ed_Month->setMaxLength(2);
    UpDownMonth = new TUpDown(Ed_Month, 1, 12, true, pnlMonthDate);
    layout->addWidget(Ed_Year);
    layout->addWidget(UpDownYear);
    layout->addWidget(new QLabel("年", pnlMonthDate));
    layout->addWidget(Ed_Month);
    layout->addWidget(UpDownMonth);
    layout->addWidget(new QLabel("月", pnlMonthDate));
    layout->addStretch();
    (new TDigitBox(Ed_Year, [this] { Ed_YearExit(); }))->Next = Ed_Month;
    (new TDigitBox(Ed_Month, [this] { Ed_MonthExit(); }))->Next = RadioDay;
    return pnlMonthDate;
}

void TfrmPrintSetupLog::FormCreate() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    CreateTargetControls(layout);
    CreateButtons(layout);
    layout->addWidget(StatusBar1);

    UserList = std::make_unique<TUsers>();
    UserList->Load(nullptr, 0);
    EntranceList = std::make_unique<TEntrance>();
    if (EntranceList->Count() == 0) {
        ShowMessage("認証機が登録されていません。");
        close();
        return;
    }
    if (!FillTargets()) {
        close();
        return;
    }
    RadioDay->setChecked(true);
    RadioDayClick();
    RadioTotal->setChecked(true);
    RadioLogClick();
    UpDownYear->SetPosition(YearOf(Date()));
    UpDownMonth->SetPosition(MonthOf(Date()));
    FStart->SetDate(Date());
    FEnd->SetDate(Date());
}

void TfrmPrintSetupLog::FormShow() {
    CenterInMainArea();
}

// A month report is always totals; back in day mode the totals stay chosen.
void TfrmPrintSetupLog::RadioDayClick() {
    pnlDayDate->hide();
    pnlMonthDate->hide();
    if (RadioDay->isChecked()) {
        pnlDayDate->show();
        RadioLog->setEnabled(true);
    } else {
        pnlMonthDate->show();
        RadioLog->setEnabled(false);
        RadioTotal->setChecked(true);
    }
}

void TfrmPrintSetupLog::RadioLogClick() {
    lblPrintType->setEnabled(RadioLog->isChecked());
}

// The up-down and its box always agree: a year out of bounds takes the current one in both.
void TfrmPrintSetupLog::Ed_YearExit() {
    UpDownYear->SetPosition(TypedPosition(Ed_Year->text(), UpDownYear->Position(),
                                          UpDownYear->Min(), UpDownYear->Max(), YearOf(Date())));
}

void TfrmPrintSetupLog::Ed_MonthExit() {
    UpDownMonth->SetPosition(TypedPosition(Ed_Month->text(), UpDownMonth->Position(),
                                           UpDownMonth->Min(), UpDownMonth->Max(),
                                           MonthOf(Date())));
}

bool TfrmPrintSetupLog::TakeTypedTexts() {
    if (!RadioDay->isChecked()) {
        Ed_YearExit();
        Ed_MonthExit();
        return true;
    }
    for (TPickedDate* date : {FStart, FEnd})
        if (date->BoxExit() != TTypedDate::Taken) {
            date->Box->setFocus();
            return false;
        }
    return true;
}

void TfrmPrintSetupLog::btnPrintClick() {
    // What the boxes show is what runs, also when the focus is still in one of them; a date
    // that is no date runs nothing.
    if (!TakeTypedTexts())
        return;
    TDisabledScope busy(this);
    const bool month = RadioMonth->isChecked();
    const bool totals = RadioTotal->isChecked();
    const TDateTime start =
        month ? EncodeDate(UpDownYear->Position(), UpDownMonth->Position(), 1) : FStart->Date();
    const TPeriodRequest period =
        PeriodRules(month ? TPeriodMode::Month : TPeriodMode::Day, totals, start, FEnd->Date(),
                    [this](TDateTime date) { return EntranceList->LogTableExists(date); });
    if (period.Verdict != TPeriodVerdict::Run) {
        ShowMessage(period.Message);
        return;
    }
    const TLogReportRequest request = Request(period.Period);
    if (totals)
        RunTotals(month, request);
    else
        RunRecords(request);
}

void TfrmPrintSetupLog::RunTotals(bool month, const TLogReportRequest& request) {
    const auto run = [this, &request](auto& report) {
        report.Execute(request, *EntranceList, *UserList);
    };
    if (month)
        OpenReport(EntranceSession().Rep_EntranceMonthLogTotal, this, run);
    else
        OpenReport(EntranceSession().Rep_EntranceDayLogTotal, this, run);
}

} // namespace entrance
