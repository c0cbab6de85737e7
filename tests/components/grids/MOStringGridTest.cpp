#include "components/grids/MOStringGrid.h"
#include "GridTestSupport.h"
#include "components/grids/InplaceEdit3D.h"

#include <gtest/gtest.h>

namespace {

// A shown editing grid of three columns "ID", "認証機名", "使用" and four unit rows.
class MOStringGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Grid.SetColCount(3);
        Grid.SetRowCount(5);
        Grid.SetColWidths(1, 120);
        const char* captions[] = {"ID", "認証機名", "使用"};
        for (int c = 0; c < 3; ++c)
            Grid.GridColumns()[c]->SetCaption(QString::fromUtf8(captions[c]));
        Grid.GridColumns()[0]->SetAlignment(taCenter);
        Grid.GridColumns()[2]->SetButtonStyle(cbsCheckBox);
        for (int r = 1; r < 5; ++r) {
            Grid.SetCells(0, r, QString::number(r));
            Grid.SetCells(1, r, QString("認証機%1").arg(r));
            Grid.SetCells(2, r, r % 2 ? "1" : "0");
        }
        Grid.resize(300, 140);
        ASSERT_TRUE(ShowActive(&Grid));
    }
    QImage Look() { return Grid.viewport()->grab().toImage(); }
    QColor PixelAt(int col, int row, int dx, int dy) {
        const TRect r = Grid.CellRect(col, row);
        return Look().pixelColor(r.Left + dx, r.Top + dy);
    }
    void Click(int col, int row) {
        const TRect r = Grid.CellRect(col, row);
        QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {},
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    TMOStringGrid Grid;
};

} // namespace

TEST(MOStringGridDefaults, CreationSetsRowHeightColumnsAndEditing) {
    TMOStringGrid grid;
    EXPECT_EQ(grid.DefaultRowHeight(), 20);
    EXPECT_EQ(grid.ColCount(), 6);
    EXPECT_EQ(grid.GridColumns().Count(), 6);
    EXPECT_TRUE(grid.Options() & goEditing);
    EXPECT_EQ(grid.StripeColor(), 0x00FFFF);
    const TMOGridColumn* column = grid.GridColumns()[0];
    EXPECT_EQ(column->Caption(), " ");
    EXPECT_EQ(column->FixAlignment(), taCenter);
    EXPECT_EQ(column->AlignmentV(), tavCenter);
    EXPECT_EQ(column->Color(), grid.Color());
    EXPECT_EQ(column->ButtonStyle(), cbsSimple);
    EXPECT_EQ(column->DateFormat, dtShort);
}

TEST(MOStringGridDefaults, ColumnObjectsFollowTheColumnCount) {
    TMOStringGrid grid;
    grid.SetColCount(3);
    grid.GridColumns()[2]->SetCaption("keep");
    grid.SetColCount(5);
    ASSERT_EQ(grid.GridColumns().Count(), 5);
    EXPECT_EQ(grid.GridColumns()[2]->Caption(), "keep");
    EXPECT_EQ(grid.GridColumns()[4]->Caption(), " ");
    grid.GridColumns().Delete(0);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.GridColumns()[1]->Caption(), "keep");
    grid.GridColumns().Add();
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.GridColumns()[7], nullptr);
}

TEST(MOStringGridDefaults, ColumnSettings) {
    TMOStringGrid grid;
    TMOGridColumn* column = grid.GridColumns()[1];
    column->SetCaption("");
    EXPECT_EQ(column->Caption(), " ");
    column->SetButtonStyle(cbsSpin);
    EXPECT_EQ(column->DataType(), dtInteger);
    column->SetButtonStyle(cbsList);
    EXPECT_EQ(column->DataType(), dtString);
}

TEST(MOStringGridDefaults, IntegerTextIsNormalised) {
    const std::pair<const char*, const char*> cases[] = {{"007", "7"},
                                                         {"+12", "12"},
                                                         {"-", "-0"},
                                                         {"-05", "-5"},
                                                         {"", ""},
                                                         {"12a", "12a"},
                                                         {"99999999999", "99999999999"}};
    for (const auto& [typed, kept] : cases)
        EXPECT_EQ(NormalizeIntegerText(typed), kept) << typed;
}

TEST(MOStringGridDefaults, SpinStepsWithinItsLimits) {
    const TSpinButtonOption limited{1, 10, 1}, free{5, 0, 0};
    struct Case {
        const char* Text;
        int Direction;
        TSpinButtonOption Option;
        const char* Result;
    } cases[] = {{"10", 1, limited, "10"}, {"1", -1, limited, "1"}, {"4", 1, limited, "5"},
                 {"", 1, free, "5"},       {"", -1, limited, "1"},  {"x", 1, limited, "x"},
                 {"-3", -1, free, "-8"}};
    for (const Case& c : cases)
        EXPECT_EQ(SpinText(c.Text, c.Direction, c.Option), c.Result) << c.Text;
}

TEST(MOStringGridDefaults, CalendarTexts) {
    EXPECT_EQ(ToQtInputMask(CalendarEditMask(dtShort)), "00/00/99;_");
    EXPECT_EQ(ToQtInputMask(CalendarEditMask(dtLong)), "0000年00月99日;_");
    EXPECT_EQ(CalendarCellDate("2002年4月30日", 0), EncodeDate(2002, 4, 30));
    EXPECT_EQ(CalendarCellDate("02/04/30", 0), EncodeDate(2002, 4, 30));
    EXPECT_EQ(CalendarCellDate("  /  /  ", 7), 7);
}

TEST_F(MOStringGridTest, StripesIgnoreTheColumnColours) {
    Grid.SetGridStyle(mgsStriped);
    Grid.SetStripeColor(0xFEE9F1);
    Grid.GridColumns()[1]->SetColor(clYellow);
    for (int row = 1; row < 5; ++row)
        EXPECT_EQ(Grid.CellColor(1, row), row % 2 == 0 ? 0xFEE9F1 : Grid.Color()) << row;
    EXPECT_EQ(PixelAt(1, 2, 2, 2), ToQColor(0xFEE9F1));
    EXPECT_EQ(PixelAt(1, 3, 2, 2), ToQColor(clWindow));
    Grid.SetGridStyle(mgsNormal);
    EXPECT_EQ(Grid.CellColor(1, 2), clYellow);
    EXPECT_EQ(PixelAt(1, 3, 2, 2), ToQColor(clYellow));
}

TEST_F(MOStringGridTest, HeaderShowsTheCaptionAndFixedRowsCanBeNumbered) {
    Grid.SetFixedCols(1);
    Grid.SetCells(0, 2, "");
    auto cell = [&](int col, int row) { return Look().copy(Grid.CellRect(col, row).ToQRect()); };
    const QImage unnumbered = cell(0, 2);
    Grid.SetFixAutoNum(true);
    EXPECT_NE(cell(0, 2), unnumbered);
    const QImage captioned = cell(1, 0);
    Grid.GridColumns()[1]->SetCaption("");
    EXPECT_NE(cell(1, 0), captioned);
    Grid.SetCells(1, 0, "認証機名"); // a header text of its own wins over the caption
    EXPECT_EQ(cell(1, 0), captioned);
}

TEST_F(MOStringGridTest, CheckBoxCellTogglesWithoutMovingTheSelection) {
    Grid.SetOptions(Grid.Options() | goRowSelect);
    Grid.SetRow(1);
    QList<std::tuple<int, int, bool>> clicks;
    Grid.OnCheckCellClick = [&](QObject*, int c, int r, bool check) {
        clicks.append({c, r, check});
    };
    Grid.SetCells(2, 3, "");
    Click(2, 3);
    EXPECT_EQ(Grid.Cells(2, 3), "1");
    Click(2, 3);
    EXPECT_EQ(Grid.Cells(2, 3), "0");
    EXPECT_EQ(clicks, (QList<std::tuple<int, int, bool>>{{2, 3, true}, {2, 3, false}}));
    EXPECT_EQ(Grid.Row(), 1);
    Click(1, 3); // any other column selects as usual
    EXPECT_EQ(Grid.Row(), 3);
}

TEST_F(MOStringGridTest, CheckBoxIsDrawnTickedForOne) {
    auto darkPixels = [&](int row) {
        const QImage image = Look();
        const TRect r = Grid.CellRect(2, row);
        int dark = 0;
        for (int x = r.Left; x < r.Right; ++x)
            for (int y = r.Top; y < r.Bottom; ++y)
                dark += image.pixelColor(x, y).lightness() < 60;
        return dark;
    };
    EXPECT_GT(darkPixels(1), darkPixels(2) + 15); // the tick
}

TEST_F(MOStringGridTest, SelectedRowColoursFollowTheFocusThroughTheScreensHandler) {
    // How the screens draw their selection: white on the highlight colour while the
    // grid has the focus, on $00CDA292 otherwise.
    TColor selectionColor = 0x00CDA292;
    Grid.clearFocus();
    Grid.SetOptions(Grid.Options() | goRowSelect);
    Grid.OnEnter = [&](QObject*) { selectionColor = clHighlight; };
    Grid.OnExit = [&](QObject*) { selectionColor = 0x00CDA292; };
    Grid.OnDrawCell = [&](QObject* sender, int, int row, const TRect& rect, TGridDrawState state) {
        if (row == 0 || !(state & gdSelected))
            return;
        TCanvas* canvas = static_cast<TMOStringGrid*>(sender)->Canvas();
        canvas->Brush.Color = selectionColor;
        canvas->FillRect(rect);
    };
    Grid.setFocus();
    Grid.SetRow(2);
    EXPECT_EQ(PixelAt(1, 2, 3, 3), ToQColor(clHighlight));
    Grid.clearFocus();
    EXPECT_EQ(PixelAt(1, 2, 3, 3), ToQColor(0x00CDA292));
    EXPECT_EQ(PixelAt(1, 1, 3, 3), ToQColor(clWindow));
    SaveLook(&Grid, "TMOStringGrid");
}

TEST_F(MOStringGridTest, IntegerColumnKeepsTheNumberTyped) {
    Grid.GridColumns()[1]->SetDataType(dtInteger);
    Grid.SetCol(1);
    Grid.setFocus();
    QTest::keyClick(&Grid, Qt::Key_F2);
    ASSERT_TRUE(Grid.EditorMode());
    Grid.InplaceEditor()->clear();
    QTest::keyClicks(Grid.InplaceEditor(), "007");
    EXPECT_EQ(Grid.Cells(1, 1), "7");
}

TEST_F(MOStringGridTest, ColumnThatCannotEditKeepsTheEditorClosed) {
    Grid.GridColumns()[1]->SetCanEdit(false);
    Grid.SetCol(1);
    Grid.ShowEditor();
    EXPECT_FALSE(Grid.EditorMode());
}

TEST_F(MOStringGridTest, SpinEditorStopsAtItsLimit) {
    TMOGridColumn* column = Grid.GridColumns()[0];
    column->SetButtonStyle(cbsSpin);
    column->SpinButtonOption = {1, 10, 1};
    Grid.SetCells(0, 1, "10");
    Grid.SetCol(0);
    Grid.ShowEditor();
    auto* editor = static_cast<TInplaceEdit3D*>(Grid.InplaceEditor());
    EXPECT_EQ(editor->EditStyle(), esSpin);
    EXPECT_GT(editor->ButtonWidth(), 4);
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(editor->width() - 3, 2));
    EXPECT_EQ(Grid.Cells(0, 1), "10");
    QTest::mouseClick(editor, Qt::LeftButton, {},
                      QPoint(editor->width() - 3, editor->height() - 2));
    EXPECT_EQ(Grid.Cells(0, 1), "9");
}

TEST_F(MOStringGridTest, EllipsisButtonLetsTheScreenReplaceTheText) {
    Grid.GridColumns()[1]->SetButtonStyle(cbsEllipsis);
    Grid.OnEditButtonClick = [](QObject*, int, int row, QString& str) { str = str + "!"; };
    Grid.SetCol(1);
    Grid.ShowEditor();
    auto* editor = static_cast<TInplaceEdit3D*>(Grid.InplaceEditor());
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(editor->width() - 3, 5));
    EXPECT_EQ(Grid.Cells(1, 1), "認証機1!");
    EXPECT_EQ(editor->text(), "認証機1!");
    SaveLook(&Grid, "TInplaceEdit3D-ellipsis");
}

TEST_F(MOStringGridTest, ListEntryIsCopiedIntoTheCell) {
    TMOGridColumn* column = Grid.GridColumns()[1];
    column->SetButtonStyle(cbsDropList);
    column->ListStrings().Assign(QStringList{"入口", "出口"});
    QString chosen;
    Grid.OnListBoxClick = [&](QObject*, int, int, const QString& str) { chosen = str; };
    Grid.SetCol(1);
    Grid.ShowEditor();
    auto* editor = static_cast<TInplaceEdit3D*>(Grid.InplaceEditor());
    EXPECT_TRUE(editor->isReadOnly());
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(5, 5)); // anywhere opens it
    ASSERT_TRUE(editor->ListVisible());
    auto* list = editor->findChild<TPopListBox*>();
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(Grid.Cells(1, 1), "出口");
    EXPECT_EQ(chosen, "出口");
    EXPECT_FALSE(editor->ListVisible());
}

TEST_F(MOStringGridTest, CalendarEditorStartsOnTheCellsDate) {
    TMOGridColumn* column = Grid.GridColumns()[1];
    column->SetButtonStyle(cbsCalendar);
    column->DateFormat = dtLong;
    Grid.SetCells(1, 1, "2002年04月30日");
    Grid.SetCells(1, 2, "");
    Grid.SetCol(1);
    Grid.ShowEditor();
    auto* editor = static_cast<TInplaceEdit3D*>(Grid.InplaceEditor());
    EXPECT_EQ(editor->CalendarDate(), EncodeDate(2002, 4, 30));
    editor->DropDown();
    ASSERT_NE(editor->CalendarPanel(), nullptr);
    TMOInplaceCalender* calendar = editor->CalendarPanel()->Calendar();
    EXPECT_EQ(calendar->Date(), EncodeDate(2002, 4, 30));
    SaveLook(editor->CalendarPanel(), "TMOPopupPanel");
    calendar->NextMonth();
    editor->CalendarPanel()->CloseUp(true);
    EXPECT_EQ(Grid.Cells(1, 1), "2002年05月30日");

    Grid.SetRow(2);
    Grid.ShowEditor();
    EXPECT_EQ(editor->CalendarDate(), Date());
    EXPECT_EQ(Grid.Cells(1, 2), "");
}

TEST_F(MOStringGridTest, CheckBoxEditorTogglesTheCell) {
    bool fired = false;
    Grid.OnCheckCellClick = [&](QObject*, int, int, bool check) { fired = check; };
    Grid.SetCells(2, 2, "0");
    Grid.SetRow(2);
    Grid.SetCol(2);
    Grid.ShowEditor();
    auto* editor = static_cast<TInplaceEdit3D*>(Grid.InplaceEditor());
    EXPECT_EQ(editor->EditStyle(), esCheckBox);
    EXPECT_EQ(editor->text(), "");
    EXPECT_FALSE(editor->Checked());
    QTest::mouseClick(editor, Qt::LeftButton, {}, editor->rect().center());
    EXPECT_EQ(Grid.Cells(2, 2), "1");
    EXPECT_TRUE(fired);
}
