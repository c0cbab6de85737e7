#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/maintenance/DepartmentRules.h"
#include "entrance/maintenance/Form_CategorySetup.h"
#include "tests/entrance/ScreenFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace entrance;

TEST(DepartmentRules, EntryChecks) {
    const struct {
        QString code, name;
        bool newMode;
        int error;
    } table[] = {
        {"5", "営業部", true, 0},       {"5", "営業部", false, 0},
        {"", "営業部", true, 65123},    {"1.", "営業部", true, 65123},
        {"+5", "営業部", true, 65123},  {"-1", "営業部", true, 65123},
        {"1 OR 1=1", "x", true, 65123}, {"5", "　 ", true, 65125},
        {"0", "営業部", true, 65127},   {"00", "営業部", true, 65127},
        {"2", "営業部", true, 65126},   {"2", "営業部", false, 0},
        {"99", "営業部", true, 0},
    };
    for (const auto& row : table)
        EXPECT_EQ(DepartmentEntryError(row.code, row.name, row.newMode, {1, 2}), row.error)
            << row.code.toStdString() << " " << row.newMode;
}

TEST(DepartmentRules, ProposedCode) {
    const struct {
        QString last;
        int code;
    } table[] = {{"", 1}, {"7", 8}, {"98", 99}, {"99", 0}};
    for (const auto& row : table)
        EXPECT_EQ(ProposedDepartmentCode(row.last), row.code) << row.last.toStdString();
}

namespace {

struct DepartmentScreen : ScreenFixture {
    DepartmentScreen() {
        RunAll(
            {"INSERT INTO M_部門 VALUES (1, '総務部')", "INSERT INTO M_部門 VALUES (3, '営業部')",
             "INSERT INTO M_個人情報 (個人コード, 氏名, 部門コード, 指コード) VALUES ('0000001', "
             "'山田', 3, 2)",
             "INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0000002', '田中')"},
            false);
        OpenMdiChild(EntranceSession().frmCategorySetup);
        form = EntranceSession().frmCategorySetup;
    }
    ~DepartmentScreen() override {
        if (EntranceSession().frmCategorySetup)
            delete EntranceSession().frmCategorySetup.data();
    }
    QStringList Departments() {
        return Column("SELECT 部門コード || ':' || 部門名 FROM M_部門 ORDER BY 部門コード");
    }
    TfrmCategorySetup* form;
    TMessageAnswers answers;
};

} // namespace

TEST_F(DepartmentScreen, ListsAndAddsWithTheProposedCode) {
    EXPECT_EQ(form->windowTitle(), "部門の登録");
    EXPECT_EQ(form->pnlCateCount->text(), "2");
    EXPECT_EQ(form->Ed_Code->text(), "1");
    EXPECT_EQ(form->Ed_Name->text(), "総務部");
    form->grab().save(TestOutputFolder() + "/TfrmCategorySetup.png");

    form->BitBtn2->click();
    EXPECT_EQ(form->Ed_Code->text(), "4");
    EXPECT_FALSE(form->btnDELETE->isEnabled());
    Type(form->Ed_Code, "1.5");
    EXPECT_EQ(form->Ed_Code->text(), "4") << "only digits are taken";
    Type(form->Ed_Code, "15");
    Type(form->Ed_Name, " 開発部 ");
    EXPECT_TRUE(form->btnOKClick());
    EXPECT_EQ(Departments(), (QStringList{"1:総務部", "3:営業部", "15:開発部"}));
    EXPECT_TRUE(form->NewMode) << "the next new entry starts";
    EXPECT_EQ(form->Ed_Code->text(), "16");

    // A used code is refused and nothing is stored.
    Type(form->Ed_Code, "3");
    Type(form->Ed_Name, "重複");
    EXPECT_FALSE(form->btnOKClick());
    EXPECT_EQ(answers.Texts.value(0), "既に登録済みのコードを入力しています。");
    EXPECT_EQ(Departments().size(), 3);
}

TEST_F(DepartmentScreen, RenamesAndKeepsARefusedEntry) {
    form->CategoryGrid->SetRow(2);
    EXPECT_EQ(form->Ed_Code->text(), "3");
    EXPECT_TRUE(form->Ed_Code->isReadOnly()) << "a listed department keeps its code";
    Type(form->Ed_Name, "営業一部");
    EXPECT_TRUE(form->Modified);
    EXPECT_TRUE(form->btnOKClick());
    EXPECT_EQ(Departments(), (QStringList{"1:総務部", "3:営業一部"}));

    // Leaving an entry whose store fails keeps what was typed and the row it belongs to.
    form->btnCANCELClick();
    form->CategoryGrid->SetRow(1);
    Type(form->Ed_Name, "　");
    form->CategoryGrid->SetRow(2);
    EXPECT_EQ(answers.Texts,
              (QStringList{"変更があります。登録しますか？", "部門名に入力していません。"}));
    EXPECT_EQ(form->CategoryGrid->Row(), 1);
    EXPECT_EQ(form->Ed_Code->text(), "1");
    EXPECT_TRUE(form->Modified);
}

TEST_F(DepartmentScreen, DeletesOnlyUnusedDepartments) {
    form->CategoryGrid->SetRow(2); // 3, used by a person with a finger code
    form->btnDELETE->click();
    EXPECT_EQ(answers.Texts.value(0), "利用者が登録されている部門は削除することができません。");
    EXPECT_EQ(Departments().size(), 2);

    RunAll({"UPDATE M_個人情報 SET 部門コード=7 WHERE 個人コード='0000001'"}, false);
    answers.Cancels = {true};
    form->btnDELETE->click();
    EXPECT_EQ(Departments().size(), 2) << "cancelled";

    form->CategoryGrid->SetRow(1);
    form->btnDELETE->click();
    EXPECT_EQ(answers.Texts.last(), "総務部 を削除します。");
    EXPECT_EQ(Departments(), QStringList{"3:営業部"});
    EXPECT_EQ(Column("SELECT 部門コード FROM M_個人情報 ORDER BY 個人コード"),
              (QStringList{"7", ""}));

    form->BitBtn2->click();
    form->btnDELETE->setEnabled(true);
    form->btnDELETE->click();
    EXPECT_EQ(answers.Texts.last(), "新規追加中での削除は、無効です。");
}
