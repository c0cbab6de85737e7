#include "ui/CustomGrid.h"

#include "base/SysUtils.h"
#include "ui/InplaceEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

TCustomGrid::TCustomGrid(QWidget* parent)
    : QAbstractScrollArea(parent), FMeasureImage(1, 1, QImage::Format_RGB32),
      FMeasureCanvas(&FMeasureImage) {
    FCanvas = &FMeasureCanvas;
    FColWidths = QList<int>(FColCount, FDefaultColWidth);
    FRowHeights = QList<int>(FRowCount, FDefaultRowHeight);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    FFocusConnection = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { FocusChanged(now); });
    UpdateScrollBars();
}

TCustomGrid::~TCustomGrid() {
    // The focus leaves while QWidget takes the window down, after this grid is gone.
    disconnect(FFocusConnection);
}

// ---- sizes ----

void TCustomGrid::SetColCount(int value) {
    value = std::max(value, 1);
    if (value == FColCount)
        return;
    if (value <= FFixedCols)
        FFixedCols = value - 1;
    ChangeSize(value, FRowCount);
}

void TCustomGrid::SetRowCount(int value) {
    value = std::max(value, 1);
    if (value == FRowCount)
        return;
    if (value <= FFixedRows)
        FFixedRows = value - 1;
    ChangeSize(FColCount, value);
}

void TCustomGrid::SetFixedCols(int value) {
    if (value < 0 || value >= FColCount)
        throw Exception("Fixed column count must be less than column count");
    FFixedCols = value;
    ChangeSize(FColCount, FRowCount);
}

void TCustomGrid::SetFixedRows(int value) {
    if (value < 0 || value >= FRowCount)
        throw Exception("Fixed row count must be less than row count");
    FFixedRows = value;
    ChangeSize(FColCount, FRowCount);
}

void TCustomGrid::ChangeSize(int colCount, int rowCount) {
    const int oldCols = FColCount, oldRows = FRowCount;
    FColCount = colCount;
    FRowCount = rowCount;
    FColWidths.resize(colCount, FDefaultColWidth);
    FRowHeights.resize(rowCount, FDefaultRowHeight);
    FCurrent.X = std::clamp(FCurrent.X, FFixedCols, colCount - 1);
    FCurrent.Y = std::clamp(FCurrent.Y, FFixedRows, rowCount - 1);
    FTopLeft.X = std::max(FTopLeft.X, FFixedCols);
    FTopLeft.Y = std::max(FTopLeft.Y, FFixedRows);
    SizeChanged(oldCols, oldRows);
    UpdateScrollBars();
    UpdateEditor();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int value) {
    FDefaultColWidth = value;
    FColWidths.fill(value);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
    FDefaultRowHeight = value;
    FRowHeights.fill(value);
    UpdateScrollBars();
    Invalidate();
}

int TCustomGrid::ColWidths(int col) const {
    return FColWidths.value(col, FDefaultColWidth);
}

void TCustomGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= FColCount)
        throw Exception("Grid index out of range");
    FColWidths[col] = width;
    UpdateScrollBars();
    UpdateEditor();
    Invalidate();
}

int TCustomGrid::RowHeights(int row) const {
    return FRowHeights.value(row, FDefaultRowHeight);
}

void TCustomGrid::SetRowHeights(int row, int height) {
    if (row < 0 || row >= FRowCount)
        throw Exception("Grid index out of range");
    FRowHeights[row] = height;
    UpdateScrollBars();
    UpdateEditor();
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(int value) {
    FGridLineWidth = std::max(0, value);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
    FOptions = value;
    if (!(FOptions & goEditing))
        HideEditor();
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetColor(TColor value) {
    FColor = value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor value) {
    FFixedColor = value;
    Invalidate();
}

void TCustomGrid::SetFont(const TFont& value) {
    FFont = value;
    Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
    FDefaultDrawing = value;
    Invalidate();
}

// ---- geometry ----

int TCustomGrid::LineAfterCol(int col) const {
    if (ColWidths(col) < 0)
        return 0;
    return FOptions & (col < FFixedCols ? goFixedVertLine : goVertLine) ? FGridLineWidth : 0;
}

int TCustomGrid::LineAfterRow(int row) const {
    if (RowHeights(row) < 0)
        return 0;
    return FOptions & (row < FFixedRows ? goFixedHorzLine : goHorzLine) ? FGridLineWidth : 0;
}

int TCustomGrid::ColExtent(int col) const {
    return ColWidths(col) < 0 ? 0 : ColWidths(col) + LineAfterCol(col);
}

int TCustomGrid::RowExtent(int row) const {
    return RowHeights(row) < 0 ? 0 : RowHeights(row) + LineAfterRow(row);
}

int TCustomGrid::FixedWidth() const {
    int width = 0;
    for (int c = 0; c < FFixedCols; ++c)
        width += ColExtent(c);
    return width;
}

int TCustomGrid::FixedHeight() const {
    int height = 0;
    for (int r = 0; r < FFixedRows; ++r)
        height += RowExtent(r);
    return height;
}

// Left edge of a column in the window, or -1 when it is scrolled out to the left.
int TCustomGrid::ColLeft(int col) const {
    if (col >= FFixedCols && col < FTopLeft.X)
        return -1;
    int x = col < FFixedCols ? 0 : FixedWidth();
    for (int c = col < FFixedCols ? 0 : FTopLeft.X; c < col; ++c)
        x += ColExtent(c);
    return x;
}

int TCustomGrid::RowTop(int row) const {
    if (row >= FFixedRows && row < FTopLeft.Y)
        return -1;
    int y = row < FFixedRows ? 0 : FixedHeight();
    for (int r = row < FFixedRows ? 0 : FTopLeft.Y; r < row; ++r)
        y += RowExtent(r);
    return y;
}

int TCustomGrid::MaxTopRow() const {
    const int space = viewport()->height() - FixedHeight();
    int used = 0, top = FRowCount;
    while (top > FFixedRows && used + RowExtent(top - 1) <= space)
        used += RowExtent(--top);
    return std::min(top, FRowCount - 1);
}

int TCustomGrid::MaxLeftCol() const {
    const int space = viewport()->width() - FixedWidth();
    int used = 0, left = FColCount;
    while (left > FFixedCols && used + ColExtent(left - 1) <= space)
        used += ColExtent(--left);
    return std::min(left, FColCount - 1);
}

int TCustomGrid::VisibleRowCount() const {
    int y = FixedHeight(), count = 0;
    for (int r = FTopLeft.Y; r < FRowCount && y + RowExtent(r) <= viewport()->height(); ++r) {
        y += RowExtent(r);
        ++count;
    }
    return count;
}

int TCustomGrid::VisibleColCount() const {
    int x = FixedWidth(), count = 0;
    for (int c = FTopLeft.X; c < FColCount && x + ColExtent(c) <= viewport()->width(); ++c) {
        x += ColExtent(c);
        ++count;
    }
    return count;
}

TRect TCustomGrid::CellRect(int col, int row) const {
    if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount)
        return TRect();
    const int x = ColLeft(col), y = RowTop(row);
    if (x < 0 || y < 0 || x >= viewport()->width() || y >= viewport()->height())
        return TRect();
    return Bounds(x, y, std::max(0, ColWidths(col)), std::max(0, RowHeights(row)));
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
    const TGridCoord cell = MouseCoord(x, y);
    col = cell.X;
    row = cell.Y;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
    TGridCoord cell{-1, -1};
    for (int c = FirstCol(), edge = 0; x >= 0 && c < FColCount; c = NextCol(c)) {
        edge += ColExtent(c);
        if (x < edge) {
            cell.X = c;
            break;
        }
    }
    for (int r = FirstRow(), edge = 0; y >= 0 && r < FRowCount; r = NextRow(r)) {
        edge += RowExtent(r);
        if (y < edge) {
            cell.Y = r;
            break;
        }
    }
    if (cell.X < 0 || cell.Y < 0)
        return {-1, -1};
    return cell;
}

int TCustomGrid::FirstCol() const {
    return FFixedCols > 0 ? 0 : FTopLeft.X;
}

int TCustomGrid::NextCol(int col) const {
    return col + 1 == FFixedCols ? FTopLeft.X : col + 1;
}

int TCustomGrid::FirstRow() const {
    return FFixedRows > 0 ? 0 : FTopLeft.Y;
}

int TCustomGrid::NextRow(int row) const {
    return row + 1 == FFixedRows ? FTopLeft.Y : row + 1;
}

// ---- current cell and scrolling ----

TGridRect TCustomGrid::Selection() const {
    if (FOptions & goRowSelect)
        return {FFixedCols, FCurrent.Y, FColCount - 1, FCurrent.Y};
    return {FCurrent.X, FCurrent.Y, FCurrent.X, FCurrent.Y};
}

void TCustomGrid::SetSelection(const TGridRect& value) {
    FocusCell(value.Left, value.Top);
}

void TCustomGrid::SetCol(int value) {
    if (value != FCurrent.X)
        FocusCell(value, FCurrent.Y);
}

void TCustomGrid::SetRow(int value) {
    if (value != FCurrent.Y)
        FocusCell(FCurrent.X, value);
}

void TCustomGrid::FocusCell(int col, int row) {
    MoveCurrent(col, row);
}

bool TCustomGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

void TCustomGrid::MoveCurrent(int col, int row) {
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
        throw Exception("Grid index out of range");
    if (!SelectCell(col, row))
        return;
    const bool moved = !(FCurrent == TGridCoord{col, row});
    if (moved && !(FOptions & goAlwaysShowEditor))
        HideEditor();
    FCurrent = {col, row};
    ShowCurrent();
    Invalidate();
    if (moved)
        Click();
    if (FOptions & goAlwaysShowEditor)
        ShowEditor();
    else
        UpdateEditor();
}

void TCustomGrid::ShowCurrent() {
    int top = FTopLeft.Y, left = FTopLeft.X;
    if (FCurrent.Y < top)
        top = FCurrent.Y;
    else {
        // Scroll down until the current row fits below the fixed rows.
        auto bottomOf = [&](int t) {
            int y = FixedHeight();
            for (int r = t; r <= FCurrent.Y; ++r)
                y += RowExtent(r);
            return y;
        };
        while (top < FCurrent.Y && bottomOf(top) > viewport()->height())
            ++top;
    }
    if (!(FOptions & goRowSelect)) {
        if (FCurrent.X < left)
            left = FCurrent.X;
        else {
            auto rightOf = [&](int l) {
                int x = FixedWidth();
                for (int c = l; c <= FCurrent.X; ++c)
                    x += ColExtent(c);
                return x;
            };
            while (left < FCurrent.X && rightOf(left) > viewport()->width())
                ++left;
        }
    }
    SetTopLeft(left, top);
}

void TCustomGrid::SetTopRow(int value) {
    SetTopLeft(FTopLeft.X, value);
}

void TCustomGrid::SetLeftCol(int value) {
    SetTopLeft(value, FTopLeft.Y);
}

void TCustomGrid::SetTopLeft(int left, int top) {
    left = std::clamp(left, FFixedCols, std::max(FFixedCols, FColCount - 1));
    top = std::clamp(top, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    if (FTopLeft == TGridCoord{left, top})
        return;
    FTopLeft = {left, top};
    UpdateScrollBars();
    UpdateEditor();
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TCustomGrid::UpdateScrollBars() {
    const int maxTop = std::max(FFixedRows, MaxTopRow());
    const int maxLeft = std::max(FFixedCols, MaxLeftCol());
    if (FTopLeft.Y > maxTop || FTopLeft.X > maxLeft) {
        // The grid grew or its cells shrank: scroll back so no space is left empty.
        SetTopLeft(std::min(FTopLeft.X, maxLeft), std::min(FTopLeft.Y, maxTop));
        return;
    }
    FUpdatingScrollBars = true;
    verticalScrollBar()->setRange(0, maxTop - FFixedRows);
    verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
    verticalScrollBar()->setValue(FTopLeft.Y - FFixedRows);
    horizontalScrollBar()->setRange(0, maxLeft - FFixedCols);
    horizontalScrollBar()->setPageStep(std::max(1, VisibleColCount()));
    horizontalScrollBar()->setValue(FTopLeft.X - FFixedCols);
    FUpdatingScrollBars = false;
}

void TCustomGrid::scrollContentsBy(int, int) {
    if (!FUpdatingScrollBars)
        SetTopLeft(horizontalScrollBar()->value() + FFixedCols,
                   verticalScrollBar()->value() + FFixedRows);
}

void TCustomGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    UpdateEditor();
    Resize();
}

void TCustomGrid::Invalidate() {
    viewport()->update();
}

void TCustomGrid::InvalidateCell(int col, int row) {
    const TRect rect = CellRect(col, row);
    if (!rect.IsEmpty())
        viewport()->update(rect.ToQRect());
}

void TCustomGrid::InvalidateRow(int row) {
    const TRect rect = CellRect(0, row);
    if (rect.Height() > 0)
        viewport()->update(QRect(0, rect.Top, viewport()->width(), rect.Height()));
}

// ---- painting ----

void TCustomGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    TCanvas canvas(&painter);
    FCanvas = &canvas;
    const int width = viewport()->width(), height = viewport()->height();
    int bottom = 0, right = 0;
    for (int row = FirstRow(); row < FRowCount && bottom < height; row = NextRow(row)) {
        if (RowHeights(row) < 0)
            continue;
        const int y = RowTop(row);
        right = 0;
        for (int col = FirstCol(); col < FColCount && right < width; col = NextCol(col)) {
            if (ColWidths(col) < 0)
                continue;
            const int x = ColLeft(col);
            PaintCell(col, row, Bounds(x, y, ColWidths(col), RowHeights(row)));
            right = x + ColExtent(col);
        }
        bottom = y + RowExtent(row);
    }
    // What lies beyond the last column and row shows the grid's colour.
    painter.fillRect(QRect(right, 0, width - right, height), ToQColor(FColor));
    painter.fillRect(QRect(0, bottom, right, height - bottom), ToQColor(FColor));
    FCanvas = &FMeasureCanvas;
}

void TCustomGrid::PaintCell(int col, int row, const TRect& rect) {
    const bool fixed = col < FFixedCols || row < FFixedRows;
    TGridDrawState state = fixed ? TGridDrawState(gdFixed) : 0;
    if (!fixed) {
        if (Selection().Contains(col, row))
            state |= gdSelected;
        if (FActive && FCurrent == TGridCoord{col, row})
            state |= gdFocused;
    }
    TCanvas& canvas = *FCanvas;
    canvas.Font = FFont;
    canvas.Brush = TBrush{fixed ? FFixedColor : FColor, bsSolid};
    canvas.Pen = TPen();
    const bool highlight =
        (state & gdSelected) &&
        (!(state & gdFocused) || (FOptions & (goDrawFocusSelected | goRowSelect)));
    if (FDefaultDrawing) {
        if (highlight) {
            canvas.Brush.Color = clHighlight;
            canvas.Font.Color = clHighlightText;
        }
        canvas.FillRect(rect);
    }
    DrawCell(col, row, rect, state);

    const bool vertLine = FOptions & (fixed ? goFixedVertLine : goVertLine);
    const bool horzLine = FOptions & (fixed ? goFixedHorzLine : goHorzLine);
    if (FDefaultDrawing && fixed && (vertLine || horzLine)) {
        // The raised edge of a fixed cell.
        canvas.Pen = TPen{clBtnHighlight, 1, psSolid};
        canvas.Polyline(
            {{rect.Left, rect.Bottom - 1}, {rect.Left, rect.Top}, {rect.Right, rect.Top}});
        canvas.Pen.Color = clBtnShadow;
        canvas.Polyline({{rect.Right - 1, rect.Top},
                         {rect.Right - 1, rect.Bottom - 1},
                         {rect.Left - 1, rect.Bottom - 1}});
    }
    if (FDefaultDrawing && (state & gdFocused) && !(FOptions & goRowSelect) &&
        (FOptions & (goEditing | goAlwaysShowEditor)) != (goEditing | goAlwaysShowEditor))
        canvas.DrawFocusRect(rect);

    // The grid lines to the right of and below the cell.
    const TColor lineColor = fixed ? clBlack : ColorToRGB(FColor) == clSilver ? clGray : clSilver;
    QPainter& painter = *canvas.Painter();
    const QColor qLine = ToQColor(lineColor);
    const int lw = LineAfterCol(col), lh = LineAfterRow(row);
    if (lw > 0)
        painter.fillRect(QRect(rect.Right, rect.Top, lw, rect.Height() + lh), qLine);
    if (lh > 0)
        painter.fillRect(QRect(rect.Left, rect.Bottom, rect.Width() + lw, lh), qLine);
}

// ---- mouse and keys ----

void TCustomGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MouseDown(MouseButtonOf(event), ShiftStateOf(event), p.x(), p.y());
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MouseUp(MouseButtonOf(event), ShiftStateOf(event), p.x(), p.y());
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    DblClick();
    const QPoint p = event->position().toPoint();
    MouseDown(MouseButtonOf(event), ShiftStateOf(event), p.x(), p.y());
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    setFocus(Qt::MouseFocusReason);
    const TGridCoord cell = MouseCoord(x, y);
    if (button == mbLeft && cell.X >= FFixedCols && cell.Y >= FFixedRows) {
        if ((FOptions & goEditing) && cell == FCurrent && !(shift & ssDouble))
            ShowEditor();
        else
            MoveCurrent(cell.X, cell.Y);
    }
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TCustomGrid::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

void TCustomGrid::Click() {
    if (OnClick)
        OnClick(this);
}

bool TCustomGrid::focusNextPrevChild(bool next) {
    if (FOptions & goTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomGrid::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    KeyDown(key, ShiftStateOf(event));
    if (key == 0)
        return;
    QChar ch = KeyCharOf(event);
    if (!ch.isNull()) {
        KeyPress(ch);
        if (ch.isNull())
            return;
        if ((FOptions & goEditing) && ch.isPrint() && CanEditShow()) {
            ShowEditor();
            if (FEditor) {
                FEditor->selectAll();
                QApplication::sendEvent(FEditor, event);
            }
        }
    }
}

void TCustomGrid::KeyPress(QChar& key) {
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TCustomGrid::KeyDown(int& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    if ((FOptions & goRowSelect) && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        // A whole selected row has no column to move to: the keys scroll sideways.
        SetLeftCol(FTopLeft.X + (key == Qt::Key_Left ? -1 : 1));
        key = 0;
        return;
    }
    int col = FCurrent.X, row = FCurrent.Y;
    const int page = std::max(1, VisibleRowCount());
    switch (key) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        (shift & ssCtrl ? row : col) = 0;
        break;
    case Qt::Key_End:
        (shift & ssCtrl ? row : col) = shift & ssCtrl ? FRowCount - 1 : FColCount - 1;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!(FOptions & goTabs))
            return;
        col += key == Qt::Key_Backtab || (shift & ssShift) ? -1 : 1;
        break;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if ((FOptions & goEditing) && key == Qt::Key_F2)
            SetEditorMode(true);
        return;
    default:
        return;
    }
    col = std::clamp(col, FFixedCols, FColCount - 1);
    row = std::clamp(row, FFixedRows, FRowCount - 1);
    if (col != FCurrent.X || row != FCurrent.Y)
        MoveCurrent(col, row);
    key = 0;
}

void TCustomGrid::FocusChanged(QWidget* now) {
    const bool active = now && (now == this || isAncestorOf(now));
    if (active == FActive)
        return;
    FActive = active;
    Invalidate();
    if (active)
        DoEnter();
    else
        DoExit();
}

void TCustomGrid::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TCustomGrid::DoExit() {
    if (OnExit)
        OnExit(this);
}

// ---- in-place editor ----

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

bool TCustomGrid::CanEditShow() {
    return (FOptions & (goRowSelect | goEditing)) == goEditing;
}

bool TCustomGrid::EditorMode() const {
    return FEditor && FEditorShowing;
}

void TCustomGrid::SetEditorMode(bool value) {
    if (value)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::ShowEditor() {
    if (!CanEditShow())
        return;
    if (!FEditor)
        FEditor = CreateEditor();
    FEditorShowing = true;
    FEditor->UpdateContents();
    UpdateEditor();
    if (FEditor->isVisible())
        FEditor->setFocus();
}

void TCustomGrid::HideEditor() {
    if (!FEditorShowing)
        return;
    FEditorShowing = false;
    const bool hadFocus = FEditor->hasFocus();
    FEditor->hide();
    if (hadFocus)
        setFocus();
}

void TCustomGrid::UpdateEditor() {
    if (!FEditorShowing)
        return;
    const TRect rect = CellRect(FCurrent.X, FCurrent.Y);
    if (rect.IsEmpty())
        FEditor->hide();
    else
        FEditor->Move(rect);
}

void TCustomGrid::EditorKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        FEditor->Revert();
        HideEditor();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        HideEditor();
        break;
    default:
        HideEditor();
        keyPressEvent(event);
        break;
    }
}
