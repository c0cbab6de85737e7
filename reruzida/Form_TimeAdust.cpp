#include "reruzida/Form_TimeAdust.h"

#include "reruzida/Clock.h"
#include "reruzida/CommDriver.h"
#include "reruzida/ConfirmBox.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace reruzida {

// The units take two digits of the year.
QByteArray ClockSetDigits(TDateTime now) {
    int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0;
    DecodeDate(now, year, month, day);
    DecodeTime(now, hour, min, sec, msec);
    return QString::asprintf("%02d%02d%02d%02d%02d%02d", year % 100, month, day, hour, min, sec)
        .toLatin1();
}

void SetUnitClocks(TCommDriver& driver, const QByteArray& digits) {
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        if (driver.UnitPresent[unit])
            DrvSendCommand(driver, unit, ClockSetCommand, {}, digits);
}

TfrmTimeAdust::TfrmTimeAdust(TCommDriver& driver, QWidget* parent)
    : QDialog(parent), FDriver(driver) {
    setWindowTitle("時計合わせ");
    CreateControls();
    Clock1ClockTime();
}

void TfrmTimeAdust::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    auto* dateGroup = new QGroupBox("日付", this);
    MonthCalendar1 = new QCalendarWidget(dateGroup);
    MonthCalendar1->setEnabled(false);
    (new QVBoxLayout(dateGroup))->addWidget(MonthCalendar1);
    auto* timeGroup = new QGroupBox("時刻", this);
    Clock1 = new TClock(timeGroup);
    Clock1->setFixedSize(150, 150);
    Clock1->SetArmColor(clNavy);
    Clock1->SetDotColor(clGreen);
    Clock1->SetLongArmWidth(2);
    Clock1->SetShortArmWidth(3);
    Clock1->OnClockTime = [this](QObject*, int, int, int) { Clock1ClockTime(); };
    (new QVBoxLayout(timeGroup))->addWidget(Clock1);
    groups->addWidget(dateGroup);
    groups->addWidget(timeGroup);
    layout->addLayout(groups);
    layout->addWidget(new QLabel("コンピュータの日付・時刻で認証機の時計を合わせます。", this));
    auto* buttons = new QHBoxLayout;
    btnExec = new QPushButton("設定", this);
    btnExec->setDefault(true);
    btnCancel = new QPushButton("ｷｬﾝｾﾙ", this);
    buttons->addStretch();
    buttons->addWidget(btnExec);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    auto* status = new QStatusBar(this);
    status->showMessage("認証機");
    status->setSizeGripEnabled(false);
    layout->addWidget(status);
    connect(btnExec, &QPushButton::clicked, this, [this] { btnExecClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmTimeAdust::Clock1ClockTime() {
    MonthCalendar1->setSelectedDate(ToQDate(Date()));
}

void TfrmTimeAdust::btnExecClick() {
    if (Confirm("認証機コミュニケーション", "認証機の日付および時刻を変更します。よろしいですか？",
                this))
        SetUnitClocks(FDriver, ClockSetDigits(Now()));
}

} // namespace reruzida
