#include "ui/Form.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>

namespace {

QPointer<QMdiArea> TheMainArea;

// Controls that take typed text, where Enter means "next field".
bool IsEntryField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

} // namespace

void SetMainArea(QMdiArea* area) {
    TheMainArea = area;
}

QMdiArea* MainArea() {
    return TheMainArea;
}

TForm::TForm(QWidget* owner) : QWidget(owner, Qt::Window) {}

TForm::~TForm() {
    if (FModalLoop)
        FModalLoop->quit();
}

// The window that carries the form on the screen: its MDI frame, or the form itself.
QWidget* TForm::Frame() const {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return const_cast<TForm*>(this);
}

void TForm::ShowMdiChild() {
    if (FClosing)
        return;
    if (QMdiArea* area = MainArea(); area && Frame() == this) {
        auto* sub = new QMdiSubWindow(area);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWidget(this);
        sub->setWindowTitle(windowTitle());
        connect(this, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
        area->addSubWindow(sub);
        sub->adjustSize();
    }
    Frame()->show();
    if (FClosing)
        return;
    show();
    BringToFront();
}

void TForm::BringToFront() {
    Frame()->raise();
    Frame()->activateWindow();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(Frame()))
        sub->mdiArea()->setActiveSubWindow(sub);
}

int TForm::ShowModal() {
    // Asked again while its loop runs (a handler reached twice): the open form keeps what the
    // operator typed, and the second caller gets no answer.
    if (FModalLoop)
        return mrCancel;
    if (FClosing)
        return FModalResult;
    setWindowFlag(Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    FModalResult = mrNone;
    QPointer<TForm> self(this);
    QEventLoop loop;
    FModalLoop = &loop;
    show();
    // A form that closed itself while being shown needs no loop.
    if (self && isVisible())
        loop.exec(QEventLoop::DialogExec);
    // Freed under the loop by its owner: nothing was answered.
    if (!self)
        return mrCancel;
    FModalLoop = nullptr;
    return FModalResult;
}

void TForm::SetModalResult(int value) {
    FModalResult = value;
    if (value != mrNone && FModalLoop)
        close();
}

void TForm::CenterInMainArea() {
    QWidget* frame = Frame();
    QRect area;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
        area = sub->mdiArea()->viewport()->rect();
    else if (MainArea())
        area = QRect(MainArea()->viewport()->mapToGlobal(QPoint(0, 0)),
                     MainArea()->viewport()->size());
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    const QSize size = frame->frameGeometry().size();
    frame->move(area.left() + std::max(0, (area.width() - size.width()) / 2),
                area.top() + std::max(0, (area.height() - size.height()) / 2));
}

void TForm::closeEvent(QCloseEvent* event) {
    TCloseAction action = caFree;
    FormClose(action);
    if (action == caNone) {
        event->ignore();
        return;
    }
    event->accept();
    if (FModalLoop)
        FModalLoop->quit();
    QWidget* frame = Frame();
    if (frame != this)
        frame->hide();
    if (action == caFree) {
        FClosing = true;
        frame->deleteLater();
    }
}

void TForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool EnterClicksFocusedButton(const QWidget* window, const QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto* button = qobject_cast<QPushButton*>(window->focusWidget());
    if (button)
        button->click();
    return button != nullptr;
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (EnterClicksFocusedButton(this, event))
        return;
    QWidget* focus = focusWidget();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (IsEntryField(focus)) {
            focusNextChild();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (EscapeButton && EscapeButton->isEnabled() && EscapeButton->isVisible()) {
            EscapeButton->setFocus(Qt::ShortcutFocusReason);
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}
