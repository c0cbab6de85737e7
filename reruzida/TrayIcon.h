#pragma once

#include "base/SysUtils.h"
#include "ui/Events.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

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

// An icon in the notification area with a tip, pop-up menus on its buttons and click
// events; a single click is told from a double click by waiting out the double-click time.
// Where the desktop has no notification area the icon is kept as if shown, so the
// program runs on and its menu stays reachable.
class TTrayIcon : public QObject {
public:
    static constexpr int MaxIcons = 100;
    static constexpr int MaxTipLength = 62;

    // Raises ENotifyIconError when MaxIcons icons exist already.
    explicit TTrayIcon(QWidget* owner);
    ~TTrayIcon() override;
    Q_DISABLE_COPY(TTrayIcon)

    int ID() const { return FID; }
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

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

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
    QSystemTrayIcon FShell;
};

} // namespace reruzida
