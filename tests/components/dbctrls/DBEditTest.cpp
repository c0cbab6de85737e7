#include "components/dbctrls/DBEdit.h"
#include "db/DataSource.h"
#include "tests/db/VectorDataSet.h"
#include "ui/SelectionColor.h"
#include "ui/StringGrid.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// An edit on NAME of three rows, shown in a window with a second field to move to.
class DBEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        Data.Fill(3);
        Source.SetDataSet(&Data);
        Edit = new TDBEdit(&Window);
        Other = new QLineEdit(&Window);
        Other->move(0, 40);
        Edit->SetDataSource(&Source);
        Edit->SetDataField("NAME");
        Window.show();
        QApplication::setActiveWindow(&Window);
    }
    // Typed key by key; QTest's own typing takes ASCII only.
    void Type(const QString& text) {
        Edit->setFocus();
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, Edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    TVectorDataSet Data;
    TDataSource Source;
    QWidget Window;
    TDBEdit* Edit;
    QLineEdit* Other;
};

} // namespace

TEST_F(DBEditTest, ShowsTheFieldAndWritesWhatWasTyped) {
    Data.Open();
    EXPECT_EQ(Edit->text(), "Row1");
    Edit->setFocus();
    Edit->selectAll();
    Type("本社");
    EXPECT_EQ(Data.State(), dsEdit);
    EXPECT_EQ(Data.FieldByName("NAME")->AsString(), "Row1");
    Other->setFocus();
    EXPECT_EQ(Data.FieldByName("NAME")->AsString(), "本社");
    Data.Post();
    EXPECT_EQ(Data.Table[0][1].toString(), "本社");
    Data.Next();
    EXPECT_EQ(Edit->text(), "Row2");
}

// A post while the field still has the focus takes the typed text too.
TEST_F(DBEditTest, PostTakesTheTextOfTheFocusedField) {
    Data.Open();
    Edit->setFocus();
    Edit->selectAll();
    Type("支店");
    Data.Post();
    EXPECT_EQ(Data.Table[0][1].toString(), "支店");
}

TEST_F(DBEditTest, EscShowsTheFieldsValueAgain) {
    Data.Open();
    Type("xyz");
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_EQ(Edit->text(), "Row1");
    Data.Post();
    EXPECT_EQ(Data.Table[0][1].toString(), "Row1");
}

TEST_F(DBEditTest, ReadOnlyDataTakesNoTyping) {
    Data.ReadOnlyData = true;
    Data.Open();
    Type("xyz");
    EXPECT_EQ(Edit->text(), "Row1");
    EXPECT_EQ(Data.State(), dsBrowse);
}

// The length counts code page 932 bytes: a full-width character takes two.
TEST_F(DBEditTest, MaxLengthCountsBytes) {
    Data.Open();
    Edit->SetMaxLength(6);
    Edit->setFocus();
    Edit->selectAll();
    Type("abあいう");
    EXPECT_EQ(Edit->text(), "abあい");
    Edit->SetMaxLength(0);
    Type("う");
    EXPECT_EQ(Edit->text(), "abあいう");
}

// The selected row is white on the highlight colour while the grid has the focus and on
// $00CDA292 otherwise.
TEST(SelectionColorTest, SelectedRowFollowsTheGridsFocus) {
    QWidget window;
    TStringGrid grid(&window);
    QLineEdit other(&window);
    other.move(0, 200);
    grid.SetOptions(grid.Options() | goRowSelect);
    grid.SetRow(2);
    grid.OnDrawCell = [&grid](QObject*, int col, int row, const TRect& rect, TGridDrawState st) {
        if ((st & gdSelected) && !(st & gdFixed)) {
            SetSelectedRowColors(*grid.Canvas(), grid.IsActiveControl());
            grid.Canvas()->FillRect(rect);
        }
    };
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    const struct {
        QWidget* Focus;
        TColor Expected;
    } cases[] = {{&grid, ColorToRGB(clHighlight)}, {&other, SelectionColorUnfocused}};
    for (const auto& c : cases) {
        c.Focus->setFocus();
        ASSERT_TRUE(c.Focus->hasFocus());
        const TRect cell = grid.CellRect(1, 2);
        const QImage picture = grid.viewport()->grab().toImage();
        EXPECT_EQ(FromQColor(picture.pixelColor(cell.Left + 3, cell.Top + 3)), c.Expected);
    }
}
