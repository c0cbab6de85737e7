#include "entrance/frame/ProgramLook.h"
#include "ui/Form.h"
#include "ui/ShowMessage.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace entrance;

namespace {

// The text of the message box that `show` brings up, closed at once.
QString ShownText(const std::function<void()>& show) {
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->done(QMessageBox::Ok);
        }
    });
    poll.start(10);
    show();
    return text;
}

} // namespace

// Qt's own buttons and dialogs speak Japanese, and every window shows the program's icon.
TEST(ScreenFaults, QtsOwnTextsAreJapaneseAndEveryWindowShowsTheProgramIcon) {
    ASSERT_TRUE(SetProgramLook()) << "Qt's Japanese translations (qt6-translations-l10n)";
    QMessageBox box(QMessageBox::NoIcon, "t", "x", QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "キャンセル");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
    TForm form;
    EXPECT_EQ(form.windowIcon().pixmap(32).toImage(), EntranceIcon().pixmap(32).toImage());
    EXPECT_FALSE(form.windowIcon().isNull());
}

// A line break the messages write with CR, alone or before LF, shows as a line break.
TEST(ScreenFaults, ALineBreakOfAMessageShowsAsALineBreak) {
    const struct {
        const char *written, *shown;
    } cases[] = {
        {"削除します。\r削除すると認証できなくなります。",
         "削除します。\n削除すると認証できなくなります。"},
        {"a\r\nb", "a\nb"},
        {"a\nb", "a\nb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownText([&] { ShowMessage(QString::fromUtf8(c.written)); }),
                  QString::fromUtf8(c.shown));
}
