#include "ShowMessage.h"

#include "ApplicationTitle.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>

namespace {

// The messages break their lines with CR, CR LF or LF; the box breaks only on LF.
QString WithLineFeeds(QString text) {
    return text.replace("\r\n", "\n").replace('\r', '\n');
}

// The width of a title bar's window icon and its minimise, maximise and close buttons, with the
// spaces between them and the caption.
constexpr int TitleBarButtonsWidth = 160;

} // namespace

void FitTitle(QMessageBox& box) {
    // Window managers show captions in bold.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    if (auto* label = box.findChild<QLabel*>("qt_msgbox_label"))
        label->setMinimumWidth(QFontMetrics(font).horizontalAdvance(box.windowTitle()) +
                               TitleBarButtonsWidth);
}

namespace {

// The box stands over the active window, unless that window is already closed and only waits
// to be deleted: it would take the box with it while the box is open.
QWidget* BoxOwner() {
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

} // namespace

int MessageBox(const QString& rawText, unsigned flags) {
    const QString text = WithLineFeeds(rawText);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("%s", qUtf8Printable(text));
        return IDOK;
    }
    const bool withCancel = (flags & MB_OKCANCEL) != 0;
    // Held through a guard: an owner deleted while the box is open deletes the box too, and
    // the answer is then a cancel.
    QPointer<QMessageBox> box = new QMessageBox(
        (flags & MB_ICONEXCLAMATION) == MB_ICONEXCLAMATION ? QMessageBox::Warning
                                                           : QMessageBox::NoIcon,
        ApplicationTitle(), text,
        withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, BoxOwner());
    box->setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    FitTitle(*box);
    const int answer = box->exec();
    delete box.data();
    return answer == QMessageBox::Ok ? IDOK : IDCANCEL;
}

void ShowMessage(const QString& text) {
    MessageBox(text, MB_OK);
}
