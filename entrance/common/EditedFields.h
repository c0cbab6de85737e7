#pragma once

#include <QSet>
#include <functional>
#include <initializer_list>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace entrance {

// The fields of a screen that the operator changed since the screen filled them, so that a
// save refused because another terminal changed the row can show the row as it is now in
// every other field and keep the operator's typing in these. Only the operator's own typing
// and choosing marks a field: what the screen writes into it does not.
class TEditedFields final {
public:
    TEditedFields() = default;
    TEditedFields(const TEditedFields&) = delete;
    TEditedFields& operator=(const TEditedFields&) = delete;

    void Watch(std::initializer_list<QLineEdit*> edits);
    void Watch(QComboBox* combo);
    void Watch(QCheckBox* box);
    // A field changed through another control (a tab, a list beside it).
    void Mark(QWidget* field) { FEdited.insert(field); }
    bool Has(QWidget* field) const { return FEdited.contains(field); }
    // The screen shows what is stored: no field differs by the operator's hand.
    void Clear() { FEdited.clear(); }
    // Runs `fill`, which shows the row as it is now, then puts the operator's values back into
    // the line edits, combo boxes and check boxes they changed; the same fields stay marked.
    void RefillKeeping(const std::function<void()>& fill);

private:
    QSet<QWidget*> FEdited;
};

} // namespace entrance
