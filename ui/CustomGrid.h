#pragma once

#include "ui/Canvas.h"
#include "ui/Events.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <memory>

class TInplaceEdit;

enum TGridOption : unsigned {
    goFixedVertLine = 1 << 0,
    goFixedHorzLine = 1 << 1,
    goVertLine = 1 << 2,
    goHorzLine = 1 << 3,
    goRangeSelect = 1 << 4,
    goDrawFocusSelected = 1 << 5,
    goRowSizing = 1 << 6,
    goColSizing = 1 << 7,
    goEditing = 1 << 8,
    goTabs = 1 << 9,
    goRowSelect = 1 << 10,
    goAlwaysShowEditor = 1 << 11,
    goThumbTracking = 1 << 12,
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

struct TGridCoord {
    int X = 0;
    int Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

// A block of cells; Right and Bottom are the last column and row inside it.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    bool operator==(const TGridRect&) const = default;
};

// A grid of cells in a scroll area: fixed rows and columns that stay in place, column
// widths and row heights (a width below 0 hides the column), grid lines, a current cell
// (or a whole selected row), keyboard and mouse moves, and an in-place editor. Every cell
// is painted through DrawCell, with the brush and font of its state set on Canvas.
class TCustomGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TCustomGrid(QWidget* parent = nullptr);
    ~TCustomGrid() override;

    int ColCount() const { return FColCount; }
    void SetColCount(int value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int value);
    // Raise Exception when they would leave no scrolling column or row.
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor value);
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool value);

    int Col() const { return FCurrent.X; }
    void SetCol(int value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int value);
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int value);
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int value);
    TGridRect Selection() const;
    void SetSelection(const TGridRect& value);
    // Scrolling rows and columns that fit in the window completely.
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // The cell's rectangle in the window; empty when the cell is scrolled out of sight.
    TRect CellRect(int col, int row) const;
    // The cell under a point of the window; -1 and -1 when there is none.
    void MouseToCell(int x, int y, int& col, int& row) const;
    TGridCoord MouseCoord(int x, int y) const;

    // The canvas cells are painted on; outside painting it only measures text.
    TCanvas* Canvas() const { return FCanvas; }
    void Invalidate();
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);

    bool EditorMode() const;
    void SetEditorMode(bool value);
    TInplaceEdit* InplaceEditor() const { return FEditor; }
    void ShowEditor();
    void HideEditor();

    // The grid or its editor has the keyboard focus.
    bool IsActiveControl() const { return FActive; }

    std::function<void(QObject* Sender, int ACol, int ARow, const TRect& Rect,
                       TGridDrawState State)>
        OnDrawCell;
    std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)> OnSelectCell;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TNotifyEvent OnTopLeftChanged;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyDown;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // What the in-place editor calls.
    virtual QString GetEditText(int col, int row) { return QString(); }
    virtual void SetEditText(int col, int row, const QString& value) {}
    virtual bool CanEditShow();
    // Keys the editor does not keep: moves and Esc and Enter.
    void EditorKeyDown(QKeyEvent* event);

protected:
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) = 0;
    virtual bool SelectCell(int col, int row);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void KeyDown(int& key, TShiftState shift);
    virtual void KeyPress(QChar& key);
    virtual void DblClick();
    virtual void Click();
    virtual void DoEnter();
    virtual void DoExit();
    virtual void SizeChanged(int oldColCount, int oldRowCount) {}
    virtual void TopLeftChanged();
    virtual TInplaceEdit* CreateEditor();
    // The window was resized.
    virtual void Resize() {}

    // Makes (col, row) the current cell when SelectCell allows it, and shows it.
    void FocusCell(int col, int row);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    int LineAfterCol(int col) const;
    int LineAfterRow(int row) const;
    int ColExtent(int col) const;
    int RowExtent(int row) const;
    int FixedWidth() const;
    int FixedHeight() const;
    // Columns and rows in the order they stand in the window: the fixed ones, then the
    // scrolling ones from LeftCol and TopRow.
    int FirstCol() const;
    int NextCol(int col) const;
    int FirstRow() const;
    int NextRow(int row) const;
    int ColLeft(int col) const;
    int RowTop(int row) const;
    int MaxTopRow() const;
    int MaxLeftCol() const;
    void SetTopLeft(int left, int top);
    void ChangeSize(int colCount, int rowCount);
    void MoveCurrent(int col, int row);
    void ShowCurrent();
    void UpdateScrollBars();
    void UpdateEditor();
    void PaintCell(int col, int row, const TRect& rect);
    void PaintLines(QPainter& painter, int right, int bottom);
    void FocusChanged(QWidget* now);

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    QList<int> FColWidths;
    QList<int> FRowHeights;
    int FGridLineWidth = 1;
    TGridOptions FOptions =
        goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TColor FColor = clWindow;
    TColor FFixedColor = clBtnFace;
    TFont FFont;
    bool FDefaultDrawing = true;
    TGridCoord FCurrent{1, 1};
    TGridCoord FTopLeft{1, 1};
    bool FActive = false;
    bool FUpdatingScrollBars = false;
    QMetaObject::Connection FFocusConnection;
    TInplaceEdit* FEditor = nullptr;
    bool FEditorShowing = false;
    QImage FMeasureImage;
    TCanvas FMeasureCanvas;
    TCanvas* FCanvas = nullptr;
};
