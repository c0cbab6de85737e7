#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/rooms/Form_EntranceGroupSetup.h"
#include "entrance/rooms/Form_EntranceGroupSetup_Sub0.h"
#include "tests/entrance/ScreenFixture.h"

#include <QLineEdit>
#include <QPushButton>

using namespace entrance;

namespace {

// The room dialog of one management program on a data folder that another terminal writes at
// the same time, through a connection of its own: units 1 to 3 and room 1 of units 1 and 2.
struct TwoOperators : ScreenFixture {
    TwoOperators() {
        AddUnit(1, "正面玄関");
        AddUnit(2, "通用口");
        AddUnit(3, "会議室");
        Run("INSERT INTO M_認証機グループ VALUES (1, 1, '事務室'), (1, 2, '事務室')");
    }
    ~TwoOperators() override { delete EntranceSession().frmEntranceGroupSetup.data(); }

    // Runs the room dialog from the room screen: for room 1, chosen by a click in the list, or
    // for a new room.
    void RoomDialog(std::function<void(TfrmEntranceGroupSetup_Sub0*)> act, bool newRoom = false) {
        TfrmEntranceGroupSetup* form = OpenMdiChild(EntranceSession().frmEntranceGroupSetup);
        ASSERT_TRUE(form);
        WhenShown<TfrmEntranceGroupSetup_Sub0>(std::move(act));
        if (newRoom) {
            form->btnAddNew->click();
        } else {
            ClickRow(form->GroupGrid, 1);
            form->btnEdit->click();
        }
    }
    QStringList Rooms() {
        return Column("SELECT 認証機グループコード || ':' || 認証機ID || ':' || 認証機グループ名 "
                      "FROM M_認証機グループ ORDER BY 認証機ID");
    }
    static QStringList Listed(TMOStringGrid* grid) {
        QStringList ids;
        for (int row = 1; row < grid->RowCount(); ++row)
            ids << grid->Cells(0, row);
        return ids;
    }
};

} // namespace

// A refusal shows the room as stored now where the operator changed nothing and keeps what he
// changed, the name or the units; the next OK stores what the dialog shows.
TEST_F(TwoOperators, RoomChangedOrDeletedElsewhere) {
    QStringList seen;
    RoomDialog([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        Run("UPDATE M_認証機グループ SET 認証機グループ名='総務室'");
        Type(dialog->Ed_Name, "事務所");
        TMessageAnswers answers;
        dialog->btnOK->click();
        seen = answers.Texts;
        seen << dialog->Ed_Name->text() << Rooms();
        dialog->btnOK->click();
    });
    EXPECT_EQ(seen, (QStringList{RowChangedShown, "事務所", "1:1:総務室", "1:2:総務室"}));
    EXPECT_EQ(Rooms(), (QStringList{"1:1:事務所", "1:2:事務所"}));

    seen.clear();
    RoomDialog([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        Run("UPDATE M_認証機グループ SET 認証機グループ名='総務室'");
        ClickRow(dialog->GroupGrid, 2);
        dialog->btnDelete->click();
        TMessageAnswers answers;
        dialog->btnOK->click();
        seen = answers.Texts;
        seen << dialog->Ed_Name->text() << Listed(dialog->GroupGrid).join(',')
             << Listed(dialog->EntGrid).join(',');
        dialog->btnOK->click();
    });
    EXPECT_EQ(seen, (QStringList{RowChangedShown, "総務室", "1", "2,3"}));
    EXPECT_EQ(Rooms(), QStringList{"1:1:総務室"});

    seen.clear();
    RoomDialog([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        Run("DELETE FROM M_認証機グループ");
        Type(dialog->Ed_Name, "倉庫");
        TMessageAnswers answers;
        dialog->btnOK->click();
        dialog->btnOK->click();
        seen = answers.Texts;
        seen << dialog->Ed_Name->text();
        dialog->btnCancel->click();
    });
    EXPECT_EQ(seen, (QStringList{RowDeleted, RowDeleted, "倉庫"}));
    EXPECT_TRUE(Rooms().isEmpty()) << "a room deleted elsewhere is not stored again";
}

// A unit offered free that another terminal put into its room meanwhile: the save is refused
// with the unit named, and the unit is no longer offered.
TEST_F(TwoOperators, OneUnitGoesIntoOneRoomOnly) {
    QStringList seen;
    RoomDialog(
        [&](TfrmEntranceGroupSetup_Sub0* dialog) {
            Run("INSERT INTO M_認証機グループ VALUES (1, 3, '事務室')");
            Type(dialog->Ed_Name, "会議室");
            ClickRow(dialog->EntGrid, 1);
            dialog->btnInsert->click();
            TMessageAnswers answers;
            dialog->btnOK->click();
            seen = answers.Texts;
            seen << Listed(dialog->GroupGrid).join(',') << Listed(dialog->EntGrid).join(',');
            dialog->btnCancel->click();
        },
        true);
    EXPECT_EQ(seen, (QStringList{"認証機 3:会議室 は他の端末で部屋「事務室」に登録されたため、"
                                 "登録できませんでした。",
                                 "3", ""}));
    EXPECT_EQ(Rooms(), (QStringList{"1:1:事務室", "1:2:事務室", "1:3:事務室"}));
}
