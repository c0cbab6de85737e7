#include "components/grids/MOInplaceCalender.h"

#include "components/grids/GridGlyphs.h"
#include "components/grids/MOGridColumns.h"

#include <QDate>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const char16_t* const ShortDayNames[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

int DaysInMonth(int year, int month) {
    return QDate(year, month, 1).daysInMonth();
}

// The date with another year and month; a day the month lacks becomes its last day.
TDateTime WithYearMonth(TDateTime date, int year, int month) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    return EncodeDate(year, month, std::min(d, DaysInMonth(year, month)));
}

// The red frame, two pixels wide, that marks today.
void DrawTodayMark(QPainter& painter, const QRect& rect) {
    painter.setPen(QPen(ToQColor(clRed), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
}

} // namespace

TMOInplaceCalender::TMOInplaceCalender(QWidget* parent) : TCustomGrid(parent), FDate(::Date()) {
    SetColCount(7);
    SetRowCount(7);
    SetFixedCols(0);
    SetFixedRows(1);
    SetOptions(goFixedHorzLine);
    SetColor(clBtnFace);
    SetFixedColor(clBtnFace);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    UpdateCalendar();
}

int TMOInplaceCalender::Year() const {
    return ToQDate(FDate).year();
}

int TMOInplaceCalender::Month() const {
    return ToQDate(FDate).month();
}

int TMOInplaceCalender::Day() const {
    return ToQDate(FDate).day();
}

void TMOInplaceCalender::SetDate(TDateTime value) {
    value = DateOf(value);
    if (value == FDate)
        return;
    FDate = value;
    UpdateCalendar();
}

void TMOInplaceCalender::SetDay(int value) {
    if (value < 1 || value > DaysInMonth(Year(), Month()) || value == Day())
        return;
    SetDate(EncodeDate(Year(), Month(), value));
}

void TMOInplaceCalender::SetYear(int value) {
    // 29 February in a year without it becomes the 28th rather than failing.
    if (value != Year() && value >= 1 && value <= 9999)
        SetDate(WithYearMonth(FDate, value, Month()));
}

void TMOInplaceCalender::SetMonth(int value) {
    if (value >= 1 && value <= 12)
        SetDate(WithYearMonth(FDate, Year(), value));
}

void TMOInplaceCalender::SetStartWeek(TMODayWeekName value) {
    FStartWeek = value;
    UpdateCalendar();
}

void TMOInplaceCalender::SetWeekEndColor(TColor value) {
    FWeekEndColor = value;
    Invalidate();
}

void TMOInplaceCalender::SetSaturDayColor(TColor value) {
    FSaturDayColor = value;
    Invalidate();
}

void TMOInplaceCalender::SetDayTextColor(TColor value) {
    FDayTextColor = value;
    Invalidate();
}

void TMOInplaceCalender::UpdateCalendar() {
    const int firstWeekday = ToQDate(EncodeDate(Year(), Month(), 1)).dayOfWeek() % 7 + 1;
    FMonthOffset = 2 - (firstWeekday - int(FStartWeek) + 7) % 7;
    if (FMonthOffset == 2)
        FMonthOffset = -5;
    const int cell = Day() - FMonthOffset;
    FUpdating = true;
    FocusCell(cell % 7, cell / 7 + 1);
    FUpdating = false;
    Invalidate();
}

QString TMOInplaceCalender::GetCellText(int col, int row) const {
    if (row == 0)
        return QString::fromUtf16(ShortDayNames[WeekdayOfCol(col)]);
    const int day = FMonthOffset + col + (row - 1) * 7;
    if (day < 1 || day > DaysInMonth(Year(), Month()))
        return QString();
    return QString::number(day);
}

bool TMOInplaceCalender::SelectCell(int col, int row) {
    return !GetCellText(col, row).isEmpty() && TCustomGrid::SelectCell(col, row);
}

void TMOInplaceCalender::Click() {
    const QString text = GetCellText(Col(), Row());
    if (!FUpdating && !text.isEmpty())
        SetDay(text.toInt());
    TCustomGrid::Click();
}

void TMOInplaceCalender::StepMonths(int months) {
    SetDate(FromQDate(ToQDate(FDate).addMonths(months)));
    if (OnChange)
        OnChange(this);
}

void TMOInplaceCalender::NextMonth() {
    StepMonths(1);
}

void TMOInplaceCalender::PrevMonth() {
    StepMonths(-1);
}

void TMOInplaceCalender::NextYear() {
    StepMonths(12);
    if (OnChange)
        OnChange(this);
}

void TMOInplaceCalender::PrevYear() {
    StepMonths(-12);
    if (OnChange)
        OnChange(this);
}

void TMOInplaceCalender::Resize() {
    const int vertLines = Options() & goVertLine ? 6 * GridLineWidth() : 0;
    SetDefaultColWidth(std::max(1, (viewport()->width() - vertLines) / 7));
    SetDefaultRowHeight(std::max(1, (viewport()->height() - 6 * GridLineWidth()) / 7));
}

void TMOInplaceCalender::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    TCanvas& canvas = *Canvas();
    const bool highlighted = (state & gdSelected) && !(state & gdFixed);
    if (!highlighted) {
        const int weekday = WeekdayOfCol(col);
        canvas.Font.Color = weekday == 0   ? FWeekEndColor
                            : weekday == 6 ? FSaturDayColor
                                           : FDayTextColor;
    }
    canvas.Brush.Style = bsClear;
    TRect area = rect;
    const QString text = GetCellText(col, row);
    canvas.DrawText(text, area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (row > 0 && !text.isEmpty() && EncodeDate(Year(), Month(), text.toInt()) == ::Date())
        DrawTodayMark(*canvas.Painter(), rect.ToQRect());
}

TMOSpeedButton::TMOSpeedButton(QWidget* parent) : QToolButton(parent) {
    setAutoRepeat(true);
    setAutoRepeatDelay(500);
    setAutoRepeatInterval(100);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

TMOStatusPanel::TMOStatusPanel(QWidget* parent) : QLabel(TodayText(), parent) {
    setToolTip("ここをダブルクリックすると\r\n今日に移動します。");
    setIndent(16);
}

QString TMOStatusPanel::TodayText() {
    return "今日: " + FormatDateTime("gg e/m/d", ::Date());
}

void TMOStatusPanel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter painter(this);
    DrawTodayMark(painter, QRect(2, 2, 12, height() - 4));
}

void TMOStatusPanel::mouseDoubleClickEvent(QMouseEvent*) {
    if (OnDblClick)
        OnDblClick(this);
}

namespace {

// A plain coloured strip of the panel.
QWidget* ColouredStrip(QWidget* parent, TColor color, int height) {
    QWidget* strip = new QWidget(parent);
    QPalette palette = strip->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    strip->setPalette(palette);
    strip->setAutoFillBackground(true);
    strip->setFixedHeight(height);
    return strip;
}

} // namespace

TMOPopupPanel::TMOPopupPanel(const TCalColors& colors, TDateTime date, QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAttribute(Qt::WA_DeleteOnClose);
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    QWidget* title = ColouredStrip(this, colors.TitleBackColor, 25);
    QHBoxLayout* row = new QHBoxLayout(title);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    FCalendar = new TMOInplaceCalender(this);
    FTitle = new QLabel(title);
    FTitle->setAlignment(Qt::AlignCenter);
    QPalette textPalette = FTitle->palette();
    textPalette.setColor(QPalette::WindowText, ToQColor(colors.TitleTextColor));
    FTitle->setPalette(textPalette);
    QFont bold = FTitle->font();
    bold.setBold(true);
    FTitle->setFont(bold);
    struct Step {
        const char* Glyph;
        const char* Hint;
        void (TMOInplaceCalender::*Go)();
    };
    const Step steps[] = {{"MOPREVYEAR", "前年", &TMOInplaceCalender::PrevYear},
                          {"MOPREVMONTH", "前月", &TMOInplaceCalender::PrevMonth},
                          {"MONEXTMONTH", "翌月", &TMOInplaceCalender::NextMonth},
                          {"MONEXTYEAR", "翌年", &TMOInplaceCalender::NextYear}};
    for (int i = 0; i < 4; ++i) {
        if (i == 2)
            row->addWidget(FTitle, 1);
        TMOSpeedButton* button = new TMOSpeedButton(title);
        button->setIcon(QIcon(GridGlyph(steps[i].Glyph)));
        button->setToolTip(QString::fromUtf8(steps[i].Hint));
        button->setObjectName(steps[i].Glyph);
        connect(button, &QToolButton::clicked, FCalendar, steps[i].Go);
        row->addWidget(button);
    }
    layout->addWidget(title);

    FCalendar->setFixedSize(160, 100);
    FCalendar->SetColor(colors.MonthBackColor);
    FCalendar->SetFixedColor(colors.MonthFixedColor);
    FCalendar->SetWeekEndColor(colors.WeekEndColor);
    FCalendar->SetSaturDayColor(colors.SaturDayColor);
    FCalendar->SetDayTextColor(colors.DayTextColor);
    FCalendar->SetDate(date);
    FCalendar->OnChange = [this](QObject*) { UpdateTitle(); };
    FCalendar->viewport()->installEventFilter(this);
    layout->addWidget(FCalendar);

    QWidget* statusStrip = ColouredStrip(this, colors.MonthBackColor, 15);
    QHBoxLayout* statusRow = new QHBoxLayout(statusStrip);
    statusRow->setContentsMargins(0, 0, 0, 0);
    TMOStatusPanel* status = new TMOStatusPanel(statusStrip);
    status->setFont(bold);
    status->OnDblClick = [this](QObject*) {
        FCalendar->SetDate(::Date());
        UpdateTitle();
    };
    statusRow->addWidget(status);
    layout->addWidget(statusStrip);
    setFixedWidth(160 + 2);
    UpdateTitle();
}

void TMOPopupPanel::UpdateTitle() {
    FTitle->setText(FormatDateTime("yyyy", FCalendar->Date()) + "年" +
                    FormatDateTime("m", FCalendar->Date()) + "月");
}

void TMOPopupPanel::Popup(const QPoint& pos) {
    adjustSize();
    QPoint place = pos;
    if (const QScreen* screen = QGuiApplication::screenAt(pos)) {
        const QRect area = screen->availableGeometry();
        if (place.y() + height() > area.bottom())
            place.setY(area.bottom() - height());
    }
    move(place);
    show();
}

bool TMOPopupPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->position().toPoint();
        const TGridCoord cell = FCalendar->MouseCoord(p.x(), p.y());
        if (mouse->button() == Qt::LeftButton && cell.Y > 0 &&
            !FCalendar->GetCellText(cell.X, cell.Y).isEmpty())
            CloseUp(true);
    }
    return QFrame::eventFilter(watched, event);
}

void TMOPopupPanel::CloseUp(bool chosen) {
    if (FClosing)
        return;
    FClosing = true;
    if (OnClose)
        OnClose(chosen);
    close();
}

void TMOPopupPanel::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    CloseUp(false);
}
