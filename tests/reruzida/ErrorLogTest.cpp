#include "reruzida/ErrorLog.h"
#include "base/Text.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

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
