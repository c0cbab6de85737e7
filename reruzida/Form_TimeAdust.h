#pragma once

#include "base/DateTime.h"

#include <QByteArray>
#include <QDialog>

class QCalendarWidget;
class QPushButton;

namespace reruzida {

class TClock;

// The tail of a CSR command: YYMMDDhhnnss of `now`.
QByteArray ClockSetDigits(TDateTime now);
// Queues CSR with `digits` to every present unit.
void SetUnitClocks(const QByteArray& digits);

// The clock-setting dialog: sets every present unit's clock to the PC's date and time.
class TfrmTimeAdust : public QDialog {
public:
    explicit TfrmTimeAdust(QWidget* parent);
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
};

} // namespace reruzida
