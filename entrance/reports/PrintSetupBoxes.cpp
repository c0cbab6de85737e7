#include "PrintSetupBoxes.h"

#include "entrance/reports/PeriodRules.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>

TDigitBox::TDigitBox(QLineEdit* edit, std::function<void()> exit)
    : QObject(edit), FExit(std::move(exit)) {
    edit->installEventFilter(this);
}

bool TDigitBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        FExit();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (Next)
            Next->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key->key() == Qt::Key_Backspace)
        return false;
    // Keys without a character (arrows, Tab, Delete) keep their own work.
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    return !(text.size() == 1 && text.at(0) >= '0' && text.at(0) <= '9');
}

TPrintDateBox::TPrintDateBox(QWidget* parent)
    : Edit(new QLineEdit(parent)), Picker(new QDateEdit(parent)),
      Keys(new TDigitBox(Edit, [this] { Exit(); })) {
    // Goes with the box, after the box's last focus-out has run Exit.
    setParent(Edit);
    Edit->setInputMask("9999/99/99;_");
    Edit->setMaxLength(10);
    Picker->setCalendarPopup(true);
    Picker->setDisplayFormat("yyyy/MM/dd");
    Picker->setFocusPolicy(Qt::NoFocus);
    connect(Picker, &QDateEdit::dateChanged, this, &TPrintDateBox::CloseUp);
}

TDateTime TPrintDateBox::Date() const {
    return FromQDate(Picker->date());
}

void TPrintDateBox::SetDate(TDateTime date) {
    Picker->setDate(ToQDate(date));
    CloseUp();
}

void TPrintDateBox::CloseUp() {
    Edit->setText(FormatDateTime("yyyy/mm/dd", Date()));
}

void TPrintDateBox::Exit() {
    if (const std::optional<TDateTime> typed = TypedDate(Edit->text(), Date()))
        Picker->setDate(ToQDate(*typed));
    CloseUp();
}
