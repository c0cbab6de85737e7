#pragma once

#include "ui/Color.h"

#include <QImage>
#include <QLine>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace reruzida {

enum TClockBackArrange { cbaTile, cbaCenter };

// The clock face's geometry, angles in radians counter-clockwise from 3 o'clock.
double HourArmAngle(int hour, int min);
double MinuteArmAngle(int min);
double SecondArmAngle(int sec);
// The centre of minute mark i (0 at 12 o'clock) on the ellipse of radii rx, ry.
QPoint ClockDotCenter(int i, QPoint center, int rx, int ry);
int ClockDotRadius(int i);
// A hand of `length` at `angle`, with its tail of 15% behind the centre.
QLine ClockArm(QPoint center, double angle, int length);
// The top left corner of number `number`'s text box (w x h) beside its dot.
QPoint ClockNumberPosition(int number, bool inner, QPoint dot, int w, int h);

// An analog clock face with hour, minute and second hands that follows the PC's clock
// while AutoUpdate is set.
class TClock : public QWidget {
public:
    using TClockTimeEvent = std::function<void(QObject* Sender, int Hour, int Min, int Sec)>;

    explicit TClock(QWidget* parent = nullptr);
    Q_DISABLE_COPY(TClock)

    int Hour() const { return FHour; }
    int Min() const { return FMin; }
    int Sec() const { return FSec; }
    // Each is taken only while AutoUpdate is off.
    void SetHour(int value);
    void SetMin(int value);
    void SetSec(int value);
    // The time of day as a day fraction.
    double Time() const;
    void SetTime(double value);

    bool AutoUpdate() const { return FTimer.isActive(); }
    void SetAutoUpdate(bool value);

    // Drawing settings; the setters repaint.
    void SetMargin(int value) { Change(FMargin, value); }
    void SetNumbering(bool value) { Change(FNumbering, value); }
    void SetInnerNumber(bool value) { Change(FInnerNumber, value); }
    void SetShowSecondArm(bool value) { Change(FShowSecondArm, value); }
    void SetArmColor(TColor value) { Change(FArmColor, value); }
    void SetDotColor(TColor value) { Change(FDotColor, value); }
    void SetColor(TColor value) { Change(FColor, value); }
    void SetLongArmWidth(int value) { Change(FLongArmWidth, value); }
    void SetShortArmWidth(int value) { Change(FShortArmWidth, value); }
    void SetBack(const QImage& value) { Change(FBack, value); }
    void SetBackArrange(TClockBackArrange value) { Change(FBackArrange, value); }
    TColor ArmColor() const { return FArmColor; }
    TColor DotColor() const { return FDotColor; }
    int LongArmWidth() const { return FLongArmWidth; }
    int ShortArmWidth() const { return FShortArmWidth; }

    // The face as it is painted now.
    QImage Render() const;

    TClockTimeEvent OnClockTime;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T> void Change(T& field, const T& value) {
        field = value;
        update();
    }
    void TakeCurrentTime();
    void ClockTimer();
    void DrawBack(QPainter& painter) const;
    void DrawDots(QPainter& painter, QPoint center, int rx, int ry) const;
    void DrawArm(QPainter& painter, QPoint center, double angle, int length, TColor color,
                 int width) const;

    int FHour = 10;
    int FMin = 10;
    int FSec = 30;
    int FMargin = 10;
    bool FNumbering = true;
    bool FInnerNumber = true;
    bool FShowSecondArm = true;
    TColor FArmColor = clBlack;
    TColor FDotColor = clBlack;
    TColor FColor = clBtnFace;
    int FLongArmWidth = 4;
    int FShortArmWidth = 6;
    QImage FBack;
    TClockBackArrange FBackArrange = cbaTile;
    QTimer FTimer;
};

} // namespace reruzida
