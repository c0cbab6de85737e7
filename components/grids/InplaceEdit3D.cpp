#include "components/grids/InplaceEdit3D.h"

#include "components/grids/MOInplaceCalender.h"
#include "components/grids/MOStringGrid.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

TEditStyle3D EditStyleOf(TMOColumnButtonStyle style) {
    switch (style) {
    case cbsEllipsis:
        return esEllipsis;
    case cbsList:
        return esList;
    case cbsDropList:
        return esReadOnlyList;
    case cbsCheckBox:
        return esCheckBox;
    case cbsSpin:
        return esSpin;
    case cbsCalendar:
        return esCalendar;
    default:
        return esSimple;
    }
}

QString SpinText(const QString& text, int direction, const TSpinButtonOption& option) {
    bool ok = true;
    const qlonglong value = text.isEmpty() ? 0 : text.trimmed().toInt(&ok);
    if (!ok)
        return text;
    qlonglong result = value + qlonglong(direction) * option.Increment;
    if (option.MinValue != option.MaxValue)
        result = std::clamp<qlonglong>(result, option.MinValue, option.MaxValue);
    return QString::number(result);
}

QString ToQtInputMask(const QString& editMask) {
    const QStringList parts = editMask.split(';');
    QString mask;
    for (QChar c : parts.value(0)) {
        if (c == '!')
            continue; // a mask's "!" only trims leading blanks
        // In an edit mask "0" is a required digit and "9" an optional one; Qt has them
        // the other way round.
        mask += c == '0' ? QChar('9') : c == '9' ? QChar('0') : c;
    }
    return mask + ";" + parts.value(2, "_");
}

TPopListBox::TPopListBox(QWidget* parent) : QListWidget(parent) {
    setWindowFlags(Qt::Popup);
    setFrameShape(QFrame::Box);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TPopListBox::Popup(QWidget* anchor, const QStringList& entries) {
    clear();
    addItems(entries);
    const QFontMetrics fm(font());
    int widest = 0;
    for (const QString& entry : entries)
        widest = std::max(widest, fm.horizontalAdvance(entry) + 8);
    const int rows = std::clamp(int(entries.size()), 1, 8);
    const int height = rows * std::max(11, sizeHintForRow(0)) + 2 * frameWidth();
    resize(std::max(widest + 2 * frameWidth(), anchor->width()), height);
    QPoint place = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen* screen = anchor->screen())
        if (place.y() + height > screen->availableGeometry().bottom())
            place = anchor->mapToGlobal(QPoint(0, -height));
    move(place);
    show();
    setFocus();
}

void TPopListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (const QListWidgetItem* item = itemAt(event->position().toPoint()))
        if (OnChoose)
            OnChoose(item->text());
}

void TPopListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        if (OnChoose)
            OnChoose(currentItem()->text());
        return;
    }
    QListWidget::keyPressEvent(event);
}

TInplaceEdit3D::TInplaceEdit3D(TMOStringGrid* grid) : TInplaceEdit(grid), FMOGrid(grid) {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoChildEventsForParent);
}

TInplaceEdit3D::~TInplaceEdit3D() {
    if (FPanel)
        FPanel->OnClose = nullptr;
}

TMOGridColumn* TInplaceEdit3D::Column() const {
    return FMOGrid->GridColumns()[FMOGrid->Col()];
}

void TInplaceEdit3D::UpdateContents() {
    const TMOGridColumn* column = Column();
    FStyle = column ? EditStyleOf(column->ButtonStyle()) : esSimple;
    setFont((column ? column->Font() : FMOGrid->Font()).ToQFont());
    SetImeMode(this, column ? column->ImeMode() : imClose);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, ToQColor(FMOGrid->CellColor(FMOGrid->Col(), FMOGrid->Row())));
    setPalette(palette);
    setInputMask(FStyle == esCalendar ? ToQtInputMask(CalendarEditMask(column->DateFormat))
                                      : QString());
    setReadOnly(FStyle == esCheckBox || FStyle == esReadOnlyList);
    const QString cell = FMOGrid->Cells(FMOGrid->Col(), FMOGrid->Row());
    FChecked = cell == "1";
    if (FStyle == esCalendar)
        FDate = CalendarCellDate(cell, ::Date());
    TInplaceEdit::UpdateContents();
    BoundsChanged();
}

int TInplaceEdit3D::ButtonWidth() const {
    if (FStyle == esSimple || FStyle == esCheckBox)
        return 0;
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
}

QRect TInplaceEdit3D::ButtonRect() const {
    return QRect(width() - ButtonWidth(), 0, ButtonWidth(), height());
}

void TInplaceEdit3D::BoundsChanged() {
    setTextMargins(0, 0, ButtonWidth(), 0);
}

void TInplaceEdit3D::Change() {
    if (FStyle == esCheckBox)
        FMOGrid->SetEditText(FMOGrid->Col(), FMOGrid->Row(), FChecked ? "1" : "0");
    else
        TInplaceEdit::Change();
}

void TInplaceEdit3D::paintEvent(QPaintEvent* event) {
    if (FStyle == esCheckBox) {
        QPainter painter(this);
        TCanvas canvas(&painter);
        canvas.Brush.Color = FromQColor(palette().color(QPalette::Base));
        canvas.FillRect(TRect::FromQRect(rect()));
        canvas.DrawCheckBox(TRect::FromQRect(rect()), FChecked);
        return;
    }
    TInplaceEdit::paintEvent(event);
    if (ButtonWidth() > 0) {
        QPainter painter(this);
        PaintButton(painter);
    }
}

void TInplaceEdit3D::PaintButton(QPainter& painter) {
    TCanvas canvas(&painter);
    const TRect r = TRect::FromQRect(ButtonRect());
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(r);
    canvas.Pen.Color = FPressed ? clBtnShadow : clBtnHighlight;
    canvas.Polyline({{r.Left, r.Bottom - 1}, {r.Left, r.Top}, {r.Right, r.Top}});
    canvas.Pen.Color = FPressed ? clBtnHighlight : cl3DDkShadow;
    canvas.Polyline(
        {{r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left - 1, r.Bottom - 1}});
    canvas.Brush.Color = clBtnText;
    canvas.Pen.Color = clBtnText;
    const int cx = (r.Left + r.Right) / 2 + (FPressed ? 1 : 0);
    const int cy = (r.Top + r.Bottom) / 2 + (FPressed ? 1 : 0);
    if (FStyle == esEllipsis) {
        const int side = std::max(1, r.Width() / 8);
        for (int i = -1; i <= 1; ++i)
            canvas.FillRect(Bounds(cx + i * side * 2 - side / 2, cy - side / 2, side, side));
    } else if (FStyle == esSpin) {
        canvas.Polygon({{cx - 3, cy - 2}, {cx + 3, cy - 2}, {cx, cy - 5}});
        canvas.Polygon({{cx - 3, cy + 2}, {cx + 3, cy + 2}, {cx, cy + 5}});
    } else {
        canvas.Polygon({{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
    }
}

void TInplaceEdit3D::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        TInplaceEdit::mousePressEvent(event);
        return;
    }
    if (FStyle == esCheckBox) {
        ToggleCheck();
        return;
    }
    const bool onButton = ButtonWidth() > 0 && ButtonRect().contains(p);
    if (FStyle == esReadOnlyList || (onButton && (FStyle == esList || FStyle == esCalendar))) {
        DropDown();
        return;
    }
    if (onButton && FStyle == esSpin) {
        Spin(p.y() < height() / 2 ? 1 : -1);
        return;
    }
    if (onButton) {
        FPressed = true;
        update();
        return;
    }
    TInplaceEdit::mousePressEvent(event);
}

void TInplaceEdit3D::mouseReleaseEvent(QMouseEvent* event) {
    if (FPressed) {
        FPressed = false;
        update();
        if (ButtonRect().contains(event->position().toPoint()))
            ClickEllipsis();
        return;
    }
    TInplaceEdit::mouseReleaseEvent(event);
}

void TInplaceEdit3D::mouseMoveEvent(QMouseEvent* event) {
    const bool onButton = ButtonWidth() > 0 && ButtonRect().contains(event->position().toPoint());
    setCursor(onButton || FStyle == esCheckBox ? Qt::ArrowCursor : Qt::IBeamCursor);
    TInplaceEdit::mouseMoveEvent(event);
}

void TInplaceEdit3D::ClickEllipsis() {
    QString str = FMOGrid->Cells(FMOGrid->Col(), FMOGrid->Row());
    FMOGrid->EditButtonClick(str);
    SetTextQuietly(str);
    Change();
}

void TInplaceEdit3D::ToggleCheck() {
    FChecked = !FChecked;
    Change();
    update();
    FMOGrid->CheckCellClick(FMOGrid->Col(), FMOGrid->Row(), FChecked);
}

void TInplaceEdit3D::Spin(int direction) {
    const TMOGridColumn* column = Column();
    if (!column)
        return;
    SetTextQuietly(SpinText(text(), direction, column->SpinButtonOption));
    Change();
}

void TInplaceEdit3D::DropDown() {
    const TMOGridColumn* column = Column();
    if (!column)
        return;
    if (FStyle == esCalendar) {
        FPanel = new TMOPopupPanel(column->CalColors, FDate, this);
        FPanel->OnClose = [this](bool) { TakeCalendarDate(); };
        FPanel->Popup(mapToGlobal(QPoint(0, height())));
        return;
    }
    if (!FList) {
        FList = new TPopListBox(this);
        FList->OnChoose = [this](const QString& entry) {
            FList->hide();
            SetTextQuietly(entry);
            Change();
            FMOGrid->ListBoxClick(entry);
        };
    }
    FList->setFont(font());
    FList->Popup(this, column->ListStrings().Lines());
}

void TInplaceEdit3D::TakeCalendarDate() {
    FDate = FPanel->Calendar()->Date();
    const TMOGridColumn* column = Column();
    const bool shortFormat = !column || column->DateFormat == dtShort;
    // The text takes the shape of the mask: two-digit years in the short form.
    SetTextQuietly(FormatDateTime(shortFormat ? "yy/mm/dd" : "yyyy'年'mm'月'dd'日'", FDate));
    Change();
}
