#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/units/Form_EntranceItemSetup.h"
#include "entrance/units/Form_EntranceItemSetup_Sub0.h"
#include "entrance/units/Unit_EntranceItems.h"
#include "protocol/CommRequests.h"
#include "tests/entrance/ScreenFixture.h"
#include "ui/CopyData.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace entrance;

TEST(UnitRules, LowestFreeID) {
    QList<int> all;
    for (int id = 1; id <= MaxUnitId; ++id)
        all << id;
    const struct {
        QList<int> ids;
        int expected;
    } table[] = {{{1, 2, 4}, 3}, {{1, 2, 3}, 4}, {{}, 1}, {{2, 3}, 1}, {all.mid(1), 1}, {all, 0}};
    for (const auto& row : table)
        EXPECT_EQ(LowestFreeUnitID(row.ids), row.expected) << row.ids.size();
}

TEST(UnitRules, OperatingHours) {
    const struct {
        QString sh, sm, eh, em;
        bool set;
        QString start, end;
    } table[] = {
        {"9", "00", "9", "0", false, "", ""},
        {"", "", "", "", false, "", ""},
        {"8", "30", "17", "15", true, "08:30", "17:15"},
        {"25", "00", "8", "5", true, "23:59", "08:05"},
        {"18", "00", "6", "00", true, "18:00", "06:00"}, // an end before the start is kept
    };
    for (const auto& row : table) {
        SCOPED_TRACE((row.sh + ":" + row.sm).toStdString());
        const TUnitHours hours = UnitHoursOf(row.sh, row.sm, row.eh, row.em);
        EXPECT_EQ(hours.Set, row.set);
        if (row.set) {
            EXPECT_EQ(UnitGridTimeText(hours.Start + StoredTimeOffset), row.start);
            EXPECT_EQ(UnitGridTimeText(hours.End + StoredTimeOffset), row.end);
        }
    }
}

namespace {

struct UnitScreen : ScreenFixture {
    UnitScreen() {
        EntranceSession().CurrentOperator.Code = 1;
        AddUnit(1, "正面玄関", true, 1);
        AddUnit(2, "通用口");
        AddUnit(4, "倉庫");
    }
    ~UnitScreen() override {
        if (EntranceSession().frmEntranceItemSetup)
            delete EntranceSession().frmEntranceItemSetup.data();
        EntranceSession().CurrentOperator = {};
    }
    TfrmEntranceItemSetup* Open() {
        OpenMdiChild(EntranceSession().frmEntranceItemSetup);
        return EntranceSession().frmEntranceItemSetup;
    }
    QStringList Row(int row) {
        return EntranceSession().frmEntranceItemSetup->StringGridEx1->Rows(row);
    }
    void Select(int row) { EntranceSession().frmEntranceItemSetup->StringGridEx1->SetRow(row); }
};

} // namespace

TEST_F(UnitScreen, ListsTheUnits) {
    RunAll({"UPDATE entranceState SET 稼動開始=" + QString::number(8.5 / 24 + StoredTimeOffset) +
            ", 稼動終了=" + QString::number(17.25 / 24 + StoredTimeOffset) + " WHERE 認証機ID=2"},
           true);
    TfrmEntranceItemSetup* form = Open();
    EXPECT_EQ(form->windowTitle(), "各認証機の設定");
    EXPECT_TRUE(form->btnTanpa->isVisibleTo(form)) << "operator 1 releases tamper alarms";
    EXPECT_EQ(form->StringGridEx1->RowCount(), 4);
    EXPECT_EQ(Row(1), (QStringList{"1", "正面玄関", "", "", "稼 動 中", "1"}));
    EXPECT_EQ(Row(2), (QStringList{"2", "通用口", "08:30", "17:15", "停  止", "0"}));
    form->grab().save(TestOutputFolder() + "/TfrmEntranceItemSetup.png");
}

// "稼 動 中" reads on the selected row: not blue on the selection colour.
TEST_F(UnitScreen, RunningStateReadsOnTheSelectedRow) {
    TfrmEntranceItemSetup* form = Open();
    const auto bluePixels = [form](int row) {
        const QImage shot = form->StringGridEx1->viewport()->grab().toImage();
        const QRect cell = form->StringGridEx1->CellRect(4, row).ToQRect();
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                count += c.blue() > 200 && c.red() < 60 && c.green() < 60;
            }
        return count;
    };
    Select(2);
    EXPECT_GT(bluePixels(1), 0) << "blue on a row that is not selected";
    Select(1);
    EXPECT_EQ(bluePixels(1), 0);
}

TEST_F(UnitScreen, TamperButtonOnlyForOperatorOne) {
    EntranceSession().CurrentOperator.Code = 2;
    EXPECT_FALSE(Open()->btnTanpa->isVisibleTo(EntranceSession().frmEntranceItemSetup));
}

// The dialog offers the lowest free ID and stores the hours with their offset.
TEST_F(UnitScreen, AddsAUnitWithHours) {
    TfrmEntranceItemSetup* form = Open();
    QString offered, caption;
    WhenShown<TfrmEntranceItemSetup_Sub0>([&](TfrmEntranceItemSetup_Sub0* dialog) {
        offered = dialog->StaticTextID->text();
        caption = dialog->windowTitle();
        EXPECT_FALSE(form->Timer1->isActive()) << "the poll rests while the dialog shows";
        EXPECT_FALSE(dialog->EditStartH->isEnabled());
        dialog->EditName->setText("　裏口 ");
        dialog->CheckKadou->click();
        dialog->EditStartH->setText("8");
        dialog->EditStartM->setText("30");
        dialog->EditEndH->setText("17");
        dialog->EditEndM->setText("15");
        dialog->grab().save(TestOutputFolder() + "/TfrmEntranceItemSetup_Sub0.png");
        dialog->BitBtnOK->click();
    });
    form->btnAddNew->click();
    EXPECT_EQ(offered, "3");
    EXPECT_EQ(caption, "認証機の新規追加");
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(Row(3), (QStringList{"3", "裏口", "08:30", "17:15", "停  止", "0"}));
    const QStringList stored = Column("SELECT 稼動開始 FROM entranceState WHERE 認証機ID=3", true);
    // The offset is written too; a time column may keep whole seconds only.
    EXPECT_NEAR(stored.value(0).toDouble(), 8.5 / 24 + StoredTimeOffset / 2, StoredTimeOffset);

    // Reopened, the dialog shows the hours; start = end saves none.
    Select(3);
    QStringList shown;
    WhenShown<TfrmEntranceItemSetup_Sub0>([&](TfrmEntranceItemSetup_Sub0* dialog) {
        shown = {dialog->windowTitle(), dialog->EditStartH->text(), dialog->EditStartM->text(),
                 dialog->EditEndH->text(), dialog->EditEndM->text()};
        Type(dialog->EditEndH, "8");
        Type(dialog->EditEndM, "30");
        dialog->BitBtnOK->click();
        EXPECT_FALSE(dialog->CheckKadou->isChecked());
    });
    form->BitBtnEdit->click();
    EXPECT_EQ(shown, (QStringList{"認証機の編集", "8", "30", "17", "15"}));
    EXPECT_EQ(Row(3), (QStringList{"3", "裏口", "", "", "停  止", "0"}));
    EXPECT_EQ(Column("SELECT 稼動開始 IS NULL FROM entranceState WHERE 認証機ID=3", true),
              QStringList{"1"});
}

TEST_F(UnitScreen, RefusesA33rdUnit) {
    QStringList sql;
    for (int id = 5; id <= MaxUnitId + 1; ++id)
        sql << QString("INSERT INTO entranceState (認証機ID, 認証機名) VALUES (%1, 'U')").arg(id);
    RunAll(sql, true);
    TfrmEntranceItemSetup* form = Open();
    TMessageAnswers answers;
    form->btnAddNew->click();
    EXPECT_EQ(answers.Texts, QStringList{"認証機の接続台数は、３２台までです。"});
}

// A stopped unit goes with its room rows, its person rows marked for removal, whether the
// communication program is there to take the removal or not; a running one stays.
TEST_F(UnitScreen, DeletesAStoppedUnitWithItsRows) {
    Run("INSERT INTO M_認証機グループ VALUES (1, 4, '倉庫'), (1, 2, '倉庫')");
    Run("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 削除) VALUES ('100', 4, 0), "
        "('101', 4, 1), ('100', 2, 0)");
    TfrmEntranceItemSetup* form = Open();
    TMessageAnswers answers;
    Select(1);
    form->btnDelete->click();
    EXPECT_EQ(answers.Texts, QStringList{"認証機は稼動中です。"});
    Select(3);
    answers.Texts.clear();
    answers.Cancels = {true};
    form->btnDelete->click();
    EXPECT_EQ(answers.Texts, QStringList{"倉庫を削除しますか？"});
    EXPECT_EQ(form->StringGridEx1->RowCount(), 4) << "cancelled";

    // Every person of the unit is named, the one whose removal already waits too.
    QByteArray request;
    auto comm = std::make_unique<TCopyDataServer>(CommCaption,
                                                  [&](const TCopyData& d) { request = d.Payload; });
    ASSERT_TRUE(comm->Start());
    form->btnDelete->click();
    EXPECT_EQ(form->StringGridEx1->RowCount(), 3);
    EXPECT_EQ(Column("SELECT 認証機ID FROM entranceState ORDER BY 認証機ID", true),
              (QStringList{"1", "2"}));
    EXPECT_EQ(Column("SELECT 認証機ID FROM M_認証機グループ"), QStringList{"2"});
    QTRY_COMPARE(request, QByteArray("100,4\r\n101,4\r\n") + '\0');

    // Without the communication program the marked rows keep the removal for the unit.
    comm.reset();
    answers.Texts.clear();
    Select(2);
    form->btnDelete->click();
    EXPECT_EQ(answers.Texts, QStringList{"通用口を削除しますか？"});
    EXPECT_EQ(Column("SELECT 認証機ID FROM entranceState", true), QStringList{"1"});
    EXPECT_EQ(Column("SELECT 個人コード||'/'||認証機ID||'/'||削除 FROM M_使用認証機 ORDER BY 1"),
              (QStringList{"100/2/1", "100/4/1", "101/4/1"}));
}

// What the communication program writes to the unit table shows within about a second.
TEST_F(UnitScreen, FollowsTheUnitTable) {
    TfrmEntranceItemSetup* form = Open();
    QTest::qWait(1100); // the first tick reloads once
    RunAll({"UPDATE entranceState SET 作動状況=1 WHERE 認証機ID=2"}, true);
    RunAll({"UPDATE entranceState SET 認証機名='通用口B' WHERE 認証機ID=2"}, true);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form->StringGridEx1->Cells(1, 2) == "通用口B"; }, 2500));
    EXPECT_EQ(form->StringGridEx1->Cells(4, 2), "稼 動 中");
}

// The release goes to the communication program's window as request 1154 with the unit ID;
// without that window the operator is told.
TEST_F(UnitScreen, ReleasesATamperAlarm) {
    TfrmEntranceItemSetup* form = Open();
    TMessageAnswers answers;
    Select(2); // stopped: nothing happens
    form->btnTanpa->click();
    EXPECT_TRUE(answers.Texts.isEmpty());
    Select(1);
    form->btnTanpa->click();
    EXPECT_EQ(answers.Texts, (QStringList{"正面玄関のタンパーSWを解除します。\nよろしいですか？",
                                          "認証機コミュニケーションが見つかりませんでした。"}));

    QList<TCopyData> received;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& r) { received << r; });
    ASSERT_TRUE(comm.Start());
    answers.Texts.clear();
    form->btnTanpa->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 2000));
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].Code, CD_RESET_TAMPER);
    EXPECT_EQ(received[0].Payload, QByteArray("1", 2));
    EXPECT_EQ(answers.Texts.size(), 1) << "only the question";
}
