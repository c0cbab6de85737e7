#include "PickedDate.h"

#include "components/grids/InplaceEdit3D.h"
#include "entrance/common/DigitBox.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"

#include <QDateEdit>
#include <QLineEdit>

namespace entrance {

TTypedDate CheckTypedDate(const QString& text, TDateTime pickerDate, TDateTime& date) {
    if (!TryDateStr(text, date))
        return TTypedDate::NotDate;
    date = DateOf(date);
    return date > DateOf(pickerDate) ? TTypedDate::Later : TTypedDate::Taken;
}

TPickedDate::TPickedDate(QWidget* parent) : QObject(parent) {
    Box = new QLineEdit(parent);
    Box->setInputMask(ToQtInputMask("9999/99/99;1;_"));
    Box->setMaxLength(10);
    Box->setMaximumWidth(Box->fontMetrics().horizontalAdvance("0000/00/00") + 16);
    Keys = new TDigitBox(
        Box, [this] { BoxExit(); }, "/");
    Picker = new QDateEdit(parent);
    Picker->setCalendarPopup(true);
    Picker->setDisplayFormat("yyyy/MM/dd");
    // The picker never holds the focus: the box is where the date is typed.
    Picker->setFocusPolicy(Qt::NoFocus);
    connect(Picker, &QDateEdit::dateChanged, this, &TPickedDate::CloseUp);
}

TDateTime TPickedDate::Date() const {
    return FromQDate(Picker->date());
}

void TPickedDate::SetDate(TDateTime date) {
    Picker->setDate(ToQDate(date));
    CloseUp();
}

void TPickedDate::SetMaximumDate(TDateTime date) {
    Picker->setMaximumDate(ToQDate(date));
}

void TPickedDate::CloseUp() {
    Box->setText(DateToSlashStr(Date()));
}

TTypedDate TPickedDate::BoxExit() {
    TDateTime typed = 0;
    const TTypedDate verdict = CheckTypedDate(Box->text(), Date(), typed);
    if (verdict == TTypedDate::Taken || (verdict == TTypedDate::Later && TakesLaterDates)) {
        SetDate(typed);
        return TTypedDate::Taken;
    }
    CloseUp();
    if (OnRefused)
        OnRefused(verdict);
    return verdict;
}

} // namespace entrance
