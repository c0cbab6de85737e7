#pragma once

#include "ui/Rect.h"

#include <QLineEdit>

class TCustomGrid;

// The editor that opens over a grid's current cell: every change is written back into the
// cell at once, Esc puts the text back as it was, and moving keys go to the grid.
class TInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TCustomGrid* grid);
    TCustomGrid* Grid() const { return FGrid; }
    // Takes the current cell's text from the grid; it is also the text Esc returns to.
    virtual void UpdateContents();
    // Puts the cell's text back as it was when the editor opened.
    void Revert();
    // Places the editor over the cell and shows it.
    void Move(const TRect& rect);

protected:
    // Writes the text back into the current cell.
    virtual void Change();
    // The editor was given a new place.
    virtual void BoundsChanged() {}
    void keyPressEvent(QKeyEvent* event) override;
    // Sets the text without writing it back to the grid.
    void SetTextQuietly(const QString& text);

private:
    TCustomGrid* FGrid;
    QString FOriginal;
    bool FQuiet = false;
};
