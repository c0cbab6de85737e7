#include "base/QtFaults.h"
#include "base/ErrorLogFile.h"

#include "tests/common/TempFolder.h"

#include <QStringList>
#include <gtest/gtest.h>

// Qt's critical messages reach the writer, its warnings do not; a failed assert reaches the
// log file before the program ends.
TEST(QtFaults, CriticalAndFatalMessagesReachTheLog) {
    QStringList written;
    LogQtFaults([&written](const QString& message, bool fatal) {
        written << message + (fatal ? " fatal" : "");
    });
    qWarning("a warning");
    qCritical("a critical message");
    EXPECT_EQ(written, QStringList{"a critical message"});

    TempFolder temp;
    const QString log = temp.File("fault.Log");
    EXPECT_DEATH(
        {
            LogQtFaults([&log](const QString& message, bool) { WriteToLogFile(log, message); });
            Q_ASSERT_X(false, "TForm::ShowModal", "shown twice");
        },
        "");
    TErrorLog reread(log);
    reread.LoadErrorLog();
    ASSERT_EQ(reread.Lines().size(), 1);
    EXPECT_TRUE(reread.Lines()[0].contains("ASSERT failure in TForm::ShowModal: \"shown twice\""))
        << reread.Lines()[0].toStdString();
    qInstallMessageHandler(nullptr);
}
