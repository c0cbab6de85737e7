#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/rooms/Form_EntranceGroupSetup.h"
#include "entrance/rooms/Form_EntranceGroupSetup_Sub0.h"
#include "tests/entrance/ScreenFixture.h"

#include <QLineEdit>
#include <QPushButton>

using namespace entrance;

// Units move between the free grid and the room grid; each keeps at least one row.
TEST(RoomDialogRules, MovesUnitsBetweenGrids) {
    TMOStringGrid free, room;
    SetUpUnitGrid(&free);
    SetUpUnitGrid(&room);
    free.SetRowCount(4);
    free.SetRows(1, {"1", "正面玄関"});
    free.SetRows(2, {"2", "通用口"});
    free.SetRows(3, {"5", "倉庫"});
    free.SetRow(2);
    MoveGridUnit(&free, &room);
    EXPECT_EQ(free.Cols(0), (QStringList{"", "1", "5"}));
    EXPECT_EQ(room.Cols(0), (QStringList{"", "2"}));
    free.SetRow(1);
    MoveGridUnit(&free, &room);
    free.SetRow(1);
    MoveGridUnit(&free, &room);
    EXPECT_EQ(free.RowCount(), 2);
    EXPECT_EQ(free.Rows(1), (QStringList{"", ""}));
    EXPECT_EQ(room.Cols(1), (QStringList{"", "通用口", "正面玄関", "倉庫"}));
    MoveGridUnit(&free, &room); // an empty source moves nothing
    EXPECT_EQ(room.RowCount(), 4);
    room.SetRow(2);
    MoveGridUnit(&room, &free);
    EXPECT_EQ(free.Rows(1), (QStringList{"1", "正面玄関"}));
    EXPECT_EQ(room.Cols(0), (QStringList{"", "2", "5"}));
}

namespace {

struct RoomScreen : ScreenFixture {
    RoomScreen() {
        AddUnit(1, "正面玄関");
        AddUnit(2, "通用口");
        AddUnit(3, "倉庫");
    }
    ~RoomScreen() override {
        if (EntranceSession().frmEntranceGroupSetup)
            delete EntranceSession().frmEntranceGroupSetup.data();
    }
    TfrmEntranceGroupSetup* Open() { return OpenMdiChild(EntranceSession().frmEntranceGroupSetup); }
    QStringList Rooms() {
        return Column("SELECT 認証機グループコード || ':' || 認証機ID || ':' || 認証機グループ名 "
                      "FROM M_認証機グループ ORDER BY 認証機グループコード, 認証機ID");
    }
};

} // namespace

TEST_F(RoomScreen, AddsARoomUnderTheSmallestFreeCode) {
    Run("INSERT INTO M_認証機グループ VALUES (1, 1, '事務室'), (3, 2, '会議室')");
    TfrmEntranceGroupSetup* form = Open();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->GroupGrid->Cols(0).mid(1), (QStringList{"事務室", "会議室"}));
    form->grab().save(TestOutputFolder() + "/TfrmEntranceGroupSetup.png");
    QStringList seen;
    WhenShown<TfrmEntranceGroupSetup_Sub0>([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        seen =
            QStringList{dialog->windowTitle(), dialog->Ed_Code->text()} + dialog->EntGrid->Cols(0);
        TMessageAnswers answers;
        dialog->btnInsert->click();
        dialog->Ed_Name->setText("　");
        dialog->btnOK->click();
        EXPECT_EQ(answers.Texts, QStringList{"部屋名を入力して下さい。"});
        dialog->Ed_Name->setText(" 倉庫室");
        dialog->grab().save(TestOutputFolder() + "/TfrmEntranceGroupSetup_Sub0.png");
        dialog->btnOK->click();
    });
    form->btnAddNew->click();
    EXPECT_EQ(seen, (QStringList{"部屋の追加", "2", "", "3"}));
    EXPECT_EQ(Rooms(), (QStringList{"1:1:事務室", "2:3: 倉庫室", "3:2:会議室"}));
    EXPECT_EQ(form->GroupGrid->Cols(0).mid(1), (QStringList{"事務室", " 倉庫室", "会議室"}));

    TMessageAnswers answers;
    form->btnAddNew->click();
    EXPECT_EQ(answers.Texts, QStringList{"全ての認証機は部屋に登録されています。"});
}

// A room emptied of its units and confirmed is deleted; Cancel keeps the dialog open.
TEST_F(RoomScreen, EmptiedRoomIsDeleted) {
    Run("INSERT INTO M_認証機グループ VALUES (1, 1, '事務室'), (1, 2, '事務室'), (2, 3, '倉庫')");
    TfrmEntranceGroupSetup* form = Open();
    form->GroupGrid->SetRow(1);
    QStringList seen;
    bool stayedOpen = false;
    WhenShown<TfrmEntranceGroupSetup_Sub0>([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        seen = QStringList{dialog->windowTitle(), dialog->Ed_Name->text()} +
               dialog->GroupGrid->Cols(0);
        dialog->btnDelete->click();
        dialog->btnDelete->click();
        TMessageAnswers answers;
        answers.Cancels = {true};
        dialog->btnOK->click();
        stayedOpen = dialog->isVisible();
        dialog->btnOK->click();
        EXPECT_EQ(answers.Texts, QStringList(2, "認証機が登録されていません。削除しますか？"));
    });
    form->btnEdit->click();
    EXPECT_EQ(seen, (QStringList{"部屋の編集", "事務室", "", "1", "2"}));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Rooms(), QStringList{"2:3:倉庫"});
    EXPECT_EQ(form->GroupGrid->Cols(0).mid(1), (QStringList{"倉庫"}));

    TMessageAnswers answers;
    form->GroupGrid->SetRow(1);
    form->btnDelete->click();
    EXPECT_EQ(answers.Texts, QStringList{"倉庫を削除しますか？"});
    EXPECT_TRUE(Rooms().isEmpty());
    form->btnEdit->click();
    EXPECT_EQ(answers.Texts.last(), "部屋が選択されていません。");
}

TEST_F(RoomScreen, NotOpenedWithoutUnits) {
    RunAll({"DELETE FROM entranceState"}, true);
    TMessageAnswers answers;
    EXPECT_EQ(Open(), nullptr);
    EXPECT_EQ(answers.Texts, QStringList{"認証機が登録されていません。"});
}
