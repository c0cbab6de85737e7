#include "Form_Message.h"
#include "entrance/common/EntranceSession.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace entrance {

namespace {

// The title bar over a window: how much its frame's top outgrows its bottom border, none before
// the window manager has framed the window.
int TitleBarHeight(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return std::max(0, (client.top() - frame.top()) - (frame.bottom() - client.bottom()));
}

} // namespace

TfrmMessage::TfrmMessage(QWidget* owner) : TForm(owner) {
    CreateControls();
    PBar1->hide();
    qApp->installEventFilter(this);
}

TfrmMessage::~TfrmMessage() {
    for (; FWaitCursors > 0; --FWaitCursors)
        QApplication::restoreOverrideCursor();
}

void TfrmMessage::CreateControls() {
    setWindowTitle("入退室管理システム");
    auto* layout = new QGridLayout(this);
    Ed_Message = new QLabel(this);
    Ed_MainMes = new QLabel(this);
    PBar1 = new QProgressBar(this);
    PBar1->setMinimum(0);
    PBar1->setTextVisible(false);
    Image1 = new QLabel(this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    layout->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(Ed_Message, 0, 1);
    layout->addWidget(Ed_MainMes, 1, 1);
    layout->addWidget(PBar1, 2, 0, 1, 2);
    // The texts start beside the icon; the room left over goes to their column.
    layout->setColumnStretch(1, 1);
    setFixedSize(360, 110);
}

void TfrmMessage::SetTexts(const QString& text, const QString& mainText) {
    Ed_Message->setText(text);
    Ed_MainMes->setText(mainText);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmMessage::StartProgress(int maximum) {
    PBar1->setRange(0, maximum);
    FProgress = 0;
    // Shown first, and its first count taken at once: the events run then paint the bar too.
    PBar1->show();
    FPainted.invalidate();
    TakeProgress();
}

void TfrmMessage::StepProgress() {
    if (!PBar1->isVisible() || FProgress >= PBar1->maximum())
        return;
    ++FProgress;
    TakeProgress();
}

// The bar repaints itself at once on every new value, and the reports start it for every page
// and step it for every cell they print; so it takes the count at most every 50 ms, which looks
// the same, and is filled when the window closes. Then the window system's events run too: a
// window manager maps the window and asks for its first paint only after the work has begun,
// and a window that never gets that answer stays an empty frame until the work ends.
void TfrmMessage::TakeProgress() {
    if (FPainted.isValid() && !FPainted.hasExpired(50))
        return;
    PBar1->setValue(FProgress);
    FPainted.start();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmMessage::FinalizeProgressBar() {
    if (!PBar1->isVisible())
        return;
    PBar1->setValue(PBar1->maximum());
    repaint();
    PBar1->hide();
}

void TfrmMessage::FormShow() {
    SetTexts(QString(), QString());
    PlaceBelowTopPanel();
}

// From the main window's corner (the screen's without one): left 50, and down twice the height
// of the main window's top panel.
void TfrmMessage::PlaceBelowTopPanel() {
    QPoint corner;
    int panelHeight = 0;
    if (QWidget* panel = EntranceSession().MainTopPanel) {
        corner = panel->window()->frameGeometry().topLeft();
        panelHeight = panel->height();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        corner = screen->availableGeometry().topLeft();
    }
    move(corner + QPoint(50, 2 * panelHeight));
}

bool TfrmMessage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && isVisible())
        if (auto* box = qobject_cast<QMessageBox*>(watched))
            // The box takes its place once it is shown.
            QTimer::singleShot(0, this, [this, box = QPointer<QWidget>(box)] {
                if (box)
                    StayAbove(box);
            });
    return TForm::eventFilter(watched, event);
}

// Just above the box, or below it where the screen has no room above.
void TfrmMessage::StayAbove(QWidget* box) {
    const QRect boxFrame = FrameWithTitleBar(box);
    const QRect ownFrame = FrameWithTitleBar(this);
    const int gap = 8;
    int top = boxFrame.top() - gap - ownFrame.height();
    if (top < 0)
        top = boxFrame.bottom() + gap;
    move(boxFrame.center().x() - ownFrame.width() / 2, top);
    raise();
}

// A box just shown has no title bar yet: the window manager adds it a moment later. Until then
// it is taken to get one as high as this window's own, or the style's where this window has
// none yet either.
QRect TfrmMessage::FrameWithTitleBar(const QWidget* window) const {
    QRect frame = window->frameGeometry();
    if (TitleBarHeight(window) == 0) {
        const int own = TitleBarHeight(this);
        frame.setTop(frame.top() -
                     (own > 0 ? own : style()->pixelMetric(QStyle::PM_TitleBarHeight)));
    }
    return frame;
}

void TfrmMessage::FormClose(TCloseAction& action) {
    FinalizeProgressBar();
    action = caFree;
}

// Only CloseMessageForm closes it, never the user.
void TfrmMessage::closeEvent(QCloseEvent* event) {
    if (!FMayClose) {
        event->ignore();
        return;
    }
    TForm::closeEvent(event);
}

void ShowMessageForm(QWidget* owner, bool normalStyle) {
    if (!EntranceSession().frmMessage) {
        // A window of its own: as a child of the owner, which the callers disable, its texts
        // would show greyed out. It closes when its owner goes.
        EntranceSession().frmMessage = new TfrmMessage(nullptr);
        if (owner)
            QObject::connect(owner, &QObject::destroyed, EntranceSession().frmMessage,
                             [window = EntranceSession().frmMessage.data()] {
                                 if (EntranceSession().frmMessage == window)
                                     CloseMessageForm();
                             });
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++EntranceSession().frmMessage->FWaitCursors;
    EntranceSession().frmMessage->setWindowFlag(Qt::WindowStaysOnTopHint, !normalStyle);
    EntranceSession().frmMessage->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    EntranceSession().frmMessage->show();
    EntranceSession().frmMessage->raise();
}

// The window is freed once the event loop runs again; the global lets go of it at once, so
// a wait window shown right after is a new one.
void CloseMessageForm() {
    if (EntranceSession().frmMessage) {
        EntranceSession().frmMessage->FMayClose = true;
        EntranceSession().frmMessage->close();
    }
    EntranceSession().frmMessage = nullptr;
}

} // namespace entrance
