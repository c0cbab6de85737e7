#include "ui/InplaceEdit.h"

#include "ui/CustomGrid.h"

#include <QKeyEvent>

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : QLineEdit(grid->viewport()), FGrid(grid) {
    setFrame(false);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!FQuiet)
            Change();
    });
}

void TInplaceEdit::UpdateContents() {
    FOriginal = FGrid->GetEditText(FGrid->Col(), FGrid->Row());
    SetTextQuietly(FOriginal);
    selectAll();
}

void TInplaceEdit::Revert() {
    SetTextQuietly(FOriginal);
    FGrid->SetEditText(FGrid->Col(), FGrid->Row(), FOriginal);
}

void TInplaceEdit::SetTextQuietly(const QString& text) {
    FQuiet = true;
    setText(text);
    FQuiet = false;
}

void TInplaceEdit::Change() {
    FGrid->SetEditText(FGrid->Col(), FGrid->Row(), text());
}

void TInplaceEdit::Move(const TRect& rect) {
    setGeometry(rect.ToQRect());
    BoundsChanged();
    show();
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        FGrid->EditorKeyDown(event);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}
