#include "ScreenFixture.h"
#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/rooms/Form_EntranceGroupSetup.h"
#include "entrance/rooms/Form_EntranceGroupSetup_Sub0.h"
#include "entrance/units/Form_EntranceItemSetup_Sub0.h"
#include "entrance/units/Unit_EntranceItems.h"

#include <QLineEdit>
#include <QPushButton>

using namespace entrance;

namespace {

const QString RowChanged = "他の端末で変更または削除されたため、登録できませんでした。";

// The unit and room dialogs of one management program on a data folder that another terminal
// writes at the same time, through a connection of its own: units 1 and 2 (2 with operating
// hours, stored by another program to the fraction of a millisecond) and room 1 of both.
struct TwoOperators : ScreenFixture {
    TwoOperators() {
        AddUnit(1, "正面玄関");
        AddUnit(2, "通用口");
        Run(QString("UPDATE entranceState SET 稼動開始=%1, 稼動終了=%2 WHERE 認証機ID=2")
                .arg(8.5 / 24 + StoredTimeOffset, 0, 'g', 17)
                .arg(17.25 / 24 + StoredTimeOffset, 0, 'g', 17),
            true);
        Run("INSERT INTO M_認証機グループ VALUES (1, 1, '事務室'), (1, 2, '事務室')");
    }
    ~TwoOperators() override { delete EntranceSession().frmEntranceGroupSetup.data(); }

    // Runs the unit dialog for an existing unit; `act` works in it while it shows.
    int UnitDialog(int id, std::function<void(TfrmEntranceItemSetup_Sub0*)> act) {
        WhenShown<TfrmEntranceItemSetup_Sub0>(std::move(act));
        return (new TfrmEntranceItemSetup_Sub0(nullptr, nullptr))->ExecuteUnitDialog(id, false);
    }
    // Runs the room dialog for room 1 from the room screen.
    void RoomDialog(std::function<void(TfrmEntranceGroupSetup_Sub0*)> act) {
        TfrmEntranceGroupSetup* form = OpenMdiChild(EntranceSession().frmEntranceGroupSetup);
        ASSERT_TRUE(form);
        form->GroupGrid->SetRow(1);
        WhenShown<TfrmEntranceGroupSetup_Sub0>(std::move(act));
        form->btnEdit->click();
    }
    QStringList Units() {
        return Column("SELECT 認証機ID || ':' || 認証機名 || ':' || ifnull(稼動開始, '-') "
                      "FROM entranceState ORDER BY 1",
                      true);
    }
    QStringList Rooms() {
        return Column("SELECT 認証機ID || ':' || 認証機グループ名 FROM M_認証機グループ "
                      "ORDER BY 認証機ID");
    }
};

} // namespace

TEST_F(TwoOperators, UnitChangedOrDeletedElsewhere) {
    // Alone, the operator stores as ever, the hours read to the millisecond included.
    EXPECT_EQ(UnitDialog(2,
                         [](TfrmEntranceItemSetup_Sub0* dialog) {
                             dialog->EditName->setText("裏口");
                             dialog->BitBtnOK->click();
                         }),
              mrOk);
    EXPECT_EQ(Units().value(1).section(':', 0, 1), "2:裏口");

    QStringList seen;
    UnitDialog(1, [&](TfrmEntranceItemSetup_Sub0* dialog) {
        Run("UPDATE entranceState SET 認証機名='玄関' WHERE 認証機ID=1", true);
        dialog->EditName->setText("正面口");
        TMessageAnswers answers;
        dialog->BitBtnOK->click();
        seen = answers.Texts;
        seen << dialog->EditName->text() << Units().value(0);
        dialog->BitBtnOK->click(); // told, the operator stores again
    });
    EXPECT_EQ(seen, (QStringList{RowChanged, "正面口", "1:玄関:-"}));
    EXPECT_EQ(Units().value(0), "1:正面口:-");

    seen.clear();
    UnitDialog(1, [&](TfrmEntranceItemSetup_Sub0* dialog) {
        Run("DELETE FROM entranceState WHERE 認証機ID=1", true);
        dialog->EditName->setText("正面");
        TMessageAnswers answers;
        dialog->BitBtnOK->click();
        dialog->BitBtnOK->click();
        seen = answers.Texts;
        dialog->BtnCancel->click();
    });
    EXPECT_EQ(seen, QStringList(2, RowChanged));
    EXPECT_EQ(Units().size(), 1) << "a unit deleted elsewhere is not appended again";
}

TEST_F(TwoOperators, RoomChangedOrDeletedElsewhere) {
    QStringList seen;
    RoomDialog([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        Run("UPDATE M_認証機グループ SET 認証機グループ名='総務室'");
        dialog->Ed_Name->setText("事務所");
        TMessageAnswers answers;
        dialog->btnOK->click();
        seen = answers.Texts;
        seen << dialog->Ed_Name->text() << Rooms();
        dialog->btnOK->click();
    });
    EXPECT_EQ(seen, (QStringList{RowChanged, "事務所", "1:総務室", "2:総務室"}));
    EXPECT_EQ(Rooms(), (QStringList{"1:事務所", "2:事務所"}));

    seen.clear();
    RoomDialog([&](TfrmEntranceGroupSetup_Sub0* dialog) {
        Run("DELETE FROM M_認証機グループ");
        dialog->btnDelete->click();
        TMessageAnswers answers;
        dialog->btnOK->click();
        seen = answers.Texts;
        dialog->btnCancel->click();
    });
    EXPECT_EQ(seen, QStringList{RowChanged});
    EXPECT_TRUE(Rooms().isEmpty()) << "a room deleted elsewhere is not stored again";
}
