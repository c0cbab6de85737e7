#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/units/Form_EntranceItemSetup_Sub0.h"
#include "entrance/units/Unit_EntranceItems.h"
#include "tests/entrance/ScreenFixture.h"

#include <QLineEdit>
#include <QPushButton>

using namespace entrance;

namespace {

// The unit dialog of one management program on a data folder that another terminal writes at
// the same time, through a connection of its own: units 1 and 2 (2 with operating hours, stored
// by another program to the fraction of a millisecond).
struct TwoOperators : ScreenFixture {
    TwoOperators() {
        AddUnit(1, "正面玄関");
        AddUnit(2, "通用口");
        Run(QString("UPDATE entranceState SET 稼動開始=%1, 稼動終了=%2 WHERE 認証機ID=2")
                .arg(8.5 / 24 + StoredTimeOffset, 0, 'g', 17)
                .arg(17.25 / 24 + StoredTimeOffset, 0, 'g', 17),
            true);
    }

    // Runs the unit dialog for an existing unit; `act` works in it while it shows.
    int UnitDialog(int id, std::function<void(TfrmEntranceItemSetup_Sub0*)> act) {
        WhenShown<TfrmEntranceItemSetup_Sub0>(std::move(act));
        return (new TfrmEntranceItemSetup_Sub0(nullptr, nullptr))->ExecuteUnitDialog(id, false);
    }
    QStringList Units() {
        return Column("SELECT 認証機ID || ':' || 認証機名 || ':' || ifnull(稼動開始, '-') "
                      "FROM entranceState ORDER BY 1",
                      true);
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
