#include "reruzida/ErrorLog.h"
#include "base/Text.h"
#include "tests/common/TempFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

using namespace reruzida;

// The log is written in UTF-8; a log written in code page 932, with Windows line ends,
// reads as well.
TEST(ErrorLogTest, ReadsALogInEitherEncoding) {
    const QStringList lines{"2001/09/14 14:56:58 認証機3から応答がありません",
                            "2001/09/14 14:50:00 ポートを開けません"};
    struct Case {
        const char* Name;
        QByteArray Bytes;
    };
    for (const Case& c : {Case{"UTF-8", lines.join('\n').toUtf8() + '\n'},
                          Case{"CP932", ToCP932(lines.join("\r\n") + "\r\n")}}) {
        SCOPED_TRACE(c.Name);
        TempFolder folder;
        QFile file(folder.File("ErrorLog.Log"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.Bytes);
        file.close();
        TErrorLog log(file.fileName());
        log.LoadErrorLog();
        EXPECT_EQ(log.Lines(), lines);
    }
}

// Qt's critical messages go to the log, from the window thread at once and from another
// through it; a failed assert on another thread reaches the file before the program ends.
TEST(ErrorLogTest, QtFaultsGoToTheLog) {
    TempFolder folder;
    SetErrorLogFolder(folder.Path());
    LogQtFaultsToErrorLog();
    qCritical("on the window thread");
    EXPECT_TRUE(ErrorLog().Lines().value(0).endsWith("on the window thread"));
    std::thread([] { qCritical("on another thread"); }).join();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(ErrorLog().Lines().value(0).endsWith("on another thread"));

    EXPECT_DEATH(std::thread([] { Q_ASSERT_X(false, "TImageReadWait", "twice"); }).join(), "");
    TErrorLog reread(ErrorLog().FileName());
    reread.LoadErrorLog();
    EXPECT_TRUE(reread.Lines().value(0).contains("ASSERT failure in TImageReadWait: \"twice\""))
        << reread.Lines().value(0).toStdString();
    qInstallMessageHandler(nullptr);
}
