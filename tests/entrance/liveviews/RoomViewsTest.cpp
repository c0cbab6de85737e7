#include "components/DigitalNumber.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/liveviews/Form_EntranceGroupNowView.h"
#include "entrance/liveviews/Form_EntranceGroupNowViewList.h"
#include "entrance/liveviews/Frame_EntranceGroupNowView.h"
#include "tests/common/TempFolder.h"
#include "tests/entrance/EntranceFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace entrance;

namespace {

const QString March = "ENTRANCE_LOG2026_03";
const QString April = "ENTRANCE_LOG2026_04";

TDateTime At(int y, int m, int d, int h, int n, int s = 0) {
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0);
}

// Room 1 "会議室" holds units 1 and 2, room 2 "倉庫" unit 3; the day changes at 7:00; the clock
// is the test's.
class RoomViews : public EntranceFixture {
protected:
    RoomViews() {
        Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
            "VALUES (1,1,'会議室'), (1,2,'会議室'), (2,3,'倉庫')");
        Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務')");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード) VALUES "
            "('A1','山田','ﾔﾏﾀﾞ',1), ('B2','佐藤','ｻﾄｳ',1)");
        WriteAppRegistry("EntranceDayLine", "7:00");
        WriteAppRegistry("EntranceLastViewPanel", "");
        Clock::SetNow([this] { return FNow; });
    }
    ~RoomViews() override {
        delete EntranceSession().frmEntranceGroupNowViewList.data();
        delete EntranceSession().frmEntranceGroupNowView.data();
        Clock::SetNow({});
    }

    // Each tile's counters as "entries exits present", read from what its digits show.
    static QStringList Shown(const TfrmEntranceGroupNowViewList& list) {
        QStringList rooms;
        for (const TframEntranceGroupNowView* tile : list.Tiles()) {
            QStringList counters;
            for (QLabel* panel : {tile->Ed_LogINs, tile->Ed_LogOUTs, tile->Ed_NowIN}) {
                QString digits;
                for (const TSingleDigitalNumber* digit : tile->DigitsOf(panel))
                    digits += digit->CharValue();
                counters << digits.trimmed();
                EXPECT_EQ(panel->text(), digits.trimmed());
            }
            rooms << counters.join(' ');
        }
        return rooms;
    }

    static QStringList Lines(const TfrmEntranceGroupNowView& detail) {
        QStringList lines;
        for (int row = 1; row < detail.LogGrid->RowCount(); ++row)
            lines << detail.LogGrid->Rows(row).join(' ');
        return lines;
    }

    TDateTime FNow = At(2026, 3, 10, 12, 30);
};

TEST_F(RoomViews, TilesFollowTheLogAndTheCountingDay) {
    CreateTempLogTable(March);
    AddLog(March, "A1", 11, "3/10/2026, 06:59:59", 1, 1); // the day before
    AddLog(March, "A1", 11, "3/10/2026, 07:00:00", 1, 1); // the day's first second
    AddLog(March, "A1", 21, "3/10/2026, 09:00:00", 1, 2);
    AddLog(March, "B2", 12, "3/10/2026, 08:00:00", 1, 3);
    AddLog(March, "A1", 12, "3/10/2026, 11:00:00", 1, 2);
    AddLog(March, "B2", 11, "3/10/2026, 10:00:00", 0, 3); // refused
    WriteAppRegistry("EntranceLastViewPanel", "2");

    auto* list = OpenMdiChild(EntranceSession().frmEntranceGroupNowViewList, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->FrontTile()->RoomCode(), 2);
    EXPECT_EQ(list->FrontTile()->GetGroupName(), "倉庫");
    EXPECT_EQ(Shown(*list), QStringList({"2 1 1", "1 0 1"}));
    EXPECT_EQ(list->pnlDate->text(), "2026年 3月 10日");
    list->grab().save(TestOutputFolder() + "/TfrmEntranceGroupNowViewList.png");

    // 03:00 on the 1st, no table for April yet: the counting day began in March.
    AddLog(March, "A1", 12, "3/31/2026, 08:00:00", 1, 1);
    FNow = At(2026, 4, 1, 3, 0);
    list->Timer1Timer();
    EXPECT_EQ(Shown(*list), QStringList({"1 0 1", "0 0 0"}));

    // A new row makes April's table.
    CreateTempLogTable(April);
    AddLog(April, "B2", 11, "4/1/2026, 02:00:00", 1, 3);
    list->Timer1Timer();
    EXPECT_EQ(Shown(*list), QStringList({"1 0 1", "1 0 1"}));
    // Another row within the same second of the file's time.
    AddLog(April, "B2", 21, "4/1/2026, 02:30:00", 1, 3);
    list->Timer1Timer();
    EXPECT_EQ(Shown(*list), QStringList({"1 0 1", "1 1 0"}));

    // The day-change time passes with no record: a new counting day.
    FNow = At(2026, 4, 1, 7, 0, 1);
    list->Timer1Timer();
    EXPECT_EQ(Shown(*list), QStringList({"0 0 0", "0 0 0"}));

    // A new day-change time counts at once and is kept.
    list->Ed_Time1->setText("1");
    list->Ed_Time2->setText("5");
    list->btnDateLine->click();
    EXPECT_EQ(ReadAppRegistry("EntranceDayLine"), "1:05");
    EXPECT_EQ(Shown(*list), QStringList({"0 0 0", "1 1 0"}));

    list->ListView1->setCurrentRow(0);
    list->ListView1DblClick();
    EXPECT_EQ(list->FrontTile()->RoomCode(), 1);
    list->close();
    EXPECT_EQ(ReadAppRegistry("EntranceLastViewPanel"), "1");
}

TEST_F(RoomViews, DetailListsARoomsCounterNewestFirst) {
    CreateTempLogTable(March);
    AddLog(March, "A1", 11, "3/10/2026, 07:00:00", 1, 1);
    AddLog(March, "A1", 21, "3/10/2026, 09:00:00", 1, 2);
    AddLog(March, "B2", 12, "3/10/2026, 08:00:00", 1, 1);
    AddLog(March, "A1", 12, "3/10/2026, 11:00:00", 1, 2);
    AddLog(March, "B2", 22, "3/10/2026, 12:00:00", 1, 3); // another room
    AddLog(March, "B2", 11, "3/10/2026, 12:10:00", 0, 1);
    auto* list = OpenMdiChild(EntranceSession().frmEntranceGroupNowViewList, nullptr);
    ASSERT_NE(list, nullptr);
    TframEntranceGroupNowView* tile = list->Tiles().first();

    const struct {
        QPushButton* button;
        const char* heading;
        const char* timeHeader;
        QStringList lines;
    } cases[] = {
        {tile->btnLogINs,
         "延べ入室人数",
         "入室時間",
         {"A1 山田 総務 11:00:00", "B2 佐藤 総務 08:00:00", "A1 山田 総務 07:00:00"}},
        {tile->btnLogOUTs, "延べ退室人数", "退室時間", {"A1 山田 総務 09:00:00"}},
        {tile->btnNowIN,
         "在室人数",
         "入室時間",
         {"A1 山田 総務 11:00:00", "B2 佐藤 総務 08:00:00"}},
    };
    for (const auto& c : cases) {
        c.button->click();
        ASSERT_NE(EntranceSession().frmEntranceGroupNowView, nullptr);
        const TfrmEntranceGroupNowView& detail = *EntranceSession().frmEntranceGroupNowView;
        EXPECT_EQ(detail.pnlView->text(), c.heading);
        EXPECT_EQ(detail.LogGrid->Cells(3, 0), c.timeHeader);
        EXPECT_EQ(detail.Ed_Group->text(), "会議室");
        EXPECT_EQ(Lines(detail), c.lines) << c.heading;
        EXPECT_EQ(detail.Ed_INCount->text(), QString::number(c.lines.size()));
    }
    TfrmEntranceGroupNowView& detail = *EntranceSession().frmEntranceGroupNowView;
    detail.grab().save(TestOutputFolder() + "/TfrmEntranceGroupNowView.png");

    // The last person leaves: the list follows the file; then the counting day moves on and
    // the list empties to one blank row and the count 0.
    AddLog(March, "A1", 22, "3/10/2026, 12:20:00", 1, 1);
    detail.Timer1Timer();
    EXPECT_EQ(Lines(detail), QStringList({"B2 佐藤 総務 08:00:00"}));
    FNow = At(2026, 3, 11, 7, 0);
    detail.Timer1Timer();
    EXPECT_EQ(Lines(detail), QStringList({"   "}));
    EXPECT_EQ(detail.Ed_INCount->text(), "0");
}

TEST_F(RoomViews, WithoutRoomsTheListSaysSoAndCloses) {
    QString text;
    // The wait window lets events run before the box shows: look until it is there.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
    answer.start(10);
    Run("DELETE FROM M_認証機グループ");
    EXPECT_EQ(OpenMdiChild(EntranceSession().frmEntranceGroupNowViewList, nullptr), nullptr);
    EXPECT_EQ(text, "認証機グループが登録されていません。");
}

TEST_F(RoomViews, MenuOpensTheListAndGetsItsCategoryBackWithTheDetailGone) {
    TmdiMainMenu main;
    main.show();
    main.SelectCategory(3);
    main.BitBtn19->click();
    ASSERT_TRUE(EntranceSession().frmEntranceGroupNowViewList);
    EXPECT_FALSE(main.PanelMDI->isVisible());
    EntranceSession().frmEntranceGroupNowViewList->Tiles().first()->btnNowIN->click();
    ASSERT_TRUE(EntranceSession().frmEntranceGroupNowView);
    EXPECT_EQ(main.MdiArea->subWindowList().size(), 2);

    EntranceSession().frmEntranceGroupNowViewList->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.PanelMDI->isVisible());
    EXPECT_EQ(main.Category(), 1);
    EXPECT_TRUE(EntranceSession().frmEntranceGroupNowView.isNull());
    EXPECT_TRUE(main.MdiArea->subWindowList().isEmpty());
}

} // namespace
