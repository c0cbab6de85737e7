#include "reruzida/TrayIcon.h"

#include "base/DateTime.h"

#include <QApplication>
#include <QCursor>
#include <QList>
#include <QMenu>
#include <QWidget>

namespace reruzida {

namespace {

// The IDs of the live icons, in the order they were made.
QList<int>& LiveIcons() {
    static QList<int> icons;
    return icons;
}

int TakeIconId() {
    QList<int>& icons = LiveIcons();
    if (icons.size() >= TTrayIcon::MaxIcons)
        throw ENotifyIconError("タスクトレイにアイコンを登録できません。");
    const int id = icons.isEmpty() ? 1 : icons.last() + 1;
    icons.append(id);
    return id;
}

} // namespace

TTrayIcon::TTrayIcon(QWidget* owner) : QObject(owner), FOwner(owner), FID(TakeIconId()) {
    FSingleClick.setSingleShot(true);
    connect(&FSingleClick, &QTimer::timeout, this, [this] { SingleClickDone(); });
    connect(&FAnimation, &QTimer::timeout, this, [this] { UpdateNotifyIcon(); });
    connect(&FShell, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
}

TTrayIcon::~TTrayIcon() {
    FShell.hide();
    LiveIcons().removeOne(FID);
}

void TTrayIcon::SetEnabled(bool value) {
    FEnabled = value;
    if (!value)
        FClickPending = false;
}

void TTrayIcon::SetIcon(const QIcon& value) {
    FIcon = value;
    UpdateNotifyIcon();
}

void TTrayIcon::SetTipHelp(const QString& value) {
    const QString tip = value.left(MaxTipLength);
    if (tip == FTipHelp)
        return;
    FTipHelp = tip;
    UpdateNotifyIcon();
}

void TTrayIcon::SetVisible(bool value) {
    if (value == FVisible)
        return;
    FVisible = value && !GetIconHandle().isNull();
    FAdded = FVisible;
    UpdateNotifyIcon();
    FShell.setVisible(FVisible);
}

QIcon TTrayIcon::GetIconHandle() const {
    if (!FIcon.isNull())
        return FIcon;
    if (FOwner && !FOwner->windowIcon().isNull())
        return FOwner->windowIcon();
    return QApplication::windowIcon();
}

void TTrayIcon::SetAnimateRate(int value) {
    FAnimateRate = qMax(value, MinAnimateRate);
    FAnimation.setInterval(FAnimateRate);
}

void TTrayIcon::StartAnimation() {
    FAnimationStart = GetTickCount();
    FAnimation.start(FAnimateRate);
    UpdateNotifyIcon();
}

void TTrayIcon::StopAnimation() {
    FAnimation.stop();
    UpdateNotifyIcon();
}

QIcon TTrayIcon::ShownIcon() const {
    if (!Animating() || AnimateIcons.isEmpty())
        return GetIconHandle();
    const uint32_t frames = (GetTickCount() - FAnimationStart) / uint32_t(FAnimateRate);
    return AnimateIcons[int(frames % uint32_t(AnimateIcons.size()))];
}

void TTrayIcon::UpdateNotifyIcon() {
    FShell.setIcon(ShownIcon());
    FShell.setToolTip(FTipHelp);
}

// Qt reports whole clicks; each becomes the shell's button notifications.
void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        TrayMessage(WM_LBUTTONDOWN);
        TrayMessage(WM_LBUTTONUP);
        break;
    case QSystemTrayIcon::DoubleClick:
        TrayMessage(WM_LBUTTONDBLCLK);
        TrayMessage(WM_LBUTTONUP);
        break;
    case QSystemTrayIcon::Context:
        TrayMessage(WM_RBUTTONDOWN);
        TrayMessage(WM_RBUTTONUP);
        break;
    case QSystemTrayIcon::MiddleClick:
        TrayMessage(WM_MBUTTONDOWN);
        TrayMessage(WM_MBUTTONUP);
        break;
    default:
        break;
    }
}

void TTrayIcon::TrayMessage(int mouseMessage) {
    if (!FEnabled)
        return;
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        if (OnMouseMove)
            OnMouseMove(this, 0, QCursor::pos().x(), QCursor::pos().y());
        break;
    case WM_LBUTTONDOWN:
        ButtonDown(LBPopupMenu, mbLeft, ssLeft);
        break;
    case WM_LBUTTONUP:
        LeftButtonUp();
        break;
    case WM_LBUTTONDBLCLK:
        FClickPending = true;
        if (OnDblClick)
            OnDblClick(this);
        break;
    case WM_RBUTTONDOWN:
        ButtonDown(RBPopupMenu, mbRight, ssRight);
        break;
    case WM_RBUTTONUP:
        MouseUp(mbRight);
        break;
    case WM_MBUTTONDOWN:
        if (OnMouseDown)
            OnMouseDown(this, mbMiddle, 0, QCursor::pos().x(), QCursor::pos().y());
        break;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle);
        break;
    default:
        break;
    }
}

void TTrayIcon::ButtonDown(QMenu* menu, TMouseButton button, TShiftState shift) {
    const QPoint at = QCursor::pos();
    if (menu && AutoPopup) {
        if (FOwner)
            FOwner->activateWindow();
        menu->popup(at);
        return;
    }
    if (OnMouseDown)
        OnMouseDown(this, button, shift, at.x(), at.y());
}

void TTrayIcon::MouseUp(TMouseButton button) {
    if (OnMouseUp)
        OnMouseUp(this, button, 0, QCursor::pos().x(), QCursor::pos().y());
}

// The second button-up of a double click clears the pending mark, so no click follows.
void TTrayIcon::LeftButtonUp() {
    if (OnMouseUp) {
        MouseUp(mbLeft);
        return;
    }
    if (!OnClick) {
        FClickPending = false;
        return;
    }
    if (FClickPending) {
        FClickPending = false;
        return;
    }
    FClickPending = true;
    FSingleClick.start(QApplication::doubleClickInterval() + 50);
}

void TTrayIcon::SingleClickDone() {
    if (FClickPending && OnClick)
        OnClick(this);
    FClickPending = false;
}

} // namespace reruzida
