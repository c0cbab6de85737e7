#include "base/DateTime.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/maintenance/Form_LogDelete.h"
#include "entrance/maintenance/LogMonths.h"
#include "tests/entrance/ScreenFixture.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <sqlite3.h>

using namespace entrance;

TEST(LogMonths, KeptAndDeletedMonths) {
    // (today, N) -> the oldest kept month; the month before it goes, the current one stays.
    const struct {
        int current, kept, oldest;
    } table[] = {{200203, 3, 200201},
                 {200202, 3, 200112},
                 {200212, 12, 200201},
                 {200201, 12, 200102},
                 {200201, 1, 200201}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.current);
        EXPECT_EQ(OldestKeptMonth(row.current, row.kept), row.oldest);
        const int before = row.oldest % 100 == 1 ? row.oldest - 89 : row.oldest - 1;
        EXPECT_EQ(LogMonthFate(before, row.current, row.kept), TLogMonthFate::Delete);
        EXPECT_EQ(LogMonthFate(row.oldest, row.current, row.kept), TLogMonthFate::Keep);
        EXPECT_EQ(LogMonthFate(row.current, row.current, row.kept), TLogMonthFate::Keep);
        const int after = row.current % 100 == 12 ? row.current + 89 : row.current + 1;
        EXPECT_EQ(LogMonthFate(after, row.current, row.kept), TLogMonthFate::AskFuture);
    }
}

TEST(LogMonths, TableMonthsAndPeriod) {
    EXPECT_EQ(LogTableMonth("ENTRANCE_LOG2001_09"), 200109);
    EXPECT_EQ(LogTableMonth("ENTRANCE_LOG2001_13"), 0);
    EXPECT_EQ(LogTableMonth("entranceState"), 0);
    EXPECT_EQ(LogPeriodText({"ENTRANCE_LOG2002_03", "entrance_log2001_09", "ENTRANCE_LOG2001_12"}),
              "2001年09月　～　2002年03月");
    EXPECT_EQ(LogPeriodText({}), "");
}

namespace {

struct LogDeleteScreen : ScreenFixture {
    LogDeleteScreen() {
        Clock::SetNow([] { return EncodeDate(2002, 3, 15) + 0.5; });
        QStringList sql;
        for (const char* month : {"2001_11", "2001_12", "2002_01", "2002_03", "2002_04", "2002_05"})
            sql << QString("CREATE TABLE ENTRANCE_LOG%1 (個人コード TEXT (7))").arg(month);
        RunAll(sql, true);
    }
    ~LogDeleteScreen() override {
        if (EntranceSession().frmLogDelete)
            delete EntranceSession().frmLogDelete.data();
        Clock::SetNow({});
    }
    TfrmLogDelete* Open() {
        OpenMdiChild(EntranceSession().frmLogDelete);
        return EntranceSession().frmLogDelete;
    }
    QStringList Files() {
        return QDir(Temp.Path()).entryList({"ENTRANCE_LOG*"}, QDir::Files, QDir::Name);
    }
    TMessageAnswers answers;
};

} // namespace

TEST_F(LogDeleteScreen, DeletesOlderMonthsAndFutureOnesOnlyWhenConfirmed) {
    TfrmLogDelete* form = Open();
    EXPECT_EQ(form->windowTitle(), "過去記録の削除");
    EXPECT_EQ(form->pnlActiveDte->text(), "2001年11月　～　2002年05月");
    EXPECT_EQ(form->UpDownMonth->value(), 3);
    form->UpDownMonth->setValue(0);
    EXPECT_EQ(form->UpDownMonth->value(), 1) << "keeping no month is impossible";
    form->UpDownMonth->setValue(3);
    form->grab().save(TestOutputFolder() + "/TfrmLogDelete.png");

    answers.Cancels = {false, false, true}; // run; delete April; keep May
    form->btnOK->click();
    EXPECT_EQ(answers.Texts,
              (QStringList{"削除したデータを復帰することは出来ません。よろしいですか？",
                           "未来のデータが存在します。削除しますか？",
                           "未来のデータが存在します。削除しますか？", "終了しました。"}));
    EXPECT_EQ(Files(), (QStringList{"ENTRANCE_LOG2002_01.DB", "ENTRANCE_LOG2002_03.DB",
                                    "ENTRANCE_LOG2002_05.DB"}));
    EXPECT_EQ(form->pnlActiveDte->text(), "2002年01月　～　2002年05月");
    EXPECT_EQ(form->lstLog, (QStringList{"2002_01", "2002_03", "2002_05"}));
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(LogDeleteScreen, KeepsATableInUse) {
    auto other = SqlConnection::OpenFolder(Temp.Path());
    other->StartTransaction();
    other->Execute("INSERT INTO ENTRANCE_LOG2001_11 VALUES ('0001')");
    TfrmLogDelete* form = Open();
    answers.Cancels = {false, true, true};
    form->btnOK->click();
    other->Rollback();
    EXPECT_TRUE(answers.Texts.contains("ENTRANCE_LOG2001_11 は使用中のため削除できませんでした。"))
        << answers.Texts.join("|").toStdString();
    EXPECT_EQ(Files().first(), "ENTRANCE_LOG2001_11.DB");
    EXPECT_FALSE(Files().contains("ENTRANCE_LOG2001_12.DB"));
}

// A click on a month panel marks it and the panels after it; nothing else happens.
TEST_F(LogDeleteScreen, MonthPanelClickMarksItAndTheLaterOnes) {
    TfrmLogDelete* form = Open();
    ASSERT_EQ(form->pnlMonths.size(), 12);
    const auto reds = [form] {
        QString marks;
        for (QLabel* panel : form->pnlMonths)
            marks += panel->palette().color(QPalette::Window) == Qt::red ? 'R' : '-';
        return marks;
    };
    QTest::mouseClick(form->findChild<QLabel*>("pnl5"), Qt::LeftButton);
    EXPECT_EQ(reds(), "----RRRRRRRR");
    QTest::mouseClick(form->findChild<QLabel*>("pnl12"), Qt::LeftButton);
    EXPECT_EQ(reds(), "-----------R");
    EXPECT_EQ(Files().size(), 6);
    EXPECT_TRUE(answers.Texts.isEmpty());
}
