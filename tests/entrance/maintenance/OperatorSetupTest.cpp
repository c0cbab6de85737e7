#include "entrance/common/EntranceSession.h"
#include "entrance/maintenance/Form_OperatorSetup.h"
#include "entrance/maintenance/OperatorRules.h"
#include "tests/entrance/ScreenFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace entrance;

TEST(OperatorRules, StoredRank) {
    const TOperatorRec admin{2, "admin", 0, ""}, clerk{3, "clerk", 1, ""};
    const struct {
        TOperatorRec current;
        int chosen, code, stored, rank;
    } table[] = {
        {admin, 2, 4, 1, 2},
        {admin, 1, 1, 0, 0}, // operator 1 stays an administrator
        {admin, 1, 2, 0, 0}, // nobody changes his own rank
        {clerk, 0, 3, 1, 1},
        {clerk, 0, 3, 2, 2}, // changed by an administrator since the clerk's login
    };
    for (const auto& row : table)
        EXPECT_EQ(StoredRank(row.chosen, row.code, row.stored, row.current), row.rank) << row.code;
    EXPECT_EQ(RankItems(admin), (QStringList{"管理者", "一般", "経理"}));
    EXPECT_EQ(RankItems(TOperatorRec{5, "", 2, ""}), QStringList{"経理"});
}

TEST(OperatorRules, SaveChecks) {
    const struct {
        QString name;
        bool change;
        QString pw1, pw2;
        bool taken;
        QString error;
    } table[] = {
        {"", false, "", "", false, "オペレーター名に入力して下さい。"},
        {"a", true, "x", "y", false, "パスワードと入力確認が一致しません。"},
        {"a", false, "x", "y", false, ""},
        {"a", true, "x", "x", true, "既に使用されているオペーレータ名です。"},
    };
    for (const auto& row : table)
        EXPECT_EQ(OperatorSaveError(row.name, row.change, row.pw1, row.pw2, row.taken), row.error);
}

namespace {

struct OperatorScreen : ScreenFixture {
    OperatorScreen() {
        RunAll({"INSERT INTO M_オペレーター VALUES (1, 'root', 0, '', 37000, 'r')",
                "INSERT INTO M_オペレーター VALUES (2, 'suzuki', 1, 'note', 37001, 's')"},
               false);
    }
    ~OperatorScreen() override {
        if (EntranceSession().frmOperatorSetup)
            delete EntranceSession().frmOperatorSetup.data();
        EntranceSession().CurrentOperator = {};
    }
    TfrmOperatorSetup* Open(const TOperatorRec& who) {
        EntranceSession().CurrentOperator = who;
        OpenMdiChild(EntranceSession().frmOperatorSetup);
        return EntranceSession().frmOperatorSetup;
    }
    QStringList Rows() {
        return Column(
            "SELECT オペレーターコード || ':' || オペレーター名 || ':' || ランク || ':' || "
            "passWD FROM M_オペレーター ORDER BY オペレーターコード");
    }
    void Select(int index) {
        EntranceSession().frmOperatorSetup->lstOperator->setCurrentItem(
            EntranceSession().frmOperatorSetup->lstOperator->topLevelItem(index));
        EntranceSession().frmOperatorSetup->btnEdit->click();
    }
    TMessageAnswers answers;
};

} // namespace

TEST_F(OperatorScreen, AdministratorAddsEditsAndDeletes) {
    TfrmOperatorSetup* form = Open({1, "root", 0, "r"});
    EXPECT_EQ(form->lstOperator->topLevelItemCount(), 2);
    EXPECT_EQ(form->lstOperator->topLevelItem(1)->text(1), "一般");
    EXPECT_EQ(form->Ed_Operator->text(), "root");
    form->grab().save(TestOutputFolder() + "/TfrmOperatorSetup.png");

    // Operator 1 keeps rank 0 and cannot be deleted; his password may change.
    form->cmbRank->setCurrentIndex(2);
    form->cmbRankClick();
    EXPECT_EQ(form->cmbRank->currentIndex(), 0);
    form->btnDel->click();
    form->ChkPassWDChange->setChecked(true);
    form->Ed_NewPassWD1->setText("new");
    form->Ed_NewPassWD2->setText("new");
    form->btnOK->click();

    form->btnNew->click();
    EXPECT_EQ(form->pnlNowState->text(), "新 規 追 加");
    EXPECT_EQ(form->Ed_Code->text(), "3");
    form->Ed_Operator->setText("suzuki");
    form->btnOK->click(); // the name is taken
    form->Ed_Operator->setText("o\"k");
    form->Ed_NewPassWD1->setText("p");
    form->Ed_NewPassWD2->setText("p");
    form->cmbRank->setCurrentIndex(2);
    form->btnOK->click();
    EXPECT_EQ(Rows(), (QStringList{"1:root:0:new", "2:suzuki:1:s", "3:o\"k:2:p"}));

    Select(1); // saved without a new password, the password stays
    form->Ed_SubText->setText("changed");
    form->btnOK->click();
    EXPECT_EQ(Rows().value(1), "2:suzuki:1:s");
    Select(1);
    form->btnDel->click();
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_EQ(answers.Texts, (QStringList{"最初の管理者は、ランクを変更できません。",
                                          "最初に登録されている管理者は削除できません。",
                                          "既に使用されているオペーレータ名です。",
                                          "suzukiを削除します。よろしいですか？"}));
}

TEST_F(OperatorScreen, TenOperatorsAtMost) {
    QStringList sql;
    for (int code = 3; code <= 10; ++code)
        sql << QString("INSERT INTO M_オペレーター VALUES (%1, 'op%1', 1, '', 37000, '')")
                   .arg(code);
    RunAll(sql, false);
    TfrmOperatorSetup* form = Open({1, "root", 0, "r"});
    form->btnNew->click();
    EXPECT_EQ(answers.Texts, QStringList{"オペレーターは１０人までしか登録できません。"});
    EXPECT_EQ(form->pnlNowState->text(), "編 集");
}

TEST_F(OperatorScreen, OthersSeeAndChangeOnlyThemselves) {
    TfrmOperatorSetup* form = Open({2, "suzuki", 1, "s"});
    EXPECT_EQ(form->lstOperator->topLevelItemCount(), 1);
    EXPECT_EQ(form->cmbRank->count(), 1);
    EXPECT_EQ(form->cmbRank->currentText(), "一般");
    EXPECT_FALSE(form->btnNew->isEnabled());
    EXPECT_FALSE(form->btnDel->isEnabled());
    form->Ed_Operator->setText("suzuki2");
    form->btnOK->click();
    EXPECT_EQ(Rows(), (QStringList{"1:root:0:r", "2:suzuki2:1:s"}));
}

// In new mode 編集 is disabled and a click in the list leaves the half-typed operator alone.
TEST_F(OperatorScreen, AClickInTheListKeepsAHalfTypedNewOperator) {
    TfrmOperatorSetup* form = Open({1, "root", 0, "r"});
    form->btnNew->click();
    form->Ed_Operator->setText("tanaka");
    form->Ed_SubText->setText("途中");
    QTreeWidgetItem* item = form->lstOperator->topLevelItem(1);
    QTest::mouseClick(form->lstOperator->viewport(), Qt::LeftButton, {},
                      form->lstOperator->visualItemRect(item).center());
    EXPECT_FALSE(form->btnEdit->isEnabled());
    EXPECT_EQ(form->pnlNowState->text(), "新 規 追 加");
    EXPECT_EQ(form->Ed_Operator->text(), "tanaka");
    EXPECT_EQ(form->Ed_Code->text(), "3");
    form->btnCancel->click();
    QTest::mouseClick(form->lstOperator->viewport(), Qt::LeftButton, {},
                      form->lstOperator->visualItemRect(item).center());
    EXPECT_EQ(form->Ed_Operator->text(), "suzuki");
}

// Someone else's rank reads and stays as stored, also when an administrator changed it after
// his login; the list's dates follow the program-wide short date format, set as yyyy/mm/dd.
TEST_F(OperatorScreen, ANonAdministratorsRankIsShownAndKeptAsStored) {
    RunAll({"UPDATE M_オペレーター SET ランク=2 WHERE オペレーターコード=2"}, false);
    FormatSettings().ShortDateFormat = "m/d/yyyy";
    TfrmOperatorSetup* form = Open({2, "suzuki", 1, "s"});
    EXPECT_EQ(FormatSettings().ShortDateFormat, "yyyy/mm/dd");
    EXPECT_EQ(form->lstOperator->topLevelItem(0)->text(3), "2001/04/20");
    EXPECT_EQ(form->lstOperator->topLevelItem(0)->text(1), "経理");
    EXPECT_EQ(form->cmbRank->currentText(), "経理");
    form->Ed_SubText->setText("changed");
    form->btnOK->click();
    EXPECT_EQ(Rows().value(1), "2:suzuki:2:s");
}
