#pragma once

#include "base/DateTime.h"

#include <QObject>
#include <QString>
#include <functional>

class QDateEdit;
class QLineEdit;
class QWidget;

namespace entrance {

class TDigitBox;

// What leaving a date box does with its text: a yyyy/mm/dd date not after `pickerDate` is
// taken by the picker (`date` holds the day); anything else is refused and the box shows the
// picker's date again (a later date is taken only through the picker).
enum class TTypedDate { Taken, NotDate, Later };
TTypedDate CheckTypedDate(const QString& text, TDateTime pickerDate, TDateTime& date);

// A date box (masked "9999/99/99") with its drop-down picker beside it, as the period
// screens show a date. The picker's date is the one that counts: each pick is written into
// the box, and a date typed into the box is taken over by the rule above when the box is
// left. The box takes digits and "/" (Keys); Enter moves the focus to Keys->Next. Tab skips
// the picker.
class TPickedDate final : public QObject {
    Q_OBJECT
public:
    // Creates the box and the picker as children of `parent`.
    explicit TPickedDate(QWidget* parent);
    Q_DISABLE_COPY(TPickedDate)

    QLineEdit* Box;
    QDateEdit* Picker;
    TDigitBox* Keys;
    // Told when leaving the box refused its text, after the box shows the picker's date again.
    std::function<void(TTypedDate)> OnRefused;
    // Where the screen has no reason to keep later dates to the picker, any typed date is
    // taken, so an operator who re-types a period never sees it silently put back.
    bool TakesLaterDates = false;

    // The picker's date, without time of day.
    TDateTime Date() const;
    // The picker takes the date and the box shows it.
    void SetDate(TDateTime date);
    // The latest date the picker offers.
    void SetMaximumDate(TDateTime date);
    // Writes the picker's date into the box.
    void CloseUp();
    // The box was left: the picker takes the typed date, or the box shows the picker's.
    TTypedDate BoxExit();
};

} // namespace entrance
