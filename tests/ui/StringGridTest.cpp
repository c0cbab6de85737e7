#include "ui/StringGrid.h"
#include "tests/common/TempFolder.h"
#include "ui/InplaceEdit.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A shown 5 x 6 grid with one fixed row and column, 60 x 20 cells.
class StringGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Grid.SetColCount(5);
        Grid.SetRowCount(6);
        Grid.SetDefaultColWidth(60);
        Grid.SetDefaultRowHeight(20);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 5; ++c)
                Grid.SetCells(c, r, QString("%1-%2").arg(c).arg(r));
        Grid.resize(400, 200);
        Grid.show();
        QApplication::setActiveWindow(&Grid);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Grid));
    }
    void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
        const TRect r = Grid.CellRect(col, row);
        QTest::mouseClick(Grid.viewport(), button, {}, QPoint(r.Left + 5, r.Top + 5));
    }
    QColor PixelIn(int col, int row) {
        const QImage image = Grid.viewport()->grab().toImage();
        const TRect r = Grid.CellRect(col, row);
        return image.pixelColor(r.Right - 3, r.Bottom - 3);
    }
    TStringGrid Grid;
};

} // namespace

TEST_F(StringGridTest, CellsLieSideBySideWithTheirLines) {
    EXPECT_EQ(Grid.CellRect(0, 0), Rect(0, 0, 60, 20));
    EXPECT_EQ(Grid.CellRect(2, 1), Rect(122, 21, 182, 41));
    Grid.SetColWidths(1, -1); // hidden: no width and no line
    EXPECT_EQ(Grid.CellRect(2, 1), Rect(61, 21, 121, 41));
    EXPECT_EQ(Grid.MouseCoord(70, 25), (TGridCoord{2, 1}));
    EXPECT_EQ(Grid.MouseCoord(390, 25).X, -1);
    Grid.SetOptions(Grid.Options() & ~goVertLine);
    EXPECT_EQ(Grid.CellRect(3, 1).Left, 121);
}

TEST_F(StringGridTest, ReadingOutsideTheGridGivesEmptyText) {
    EXPECT_EQ(Grid.Cells(9, 9), "");
    Grid.SetRowCount(3);
    Grid.SetRowCount(6);
    EXPECT_EQ(Grid.Cells(1, 4), ""); // rows cut away come back empty
    EXPECT_EQ(Grid.Cells(1, 2), "1-2");
    EXPECT_EQ(Grid.Rows(2), QStringList({"0-2", "1-2", "2-2", "3-2", "4-2"}));
}

TEST_F(StringGridTest, FixedCountsStayBelowTheCounts) {
    EXPECT_ANY_THROW(Grid.SetFixedRows(6));
    Grid.SetRowCount(1);
    EXPECT_EQ(Grid.FixedRows(), 0);
}

TEST_F(StringGridTest, ClickSelectsADataCellAndFiresClick) {
    int clicks = 0;
    Grid.OnClick = [&](QObject*) { ++clicks; };
    Click(3, 2);
    EXPECT_EQ(Grid.Col(), 3);
    EXPECT_EQ(Grid.Row(), 2);
    EXPECT_EQ(clicks, 1);
    Click(0, 4); // a fixed cell selects nothing
    EXPECT_EQ(Grid.Row(), 2);
    EXPECT_EQ(clicks, 1);
    Grid.OnSelectCell = [](QObject*, int, int row, bool& can) { can = row != 5; };
    Click(1, 5);
    EXPECT_EQ(Grid.Row(), 2);
}

TEST_F(StringGridTest, KeysMoveAndScrollTheCurrentRow) {
    Grid.setFocus();
    QTest::keyClick(&Grid, Qt::Key_Down);
    EXPECT_EQ(Grid.Row(), 2);
    Grid.SetRowCount(40);
    QTest::keyClick(&Grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Grid.Row(), 39);
    EXPECT_GT(Grid.TopRow(), 1);
    EXPECT_FALSE(Grid.CellRect(1, 39).IsEmpty());
    EXPECT_TRUE(Grid.CellRect(1, 1).IsEmpty());
    EXPECT_EQ(Grid.verticalScrollBar()->value(), Grid.TopRow() - 1);
    QTest::keyClick(&Grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Grid.Row(), 1);
    EXPECT_EQ(Grid.TopRow(), 1);
    Grid.SetColCount(12);
    Grid.SetOptions(Grid.Options() | goRowSelect);
    QTest::keyClick(&Grid, Qt::Key_Right);
    EXPECT_EQ(Grid.LeftCol(), 2);
    EXPECT_EQ(Grid.Col(), 1);
}

TEST_F(StringGridTest, EveryVisibleCellIsDrawnThroughTheHook) {
    QList<TGridDrawState> states(30);
    Grid.OnDrawCell = [&](QObject*, int c, int r, const TRect& rect, TGridDrawState s) {
        EXPECT_EQ(rect, Grid.CellRect(c, r));
        states[r * 5 + c] = s | 0x100;
    };
    Grid.viewport()->repaint();
    EXPECT_EQ(states[0], 0x100 | gdFixed);
    EXPECT_EQ(states[1 * 5 + 1] & ~0x100, gdSelected | gdFocused);
    Grid.clearFocus();
    Grid.viewport()->repaint();
    EXPECT_EQ(states[1 * 5 + 1] & ~0x100, gdSelected);
    EXPECT_EQ(states[2 * 5 + 2], 0x100u);
}

TEST_F(StringGridTest, SelectedRowIsHighlightedWithOrWithoutFocus) {
    Grid.SetOptions(Grid.Options() | goRowSelect);
    Grid.SetRow(3);
    const QColor highlight = ToQColor(clHighlight);
    EXPECT_EQ(PixelIn(2, 3), highlight);
    EXPECT_EQ(PixelIn(2, 2), ToQColor(clWindow));
    QLineEdit other(&Grid);
    other.setFocus();
    EXPECT_EQ(PixelIn(2, 3), highlight);
}

TEST_F(StringGridTest, EnterAndExitFollowTheFocus) {
    QWidget window;
    TStringGrid* grid = new TStringGrid(&window);
    QLineEdit* other = new QLineEdit(&window);
    other->move(0, 200);
    QStringList seen;
    grid->OnEnter = [&](QObject*) { seen << "enter"; };
    grid->OnExit = [&](QObject*) { seen << "exit"; };
    other->setFocus();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    other->setFocus();
    EXPECT_EQ(seen, QStringList({"enter", "exit"}));
}

TEST_F(StringGridTest, EditorWritesBackAndEscPutsTheTextBack) {
    Grid.SetOptions(Grid.Options() | goEditing);
    Grid.setFocus();
    Grid.SetCol(2);
    QTest::keyClick(&Grid, Qt::Key_F2);
    ASSERT_TRUE(Grid.EditorMode());
    TInplaceEdit* editor = Grid.InplaceEditor();
    EXPECT_EQ(editor->text(), "2-1");
    EXPECT_EQ(editor->geometry(), Grid.CellRect(2, 1).ToQRect());
    QTest::keyClicks(editor, "xy");
    EXPECT_EQ(Grid.Cells(2, 1), "xy");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(Grid.Cells(2, 1), "2-1");
    EXPECT_FALSE(Grid.EditorMode());
    QTest::keyClicks(&Grid, "7"); // typing opens the editor with the key
    EXPECT_EQ(Grid.Cells(2, 1), "7");
    QTest::keyClick(Grid.InplaceEditor(), Qt::Key_Down);
    EXPECT_FALSE(Grid.EditorMode());
    EXPECT_EQ(Grid.Row(), 2);
}

// The saved picture is the grid as drawn: the fixed cells in their colour, the selected row
// highlighted across its data cells, the other cells in the window colour with their text.
TEST_F(StringGridTest, RendersToAPicture) {
    Grid.SetOptions(Grid.Options() | goRowSelect);
    Grid.SetRow(2);
    Grid.SetCells(3, 3, "");
    const QString file = TestOutputFolder() + "/TStringGrid.png";
    ASSERT_TRUE(Grid.grab().save(file));
    const QImage picture(file);
    ASSERT_EQ(picture.size(), Grid.size());
    const QPoint origin = Grid.viewport()->mapTo(&Grid, QPoint(0, 0));
    const auto cell = [&](int col, int row) {
        const TRect r = Grid.CellRect(col, row);
        return QRect(r.Left, r.Top, r.Width(), r.Height()).translated(origin);
    };
    const auto corner = [&](int col, int row) {
        return picture.pixelColor(cell(col, row).bottomRight() - QPoint(2, 2));
    };
    const auto darkPixels = [&](int col, int row) {
        const QRect r = cell(col, row);
        int dark = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y)
                dark += picture.pixelColor(x, y).lightness() < 100;
        return dark;
    };
    EXPECT_EQ(corner(1, 0), ToQColor(Grid.FixedColor()));
    EXPECT_EQ(corner(0, 2), ToQColor(Grid.FixedColor()));
    for (int col = 1; col < 5; ++col)
        EXPECT_EQ(corner(col, 2), ToQColor(clHighlight)) << col;
    EXPECT_EQ(corner(2, 3), ToQColor(clWindow));
    EXPECT_GT(darkPixels(2, 3), 10) << "the text 2-3";
    EXPECT_EQ(darkPixels(3, 3), 0) << "an empty cell";
}
