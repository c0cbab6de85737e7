#include "reruzida/Clock.h"

#include "base/DateTime.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace reruzida {

namespace {

// Halves round to even, as the face's positions were always rounded.
int Round(double value) {
    return int(std::nearbyint(value));
}

constexpr double Pi = std::numbers::pi;

} // namespace

double HourArmAngle(int hour, int min) {
    const int h = hour > 12 ? hour - 12 : hour;
    return (2.5 - (h / 6.0 + min / 360.0)) * Pi;
}

double MinuteArmAngle(int min) {
    return (2.5 - min / 30.0) * Pi;
}

double SecondArmAngle(int sec) {
    return (2.5 - sec / 30.0) * Pi;
}

QPoint ClockDotCenter(int i, QPoint center, int rx, int ry) {
    const double theta = (2.5 - i / 30.0) * Pi;
    const double a = rx * std::sin(theta);
    const double b = ry * std::cos(theta);
    const int rho = Round(std::sqrt(double(rx) * rx * ry * ry / (a * a + b * b)));
    return {center.x() + Round(std::cos(theta) * rho), center.y() - Round(std::sin(theta) * rho)};
}

int ClockDotRadius(int i) {
    if (i % 15 == 0)
        return 3;
    return i % 5 == 0 ? 2 : 1;
}

QLine ClockArm(QPoint center, double angle, int length) {
    const double tail = 0.15 * length;
    return {center.x() - Round(std::cos(angle) * tail), center.y() + Round(std::sin(angle) * tail),
            center.x() + Round(std::cos(angle) * length),
            center.y() - Round(std::sin(angle) * length)};
}

QPoint ClockNumberPosition(int number, bool inner, QPoint dot, int w, int h) {
    const int x = dot.x();
    const int y = dot.y();
    const int hw = Round(w / 2.0);
    const int hh = Round(h / 2.0);
    struct TOffsets {
        QPoint Inner;
        QPoint Outer;
    };
    const TOffsets table[12] = {
        {{x - w, y}, {x + 2, y - h - 2}},       {{x - w - 4, y - 6}, {x + 4, y - h}},
        {{x - w - 8, y - hh}, {x + 8, y - hh}}, {{x - w - 4, y - h + 6}, {x + 4, y - 4}},
        {{x - w, y - h}, {x + 2, y + 2}},       {{x - hw, y - h - 2}, {x - hw, y + 4}},
        {{x, y - h}, {x - w - 2, y + 2}},       {{x + 4, y - h + 6}, {x - w - 6, y - 4}},
        {{x + 8, y - hh}, {x - w - 8, y - hh}}, {{x + 4, y - 6}, {x - w - 4, y - h}},
        {{x - 2, y}, {x - w - 2, y - h - 2}},   {{x - hw, y + 4}, {x - hw, y - h - 4}},
    };
    const TOffsets& entry = table[number - 1];
    return inner ? entry.Inner : entry.Outer;
}

TClock::TClock(QWidget* parent) : QWidget(parent) {
    resize(150, 150);
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, [this] { ClockTimer(); });
    FTimer.start();
}

void TClock::SetHour(int value) {
    if (!AutoUpdate())
        Change(FHour, value);
}

void TClock::SetMin(int value) {
    if (!AutoUpdate())
        Change(FMin, value);
}

void TClock::SetSec(int value) {
    if (!AutoUpdate())
        Change(FSec, value);
}

double TClock::Time() const {
    return EncodeTime(FHour, FMin, FSec, 0);
}

void TClock::SetTime(double value) {
    if (AutoUpdate())
        return;
    int msec = 0;
    DecodeTime(value, FHour, FMin, FSec, msec);
    update();
}

void TClock::SetAutoUpdate(bool value) {
    if (value)
        FTimer.start();
    else
        FTimer.stop();
    update();
}

void TClock::TakeCurrentTime() {
    int msec = 0;
    DecodeTime(Now(), FHour, FMin, FSec, msec);
}

void TClock::ClockTimer() {
    TakeCurrentTime();
    update();
    if (OnClockTime)
        OnClockTime(this, FHour, FMin, FSec);
}

void TClock::DrawBack(QPainter& painter) const {
    painter.fillRect(rect(), ToQColor(FColor));
    if (FBack.isNull())
        return;
    if (FBackArrange == cbaCenter) {
        painter.drawImage((width() - FBack.width()) / 2, (height() - FBack.height()) / 2, FBack);
        return;
    }
    for (int y = 0; y < height(); y += FBack.height())
        for (int x = 0; x < width(); x += FBack.width())
            painter.drawImage(x, y, FBack);
}

void TClock::DrawDots(QPainter& painter, QPoint center, int rx, int ry) const {
    const QFontMetrics metrics(font());
    for (int i = 0; i < 60; ++i) {
        const QPoint dot = ClockDotCenter(i, center, rx, ry);
        const int r = ClockDotRadius(i);
        painter.setPen(QPen(ToQColor(FDotColor), 1));
        painter.setBrush(ToQColor(FDotColor));
        painter.drawEllipse(QRect(dot.x() - r, dot.y() - r, 2 * r, 2 * r));
        if (i % 5 != 0 || !FNumbering)
            continue;
        const int number = i == 0 ? 12 : i / 5;
        const QString text = QString::number(number);
        const QSize box(metrics.horizontalAdvance(text), metrics.height());
        const QPoint at = ClockNumberPosition(number, FInnerNumber, dot, box.width(), box.height());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(at, box), Qt::AlignLeft | Qt::AlignTop, text);
    }
}

void TClock::DrawArm(QPainter& painter, QPoint center, double angle, int length, TColor color,
                     int width) const {
    painter.setPen(QPen(ToQColor(color), width));
    painter.drawLine(ClockArm(center, angle, length));
}

QImage TClock::Render() const {
    QImage face(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&face);
    painter.setFont(font());
    DrawBack(painter);
    const QPoint center(width() / 2, height() / 2);
    const int rx = width() / 2 - FMargin;
    const int ry = height() / 2 - FMargin;
    DrawDots(painter, center, rx, ry);
    const int r = std::min(rx, ry);
    DrawArm(painter, center, HourArmAngle(FHour, FMin), Round(0.6 * r), FArmColor, FShortArmWidth);
    DrawArm(painter, center, MinuteArmAngle(FMin), Round(0.9 * r), FArmColor, FLongArmWidth);
    if (FShowSecondArm)
        DrawArm(painter, center, SecondArmAngle(FSec), Round(0.85 * r), clRed, 1);
    return face;
}

void TClock::paintEvent(QPaintEvent*) {
    if (AutoUpdate())
        TakeCurrentTime();
    QPainter(this).drawImage(0, 0, Render());
    setToolTip(TimeToStr(Time()));
}

} // namespace reruzida
