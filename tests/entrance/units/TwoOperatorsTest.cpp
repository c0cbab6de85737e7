#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/units/Form_EntranceItemSetup_Sub0.h"
#include "entrance/units/Unit_EntranceItems.h"
#include "tests/entrance/ScreenFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <sqlite3.h>

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
                             Type(dialog->EditName, "裏口");
                             dialog->BitBtnOK->click();
                         }),
              mrOk);
    EXPECT_EQ(Units().value(1).section(':', 0, 1), "2:裏口");

    QStringList seen;
    UnitDialog(1, [&](TfrmEntranceItemSetup_Sub0* dialog) {
        Run("UPDATE entranceState SET 認証機名='玄関' WHERE 認証機ID=1", true);
        Type(dialog->EditName, "正面口");
        TMessageAnswers answers;
        dialog->BitBtnOK->click();
        seen = answers.Texts;
        seen << dialog->EditName->text() << Units().value(0);
        dialog->BitBtnOK->click(); // told, the operator stores again
    });
    EXPECT_EQ(seen, (QStringList{RowChangedShown, "正面口", "1:玄関:-"}));
    EXPECT_EQ(Units().value(0), "1:正面口:-");

    seen.clear();
    UnitDialog(1, [&](TfrmEntranceItemSetup_Sub0* dialog) {
        Run("DELETE FROM entranceState WHERE 認証機ID=1", true);
        Type(dialog->EditName, "正面");
        TMessageAnswers answers;
        dialog->BitBtnOK->click();
        dialog->BitBtnOK->click();
        seen = answers.Texts;
        seen << dialog->EditName->text();
        dialog->BtnCancel->click();
    });
    EXPECT_EQ(seen, (QStringList{RowDeleted, RowDeleted, "正面"}));
    EXPECT_EQ(Units().size(), 1) << "a unit deleted elsewhere is not appended again";
}

// The operator changes only the hours of a unit that another terminal renames and whose
// running state the communication program sets meanwhile: the refusal shows the new name, and
// the next OK writes the hours alone. A trigger refuses any write of the other columns.
TEST_F(TwoOperators, UnitDialogWritesOnlyWhatTheOperatorChanged) {
    QStringList seen;
    UnitDialog(1, [&](TfrmEntranceItemSetup_Sub0* dialog) {
        Run("UPDATE entranceState SET 認証機名='玄関', 作動状況=1 WHERE 認証機ID=1", true);
        const auto file = SqlConnection::OpenDatabase(Temp.File("ENTRANCESTATE.DB"));
        EXPECT_EQ(sqlite3_exec(file->Handle(),
                               "CREATE TRIGGER NotTheOperators AFTER UPDATE OF 認証機名, 作動状況, "
                               "タンパー開 ON entranceState "
                               "BEGIN SELECT RAISE(ABORT, 'not the operator''s'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        dialog->CheckKadou->click();
        Type(dialog->EditStartH, "8");
        Type(dialog->EditEndH, "17");
        TMessageAnswers answers;
        dialog->BitBtnOK->click();
        seen = answers.Texts;
        seen << dialog->EditName->text() << dialog->EditStartH->text()
             << QString::number(dialog->CheckKadou->isChecked());
        dialog->BitBtnOK->click();
        seen << answers.Texts.mid(1);
    });
    EXPECT_EQ(seen, (QStringList{RowChangedShown, "玄関", "8", "1"}));
    EXPECT_EQ(Column("SELECT 認証機名 || ':' || 作動状況 || ':' || round(稼動開始 * 24, 2) FROM "
                     "entranceState WHERE 認証機ID=1",
                     true),
              QStringList{"玄関:1:8.0"});
}
