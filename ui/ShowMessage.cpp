#include "ShowMessage.h"

#include "ApplicationTitle.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

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

int MessageBox(const QString& rawText, unsigned flags) {
    const QString text = WithLineFeeds(rawText);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("%s", qUtf8Printable(text));
        return IDOK;
    }
    const bool withCancel = (flags & MB_OKCANCEL) != 0;
    QMessageBox box((flags & MB_ICONEXCLAMATION) == MB_ICONEXCLAMATION ? QMessageBox::Warning
                                                                       : QMessageBox::NoIcon,
                    ApplicationTitle(), text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    FitTitle(box);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

void ShowMessage(const QString& text) {
    MessageBox(text, MB_OK);
}
