#include "base/DateTime.h"
#include "reruzida/ALed.h"
#include "reruzida/Clock.h"
#include "reruzida/TrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <vector>

using namespace reruzida;

namespace {

QRgb Center(const QImage& image) {
    return image.pixel(image.width() / 2, image.height() / 2);
}

QRgb Rgb(TColor color) {
    return ToQColor(color).rgb();
}

// An angle in whole degrees, 0 to 359, counter-clockwise from 3 o'clock.
int Degrees(double radians) {
    const int degrees = int(std::lround(radians * 180 / std::numbers::pi)) % 360;
    return degrees < 0 ? degrees + 360 : degrees;
}

} // namespace

TEST(ALedTest, EachStyleSizesTheLampAndPaintsItsFace) {
    const struct {
        TLEDStyle Style;
        QSize Size;
    } cases[] = {{LEDSmall, {16, 16}},   {LEDLarge, {22, 22}},    {LEDSqSmall, {16, 16}},
                 {LEDSqLarge, {22, 22}}, {LEDVertical, {14, 22}}, {LEDHorizontal, {22, 14}}};
    for (const auto& c : cases) {
        TALed led;
        led.SetLEDStyle(c.Style);
        led.SetFalseColor(clRed);
        EXPECT_EQ(led.size(), c.Size) << c.Style;
        EXPECT_EQ(Center(led.CurrentPicture()), Rgb(clRed)) << c.Style;
        EXPECT_EQ(Center(led.grab().toImage()), Rgb(clRed)) << c.Style;
    }
}

TEST(ALedTest, SteadyLampShowsOnAndTakesANewColourAtOnce) {
    TALed led;
    led.SetBlink(false);
    led.SetInterval(20);
    led.SetValue(true);
    QTest::qWait(80);
    EXPECT_TRUE(led.ShowsOnPicture());
    EXPECT_FALSE(led.Blinking());
    EXPECT_EQ(Center(led.CurrentPicture()), Rgb(clLime));
    led.SetTrueColor(clBlue);
    EXPECT_EQ(Center(led.grab().toImage()), Rgb(clBlue));
}

TEST(ALedTest, BlinksWhileOnAndStopsOnTheOffPicture) {
    TALed led;
    led.SetInterval(20);
    int ticks = 0;
    QList<bool> shown;
    led.OnTimer = [&](QObject*) {
        ++ticks;
        shown.append(led.ShowsOnPicture());
    };
    led.SetValue(true);
    EXPECT_TRUE(led.ShowsOnPicture());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 4; }, 2000));
    ASSERT_GE(shown.size(), 4);
    for (int i = 1; i < shown.size(); ++i)
        EXPECT_NE(shown[i], shown[i - 1]);
    led.SetValue(false);
    const int stoppedAt = ticks;
    QTest::qWait(80);
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_FALSE(led.ShowsOnPicture());
    EXPECT_EQ(Center(led.CurrentPicture()), Rgb(clSilver));
}

TEST(ClockTest, HandAnglesForTimesOfDay) {
    const struct {
        int Hour, Min, Sec;
        int HourDegrees, MinuteDegrees, SecondDegrees;
    } cases[] = {
        {0, 0, 0, 90, 90, 90},      {12, 0, 0, 90, 90, 90},     {15, 30, 0, 345, 270, 90},
        {3, 0, 15, 0, 90, 0},       {9, 45, 30, 158, 180, 270}, {18, 0, 45, 270, 90, 180},
        {23, 30, 59, 105, 270, 96},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Degrees(HourArmAngle(c.Hour, c.Min)), c.HourDegrees) << c.Hour << ":" << c.Min;
        EXPECT_EQ(Degrees(MinuteArmAngle(c.Min)), c.MinuteDegrees) << c.Min;
        EXPECT_EQ(Degrees(SecondArmAngle(c.Sec)), c.SecondDegrees) << c.Sec;
    }
}

TEST(ClockTest, HandsRunFromATailBehindTheCentreToTheTip) {
    const QPoint center(75, 75);
    EXPECT_EQ(ClockArm(center, MinuteArmAngle(0), 100), QLine(75, 90, 75, -25));
    EXPECT_EQ(ClockArm(center, MinuteArmAngle(15), 40), QLine(69, 75, 115, 75));
}

TEST(ClockTest, DotsOfAWideClockLieOnAnEllipse) {
    const QPoint center(100, 50);
    const int rx = 90, ry = 40;
    EXPECT_EQ(ClockDotCenter(0, center, rx, ry), QPoint(100, 10));
    EXPECT_EQ(ClockDotCenter(15, center, rx, ry), QPoint(190, 50));
    EXPECT_EQ(ClockDotCenter(30, center, rx, ry), QPoint(100, 90));
    EXPECT_EQ(ClockDotCenter(45, center, rx, ry), QPoint(10, 50));
    for (int i = 0; i < 60; ++i) {
        const QPoint dot = ClockDotCenter(i, center, rx, ry) - center;
        const double onRing =
            double(dot.x()) * dot.x() / (rx * rx) + double(dot.y()) * dot.y() / (ry * ry);
        EXPECT_NEAR(onRing, 1.0, 0.08) << i;
    }
    EXPECT_EQ(ClockDotRadius(0), 3);
    EXPECT_EQ(ClockDotRadius(45), 3);
    EXPECT_EQ(ClockDotRadius(10), 2);
    EXPECT_EQ(ClockDotRadius(7), 1);
}

TEST(ClockTest, NumbersSitBesideTheirDots) {
    const QPoint dot(100, 100);
    EXPECT_EQ(ClockNumberPosition(12, true, dot, 10, 12), QPoint(95, 104));
    EXPECT_EQ(ClockNumberPosition(12, false, dot, 10, 12), QPoint(95, 84));
    EXPECT_EQ(ClockNumberPosition(3, true, dot, 10, 12), QPoint(82, 94));
    EXPECT_EQ(ClockNumberPosition(9, false, dot, 10, 12), QPoint(82, 94));
}

TEST(ClockTest, TimeIsTakenOnlyWithoutAutoUpdate) {
    TClock clock;
    clock.SetHour(1);
    clock.SetTime(EncodeTime(15, 30, 0, 0));
    EXPECT_EQ(clock.Hour() * 10000 + clock.Min() * 100 + clock.Sec(), 101030);
    clock.SetAutoUpdate(false);
    clock.SetTime(EncodeTime(15, 30, 5, 0));
    EXPECT_EQ(clock.Hour() * 10000 + clock.Min() * 100 + clock.Sec(), 153005);
    EXPECT_DOUBLE_EQ(clock.Time(), EncodeTime(15, 30, 5, 0));
}

TEST(ClockTest, FollowsThePcClockEverySecond) {
    Clock::SetNow([] { return EncodeDate(2026, 12, 10) + EncodeTime(8, 20, 40, 0); });
    TClock clock;
    QList<int> reported;
    clock.OnClockTime = [&](QObject*, int h, int m, int s) { reported = {h, m, s}; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !reported.isEmpty(); }, 3000));
    Clock::SetNow(nullptr);
    EXPECT_EQ(reported, QList<int>({8, 20, 40}));
}

TEST(ClockTest, PaintsTheHandsAtMidnightStraightUp) {
    TClock clock;
    clock.SetAutoUpdate(false);
    clock.SetTime(0);
    clock.SetNumbering(false);
    clock.SetColor(clWhite);
    clock.SetArmColor(clNavy);
    const QImage face = clock.Render();
    // Above the centre the second hand (red, drawn last) covers the others at its width.
    EXPECT_EQ(face.pixel(75, 40), Rgb(clRed));
    EXPECT_EQ(face.pixel(76, 40), Rgb(clNavy));
    EXPECT_EQ(face.pixel(110, 75), Rgb(clWhite));
    EXPECT_EQ(face.pixel(75, 75 - 65), Rgb(clBlack)) << "the dot at 12";
}

namespace {

class TrayIconTest : public ::testing::Test {
protected:
    QWidget FOwner;
    TTrayIcon FTray{&FOwner};
    int FClicks = 0;
    int FDoubleClicks = 0;
    QList<TMouseButton> FDowns;

    void SetUp() override {
        FTray.OnClick = [this](QObject*) { ++FClicks; };
        FTray.OnDblClick = [this](QObject*) { ++FDoubleClicks; };
        FTray.OnMouseDown = [this](QObject*, TMouseButton b, TShiftState, int, int) {
            FDowns.append(b);
        };
    }
    void WaitOutDoubleClick() { QTest::qWait(QApplication::doubleClickInterval() + 150); }
};

} // namespace

TEST_F(TrayIconTest, TipIsCutTo62Characters) {
    FTray.SetTipHelp(QString(70, QChar(u'認')));
    EXPECT_EQ(FTray.TipHelp(), QString(62, QChar(u'認')));
}

TEST_F(TrayIconTest, WithoutPictureItShowsTheOwnerWindowsIcon) {
    QPixmap red(16, 16);
    red.fill(Qt::red);
    FOwner.setWindowIcon(QIcon(red));
    EXPECT_EQ(FTray.GetIconHandle().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
    FTray.SetVisible(true);
    FTray.SetVisible(true);
    EXPECT_TRUE(FTray.Visible());
    EXPECT_TRUE(FTray.Added());
    FTray.SetVisible(false);
    EXPECT_FALSE(FTray.Added());
}

TEST_F(TrayIconTest, SingleClickFiresOnceAfterTheDoubleClickTime) {
    FTray.TrayMessage(WM_LBUTTONDOWN);
    FTray.TrayMessage(WM_LBUTTONUP);
    EXPECT_EQ(FClicks, 0);
    WaitOutDoubleClick();
    EXPECT_EQ(FClicks, 1);
    EXPECT_EQ(FDowns, QList<TMouseButton>({mbLeft}));
}

TEST_F(TrayIconTest, DoubleClickFiresNoClick) {
    for (int message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        FTray.TrayMessage(message);
    EXPECT_EQ(FDoubleClicks, 1);
    WaitOutDoubleClick();
    EXPECT_EQ(FClicks, 0);
}

TEST_F(TrayIconTest, RightButtonPopsTheMenuInsteadOfMouseDown) {
    QMenu menu;
    menu.addAction("x");
    FTray.RBPopupMenu = &menu;
    FTray.TrayMessage(WM_RBUTTONDOWN);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(FDowns.isEmpty());
    menu.hide();
    FTray.AutoPopup = false;
    FTray.TrayMessage(WM_RBUTTONDOWN);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(FDowns, QList<TMouseButton>({mbRight}));
}

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouse) {
    FTray.SetEnabled(false);
    FTray.TrayMessage(WM_LBUTTONDBLCLK);
    FTray.TrayMessage(WM_MBUTTONDOWN);
    EXPECT_EQ(FDoubleClicks, 0);
    EXPECT_TRUE(FDowns.isEmpty());
}

TEST_F(TrayIconTest, TheHundredAndFirstIconIsRefused) {
    std::vector<std::unique_ptr<TTrayIcon>> icons;
    try {
        for (int i = 0; i < TTrayIcon::MaxIcons; ++i)
            icons.push_back(std::make_unique<TTrayIcon>(&FOwner));
        FAIL() << "no error";
    } catch (const ENotifyIconError& e) {
        EXPECT_EQ(e.Message(), "タスクトレイにアイコンを登録できません。");
        EXPECT_EQ(int(icons.size()), TTrayIcon::MaxIcons - 1);
    }
    icons.clear();
    EXPECT_NO_THROW(TTrayIcon{&FOwner});
}

namespace {

QIcon Filled(Qt::GlobalColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QRgb ColourOf(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().pixel(8, 8);
}

} // namespace

TEST_F(TrayIconTest, AnimationCyclesItsIconsAtTheRateOnTheTickCount) {
    EXPECT_EQ(FTray.AnimateRate(), 500);
    FTray.SetAnimateRate(50);
    EXPECT_EQ(FTray.AnimateRate(), 100);

    uint32_t ticks = 0xFFFFFF00; // the tick count wraps during the animation
    Clock::SetTicks([&] { return ticks; });
    FTray.SetIcon(Filled(Qt::black));
    FTray.AnimateIcons = {Filled(Qt::red), Filled(Qt::green), Filled(Qt::blue)};
    FTray.SetAnimateRate(200);
    EXPECT_EQ(ColourOf(FTray.ShownIcon()), QColor(Qt::black).rgb());
    FTray.StartAnimation();
    QList<QRgb> shown;
    for (int step = 0; step < 5; ++step, ticks += 200)
        shown << ColourOf(FTray.ShownIcon());
    const QRgb red = QColor(Qt::red).rgb(), green = QColor(Qt::green).rgb(),
               blue = QColor(Qt::blue).rgb();
    EXPECT_EQ(shown, (QList<QRgb>{red, green, blue, red, green}));
    ticks += 199;
    EXPECT_EQ(ColourOf(FTray.ShownIcon()), blue);
    FTray.StopAnimation();
    EXPECT_FALSE(FTray.Animating());
    EXPECT_EQ(ColourOf(FTray.ShownIcon()), QColor(Qt::black).rgb());
    Clock::SetTicks({});
}

TEST_F(TrayIconTest, PointerOverTheIconFiresMouseMove) {
    int moves = 0;
    TShiftState shift = ssShift;
    FTray.OnMouseMove = [&](QObject*, TShiftState s, int, int) {
        ++moves;
        shift = s;
    };
    FTray.TrayMessage(WM_MOUSEMOVE);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(shift, 0u);
    FTray.SetEnabled(false);
    FTray.TrayMessage(WM_MOUSEMOVE);
    EXPECT_EQ(moves, 1);
    EXPECT_TRUE(FDowns.isEmpty());
}
