#pragma once

#include "base/DateTime.h"

#include <QObject>
#include <QString>
#include <optional>

class QDateEdit;
class TDigitBox;
class QLineEdit;
class QWidget;

// The date that leaving a date box gives its picker: none, so that the box shows the picker's
// date again, for a text that is no yyyy/mm/dd date or a date after `pickerDate` (a later
// date is taken only through the picker).
std::optional<TDateTime> TypedDateTaken(const QString& text, TDateTime pickerDate);

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

    // The picker's date, without time of day.
    TDateTime Date() const;
    // The picker takes the date and the box shows it.
    void SetDate(TDateTime date);
    // The latest date the picker offers.
    void SetMaximumDate(TDateTime date);
    // Writes the picker's date into the box.
    void CloseUp();
    // The box was left: the picker takes the typed date, or the box shows the picker's.
    void BoxExit();
};
