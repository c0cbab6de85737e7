#include "reruzida/ALed.h"

#include <QMouseEvent>
#include <QPainter>

namespace reruzida {

QSize LedStyleSize(TLEDStyle style) {
    switch (style) {
    case LEDSmall:
    case LEDSqSmall:
        return {16, 16};
    case LEDLarge:
    case LEDSqLarge:
        return {22, 22};
    case LEDVertical:
        return {14, 22};
    case LEDHorizontal:
        return {22, 14};
    }
    return {16, 16};
}

// A dark rim around the face and a light edge at its upper left, as a lamp set in a panel.
QImage LedPicture(TLEDStyle style, TColor face) {
    const QSize size = LedStyleSize(style);
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, style == LEDSmall || style == LEDLarge);
    const QRectF outer(0.5, 0.5, size.width() - 1, size.height() - 1);
    const QRectF inner = outer.adjusted(2, 2, -2, -2);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.setBrush(QColor(255, 255, 255));
    if (style == LEDSmall || style == LEDLarge)
        painter.drawEllipse(outer);
    else
        painter.drawRect(outer);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.setBrush(ToQColor(face));
    if (style == LEDSmall || style == LEDLarge)
        painter.drawEllipse(inner);
    else
        painter.drawRect(inner);
    return picture;
}

TALed::TALed(QWidget* parent) : QWidget(parent) {
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, [this] { BlinkTimer(); });
    LoadStyle();
}

void TALed::LoadStyle() {
    FOnPicture = LedPicture(FStyle, FTrueColor);
    FOffPicture = LedPicture(FStyle, FFalseColor);
    setFixedSize(LedStyleSize(FStyle));
}

void TALed::ShowPicture(bool on) {
    FShowOn = on;
    update();
}

void TALed::SetTrueColor(TColor value) {
    ChangeColor(FTrueColor, value);
}

void TALed::SetFalseColor(TColor value) {
    ChangeColor(FFalseColor, value);
}

void TALed::ChangeColor(TColor& field, TColor value) {
    if (value == field)
        return;
    field = value;
    LoadStyle();
    update();
}

void TALed::SetBlink(bool value) {
    if (value == FBlink)
        return;
    FBlink = value;
    StopBlink();
    ShowPicture(FValue);
    if (FBlink && FValue)
        StartBlink();
}

void TALed::SetValue(bool value) {
    if (value == FValue)
        return;
    FValue = value;
    if (FValue) {
        ShowPicture(true);
        if (FBlink)
            StartBlink();
    } else {
        StopBlink();
        ShowPicture(false);
    }
}

void TALed::SetLEDStyle(TLEDStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    LoadStyle();
    update();
}

void TALed::StartBlink() {
    if (FTimer.isActive())
        return;
    ShowPicture(true);
    FTimer.start();
}

void TALed::StopBlink() {
    FTimer.stop();
}

void TALed::BlinkTimer() {
    ShowPicture(!FShowOn);
    Fire(OnTimer);
}

void TALed::Fire(const TNotifyEvent& event) {
    if (event)
        event(this);
}

void TALed::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), CurrentPicture());
}

void TALed::enterEvent(QEnterEvent*) {
    Fire(OnMouseEnter);
}

void TALed::leaveEvent(QEvent*) {
    Fire(OnMouseLeave);
}

void TALed::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Fire(OnClick);
}

} // namespace reruzida
