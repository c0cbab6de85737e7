#pragma once

#include "base/DateTime.h"

#include <QObject>
#include <functional>

class QDateEdit;
class QLineEdit;
class QWidget;

// The keys of a box that takes digits: digits and Backspace pass, Enter moves the focus to
// Next, other characters are dropped. Leaving the box runs `exit`.
class TDigitBox final : public QObject {
    Q_OBJECT
public:
    TDigitBox(QLineEdit* edit, std::function<void()> exit);
    QWidget* Next = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> FExit;
};

// A masked date box "yyyy/mm/dd" with its drop-down picker beside it. The picker's date is
// the one that counts: a picked date is written into the box (CloseUp), and a date typed into
// the box goes over to the picker when the box is left (Exit), or the box shows the picker's
// date again. The picker never holds the focus: Tab skips it and a click leaves the focus in
// the box.
class TPrintDateBox final : public QObject {
    Q_OBJECT
public:
    explicit TPrintDateBox(QWidget* parent);
    Q_DISABLE_COPY(TPrintDateBox)

    QLineEdit* const Edit;
    QDateEdit* const Picker;
    TDigitBox* const Keys;

    // The picker's date, without time of day.
    TDateTime Date() const;
    // Sets the picker, and the box through CloseUp.
    void SetDate(TDateTime date);
    void CloseUp();
    void Exit();
};
