#pragma once

#include "base/SysUtils.h"
#include "ui/Events.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>

class QMenu;
class QWidget;

namespace reruzida {

// The notification area refused the icon, or too many icons exist.
class ENotifyIconError : public Exception {
public:
    using Exception::Exception;
};

// The shell's mouse notifications for a tray icon.
enum TTrayMouseMessage {
    WM_MOUSEMOVE = 512,
    WM_LBUTTONDOWN = 513,
    WM_LBUTTONUP = 514,
    WM_LBUTTONDBLCLK = 515,
    WM_RBUTTONDOWN = 516,
    WM_RBUTTONUP = 517,
    WM_MBUTTONDOWN = 519,
    WM_MBUTTONUP = 520,
};

using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

// An icon in the notification area with a tip, pop-up menus on its buttons and click
// events; a single click is told from a double click by waiting out the double-click time.
// Where the desktop has no notification area the icon is kept as if shown, so the
// program runs on and its menu stays reachable. While an animation runs, the icon shows
// AnimateIcons in turn, each for AnimateRate ms, counted on the program's tick count; the
// program itself never starts one.
class TTrayIcon : public QObject {
public:
    static constexpr int MaxIcons = 100;
    static constexpr int MaxTipLength = 62;
    static constexpr int MinAnimateRate = 100;

    // Raises ENotifyIconError when MaxIcons icons exist already.
    explicit TTrayIcon(QWidget* owner);
    ~TTrayIcon() override;
    Q_DISABLE_COPY(TTrayIcon)

    int ID() const { return FID; }
    QList<QIcon> AnimateIcons;
    int AnimateRate() const { return FAnimateRate; }
    // A rate below MinAnimateRate is stored as MinAnimateRate.
    void SetAnimateRate(int value);
    bool AutoPopup = true;
    QPointer<QMenu> LBPopupMenu;
    QPointer<QMenu> RBPopupMenu;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    const QIcon& Icon() const { return FIcon; }
    void SetIcon(const QIcon& value);
    const QString& TipHelp() const { return FTipHelp; }
    void SetTipHelp(const QString& value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // The icon is in the notification area.
    bool Added() const { return FAdded; }
    // The picture shown: Icon, else the owner window's icon, else the application's.
    QIcon GetIconHandle() const;

    void StartAnimation();
    void StopAnimation();
    bool Animating() const { return FAnimation.isActive(); }
    // What the notification area shows now: the animation's icon of the moment while one runs
    // over a list that has icons, else GetIconHandle.
    QIcon ShownIcon() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // Fires only where the platform reports the pointer: Qt's tray reports no hover.
    TMouseMoveEvent OnMouseMove;

    // Acts on one of the shell's mouse notifications for this icon.
    void TrayMessage(int mouseMessage);

private:
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void ButtonDown(QMenu* menu, TMouseButton button, TShiftState shift);
    void LeftButtonUp();
    void MouseUp(TMouseButton button);
    void SingleClickDone();
    void UpdateNotifyIcon();

    QWidget* const FOwner;
    const int FID;
    bool FEnabled = true;
    QIcon FIcon;
    QString FTipHelp;
    bool FVisible = false;
    bool FAdded = false;
    bool FClickPending = false;
    QTimer FSingleClick;
    int FAnimateRate = 500;
    uint32_t FAnimationStart = 0;
    // Wakes the animation to show the icon of the moment.
    QTimer FAnimation;
    QSystemTrayIcon FShell;
};

} // namespace reruzida
