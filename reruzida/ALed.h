#pragma once

#include "ui/Color.h"
#include "ui/Events.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace reruzida {

enum TLEDStyle { LEDSmall, LEDLarge, LEDSqSmall, LEDSqLarge, LEDVertical, LEDHorizontal };

// The size of a style's picture.
QSize LedStyleSize(TLEDStyle style);
// The style's lamp picture with its face in `face`.
QImage LedPicture(TLEDStyle style, TColor face);

// A coloured lamp that shows its on or off picture, blinking between them while on when
// Blink is set.
class TALed : public QWidget {
public:
    explicit TALed(QWidget* parent = nullptr);
    Q_DISABLE_COPY(TALed)

    TColor TrueColor() const { return FTrueColor; }
    void SetTrueColor(TColor value);
    TColor FalseColor() const { return FFalseColor; }
    void SetFalseColor(TColor value);
    bool Blink() const { return FBlink; }
    void SetBlink(bool value);
    bool Value() const { return FValue; }
    void SetValue(bool value);
    int Interval() const { return FTimer.interval(); }
    void SetInterval(int value) { FTimer.setInterval(value); }
    TLEDStyle LEDStyle() const { return FStyle; }
    void SetLEDStyle(TLEDStyle value);

    // The picture shown now: the on picture or the off picture.
    bool ShowsOnPicture() const { return FShowOn; }
    bool Blinking() const { return FTimer.isActive(); }
    const QImage& CurrentPicture() const { return FShowOn ? FOnPicture : FOffPicture; }

    TNotifyEvent OnTimer;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void LoadStyle();
    void ChangeColor(TColor& field, TColor value);
    void ShowPicture(bool on);
    void StartBlink();
    void StopBlink();
    void BlinkTimer();
    void Fire(const TNotifyEvent& event);

    TColor FTrueColor = clLime;
    TColor FFalseColor = clSilver;
    bool FBlink = true;
    bool FValue = false;
    TLEDStyle FStyle = LEDSmall;
    QImage FOnPicture;
    QImage FOffPicture;
    bool FShowOn = false;
    QTimer FTimer;
};

} // namespace reruzida
