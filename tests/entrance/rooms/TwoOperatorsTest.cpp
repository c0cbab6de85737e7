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
// the same time, through a connection of its own: units 1 and 2 and room 1 of both.
struct TwoOperators : ScreenFixture {
    TwoOperators() {
        AddUnit(1, "正面玄関");
        AddUnit(2, "通用口");
        Run("INSERT INTO M_認証機グループ VALUES (1, 1, '事務室'), (1, 2, '事務室')");
    }
    ~TwoOperators() override { delete EntranceSession().frmEntranceGroupSetup.data(); }

    // Runs the room dialog for room 1 from the room screen.
    void RoomDialog(std::function<void(TfrmEntranceGroupSetup_Sub0*)> act) {
        TfrmEntranceGroupSetup* form = OpenMdiChild(EntranceSession().frmEntranceGroupSetup);
        ASSERT_TRUE(form);
        form->GroupGrid->SetRow(1);
        WhenShown<TfrmEntranceGroupSetup_Sub0>(std::move(act));
        form->btnEdit->click();
    }
    QStringList Rooms() {
        return Column("SELECT 認証機ID || ':' || 認証機グループ名 FROM M_認証機グループ "
                      "ORDER BY 認証機ID");
    }
};

} // namespace

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
