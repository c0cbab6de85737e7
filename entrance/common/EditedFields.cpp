#include "EditedFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QVariant>

namespace entrance {

void TEditedFields::Watch(std::initializer_list<QLineEdit*> edits) {
    for (QLineEdit* edit : edits)
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this, edit] { Mark(edit); });
}

void TEditedFields::Watch(QComboBox* combo) {
    QObject::connect(combo, &QComboBox::activated, combo, [this, combo] { Mark(combo); });
    if (QLineEdit* edit = combo->lineEdit())
        QObject::connect(edit, &QLineEdit::textEdited, combo, [this, combo] { Mark(combo); });
}

void TEditedFields::Watch(QCheckBox* box) {
    QObject::connect(box, &QCheckBox::clicked, box, [this, box] { Mark(box); });
}

namespace {

QVariant ValueOf(const QWidget* field) {
    if (auto* edit = qobject_cast<const QLineEdit*>(field))
        return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(field))
        return combo->isEditable() ? QVariant(combo->currentText())
                                   : QVariant(combo->currentIndex());
    if (auto* box = qobject_cast<const QCheckBox*>(field))
        return box->isChecked();
    return {};
}

void Restore(QWidget* field, const QVariant& value) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setText(value.toString());
    else if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->isEditable())
        combo->setEditText(value.toString());
    else if (combo)
        combo->setCurrentIndex(value.toInt());
    else if (auto* box = qobject_cast<QCheckBox*>(field))
        box->setChecked(value.toBool());
}

} // namespace

void TEditedFields::RefillKeeping(const std::function<void()>& fill) {
    const QSet<QWidget*> edited = FEdited;
    QHash<QWidget*, QVariant> typed;
    for (QWidget* field : edited)
        typed.insert(field, ValueOf(field));
    fill();
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        if (it.value().isValid())
            Restore(it.key(), it.value());
    FEdited = edited;
}

} // namespace entrance
