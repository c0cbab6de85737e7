#include "components/dbctrls/DBEdit.h"

#include "base/SysUtils.h"
#include "db/Field.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QKeyEvent>

namespace {

// A key that changes the text: a character, a deletion, or cut and paste.
bool ChangesText(QKeyEvent* event) {
    return event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
           event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
           (!event->text().isEmpty() && event->text().at(0).isPrint());
}

} // namespace

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent) {
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnActiveChange = [this] { DataChange(); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
    connect(this, &QLineEdit::textEdited, this, &TDBEdit::TextEdited);
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::SetMaxLength(int bytes) {
    FMaxLength = bytes;
    SetMaxBytes(this, bytes);
}

// setText does not count as an edit, so showing the value marks nothing modified. The same
// text is left alone, so entering edit state keeps the cursor and selection.
void TDBEdit::DataChange() {
    const TField* field = FDataLink.Field();
    const QString value = field ? field->Text() : QString();
    if (text() != value)
        setText(value);
}

bool TDBEdit::CanEdit() {
    return FDataLink.CanModify() && FDataLink.Edit();
}

// Keys put the dataset into edit state before they change the text (keyPressEvent); a text
// changed any other way where the record cannot be edited is put back.
void TDBEdit::TextEdited() {
    if (CanEdit())
        FDataLink.Modified();
    else
        DataChange();
}

void TDBEdit::UpdateData() {
    FDataLink.Field()->SetText(text());
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        FDataLink.Reset();
        selectAll();
        event->ignore();
        return;
    }
    if (ChangesText(event) && !CanEdit()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// Leaving the field writes its text into the record; a value the field refuses is shown and
// the focus stays, so what was typed is not lost.
void TDBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    try {
        FDataLink.UpdateRecord();
    } catch (const Exception& e) {
        ShowMessage(e.Message());
        setFocus();
    }
}
