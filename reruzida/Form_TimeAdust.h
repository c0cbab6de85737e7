#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QDialog>

class QCalendarWidget;
class QPushButton;

namespace reruzida {

class TClock;
struct TCommDriver;

// The tail of a CSR command: YYMMDDhhnnss of `now`.
QByteArray ClockSetDigits(TDateTime now);
// Queues CSR with `digits` to every unit present on `driver`.
void SetUnitClocks(TCommDriver& driver, const QByteArray& digits);

// The clock-setting dialog: sets the clock of every unit present on the driver to the PC's
// date and time.
class TfrmTimeAdust : public QDialog {
public:
    TfrmTimeAdust(TCommDriver& driver, QWidget* parent);
    Q_DISABLE_COPY(TfrmTimeAdust)

    QCalendarWidget* MonthCalendar1;
    TClock* Clock1;
    QPushButton* btnExec;
    QPushButton* btnCancel;

    void btnExecClick();
    void btnCancelClick() { close(); }

private:
    void CreateControls();
    void Clock1ClockTime();

    TCommDriver& FDriver;
};

} // namespace reruzida
