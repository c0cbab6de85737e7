#include "components/grids/StrSortGrid.h"
#include "GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

QList<TSortKey> Keys(const QStringList& texts) {
    QList<TSortKey> keys;
    for (int i = 0; i < texts.size(); ++i)
        keys.append({i, texts[i], texts[i].toUtf8()});
    return keys;
}

QStringList TextsOf(const QList<TSortKey>& keys) {
    QStringList texts;
    for (const TSortKey& key : keys)
        texts.append(key.Text);
    return texts;
}

// A grid of codes and names, header "個人コード" and "氏名", rows 1 to 4 sortable and a
// fifth row outside the sorted range.
class StrSortGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Grid.SetColCount(2);
        Grid.SetRowCount(6);
        Grid.SetColWidths(0, 90);
        Grid.SetColWidths(1, 120);
        Grid.SetRows(0, {"個人コード", "氏名"});
        const QStringList codes{"10", "9", "100", "7"}, names{"ｳｴﾉ", "ｱｲﾀﾞ", "ｲﾄｳ", "ｴﾓﾄ"};
        for (int r = 1; r <= 4; ++r)
            Grid.SetRows(r, {codes[r - 1], names[r - 1]});
        Grid.SetRows(5, {"1", "ﾜﾀﾞ"});
        Grid.SetSortRows(4);
        Grid.resize(260, 160);
        ASSERT_TRUE(ShowActive(&Grid));
    }
    void ClickHeader(int col) {
        const TRect r = Grid.CellRect(col, 0);
        QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, QPoint(r.Left + 4, r.Top + 4));
    }
    QStringList Column(int col) { return Grid.Cols(col).mid(1); }
    // Whether the arrow shows beside the first header's text.
    bool ArrowShown() {
        const QImage image = Grid.viewport()->grab().toImage();
        const TRect header = Grid.CellRect(0, 0);
        const int arrowX =
            header.Left + 1 + Grid.Canvas()->TextWidth("個人コード") + Grid.Spacing();
        for (int x = arrowX; x < arrowX + 9; ++x)
            for (int y = header.Top + 2; y < header.Top + 7; ++y)
                if (image.pixelColor(x, y) == QColor(Qt::black))
                    return true;
        return false;
    }
    TStrSortGrid Grid;
};

} // namespace

TEST(StrSortRows, ShortRangesCompareIntegersLongOnesText) {
    QList<TSortKey> three = Keys({"10", "9", "100"});
    QuickSortRows(three, 0, 2, soInteger);
    EXPECT_EQ(TextsOf(three), QStringList({"9", "10", "100"}));

    QList<TSortKey> asText = Keys({"10", "9", "100"});
    QuickSortRows(asText, 0, 2, soString);
    EXPECT_EQ(TextsOf(asText), QStringList({"10", "100", "9"}));

    // Ten rows: the partition compares text, so 9 lands after 100.
    QList<TSortKey> ten = Keys({"10", "9", "100", "20", "3", "55", "1", "8", "42", "7"});
    QuickSortRows(ten, 0, 9, soInteger);
    const QStringList sorted = TextsOf(ten);
    EXPECT_LT(sorted.indexOf("100"), sorted.indexOf("9"));
    EXPECT_EQ(sorted.size(), 10);

    QList<TSortKey> words = Keys({"b", "x", "a", "c", "y", "a", "d", "z"});
    QuickSortRows(words, 0, 7, soString);
    EXPECT_EQ(TextsOf(words), QStringList({"a", "a", "b", "c", "d", "x", "y", "z"}));
}

TEST(StrSortRows, BubbleTakesNonNumbersAsZero) {
    QList<TSortKey> keys = Keys({"5", "x", "-2", "1"});
    BubbleSortRows(keys, 0, 3, soInteger);
    EXPECT_EQ(TextsOf(keys), QStringList({"-2", "x", "1", "5"}));
}

TEST_F(StrSortGridTest, HeaderClickSortsAndEachSecondClickReverses) {
    ClickHeader(0); // the first click of a new grid sorts descending
    EXPECT_FALSE(Grid.Ascending());
    EXPECT_EQ(Column(0), QStringList({"100", "10", "9", "7", "1"}));
    ClickHeader(0);
    EXPECT_EQ(Column(0), QStringList({"7", "9", "10", "100", "1"}));
    EXPECT_EQ(Grid.Cells(1, 1), "ｴﾓﾄ"); // whole rows move
    Grid.SetSortType(soString);
    ClickHeader(1); // descending again: the direction belongs to the grid
    EXPECT_EQ(Column(1), QStringList({"ｴﾓﾄ", "ｳｴﾉ", "ｲﾄｳ", "ｱｲﾀﾞ", "ﾜﾀﾞ"}));
    EXPECT_EQ(Grid.Row(), 1); // the header click selects nothing
}

TEST_F(StrSortGridTest, SortOpsChooseTheDirection) {
    Grid.SetSortOps(soUponly);
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_EQ(Column(0), QStringList({"7", "9", "10", "100", "1"}));
    Grid.SetSortOps(soDownOnly);
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_EQ(Column(0), QStringList({"100", "10", "9", "7", "1"}));
}

TEST_F(StrSortGridTest, NoSortingIgnoresEveryClick) {
    Grid.SetSortOps(soNon);
    const QImage before = Grid.viewport()->grab().toImage();
    ClickHeader(0);
    EXPECT_EQ(Column(0), QStringList({"10", "9", "100", "7", "1"}));
    const TRect r = Grid.CellRect(1, 3);
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, QPoint(r.Left + 4, r.Top + 4));
    EXPECT_EQ(Grid.Row(), 1);
    EXPECT_EQ(Grid.viewport()->grab().toImage(), before); // and no arrow
}

TEST_F(StrSortGridTest, NoSortRowsSortsNothingButShowsTheArrow) {
    Grid.SetSortRows(0);
    EXPECT_FALSE(ArrowShown());
    ClickHeader(0);
    EXPECT_EQ(Column(0), QStringList({"10", "9", "100", "7", "1"}));
    EXPECT_TRUE(ArrowShown());
}

TEST_F(StrSortGridTest, ArrowStandsBesideTheHeaderText) {
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_TRUE(ArrowShown());
    SaveLook(&Grid, "TStrSortGrid");
}
