#include "components/dbctrls/DBEdit.h"
#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/maintenance/Form_CategorySetup.h"
#include "entrance/maintenance/Form_CompanySetup.h"
#include "entrance/maintenance/Form_OperatorSetup.h"
#include "tests/entrance/ScreenFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace entrance;

namespace {

// The master-data screens of one management program on a data folder that another terminal
// writes at the same time, through a connection of its own. The administrator is logged in.
struct TwoOperators : ScreenFixture {
    TwoOperators() {
        RunAll({"INSERT INTO M_部門 VALUES (1, '総務部'), (3, '営業部')",
                "INSERT INTO M_オペレーター VALUES (1, 'root', 0, NULL, 37000, 'r')",
                "INSERT INTO M_オペレーター VALUES (2, 'suzuki', 1, NULL, 37001, 's')",
                "INSERT INTO M_事業所 (事業所コード, 事業所名, 処理年度, 処理月, 勤怠締日) "
                "VALUES (1, '山田商事', 2026, 4, 20)"},
               false);
        EntranceSession().CurrentOperator = {1, "root", 0, "r"};
    }
    ~TwoOperators() override {
        delete EntranceSession().frmCategorySetup.data();
        delete EntranceSession().frmOperatorSetup.data();
        delete EntranceSession().frmCompanySetup.data();
        EntranceSession().CurrentOperator = {};
    }
    template <class T> T* Open(QPointer<T>& global) {
        OpenMdiChild(global);
        return global.data();
    }
    QStringList Departments() {
        return Column("SELECT 部門コード || ':' || 部門名 FROM M_部門 ORDER BY 部門コード");
    }
    QStringList Operators() {
        return Column("SELECT オペレーターコード || ':' || オペレーター名 || ':' || "
                      "ifnull(補足, '') FROM M_オペレーター ORDER BY 1");
    }
    TMessageAnswers answers;
};

} // namespace

// A refusal shows the department as stored now unless the operator typed its name; the next
// 登録 stores what the entry shows.
TEST_F(TwoOperators, DepartmentChangedOrDeletedElsewhere) {
    TfrmCategorySetup* form = Open(EntranceSession().frmCategorySetup);
    for (const QString typed : {"", "営業一部"}) {
        ClickRow(form->CategoryGrid, 2);
        Run("UPDATE M_部門 SET 部門名='営業本部' WHERE 部門コード=3");
        if (!typed.isEmpty())
            Type(form->Ed_Name, typed);
        answers.Texts.clear();
        EXPECT_FALSE(form->btnOKClick());
        EXPECT_EQ(answers.Texts, QStringList{RowChangedShown});
        EXPECT_EQ(Departments(), (QStringList{"1:総務部", "3:営業本部"}));
        const QString shown = typed.isEmpty() ? "営業本部" : typed;
        EXPECT_EQ(form->Ed_Name->text(), shown);
        EXPECT_EQ(form->CategoryGrid->Cells(1, 2), "営業本部") << "the list is read again";
        EXPECT_EQ(form->CategoryGrid->Row(), 2);

        EXPECT_TRUE(form->btnOKClick());
        EXPECT_EQ(answers.Texts.size(), 1);
        EXPECT_EQ(Departments(), (QStringList{"1:総務部", "3:" + shown}));
        Run("UPDATE M_部門 SET 部門名='営業部' WHERE 部門コード=3");
        form->LoadGrid();
    }

    // A department deleted elsewhere does not come back.
    ClickRow(form->CategoryGrid, 2);
    Run("DELETE FROM M_部門 WHERE 部門コード=3");
    Type(form->Ed_Name, "営業二部");
    answers.Texts.clear();
    EXPECT_FALSE(form->btnOKClick());
    EXPECT_FALSE(form->btnOKClick());
    EXPECT_EQ(answers.Texts, QStringList(2, RowDeleted));
    EXPECT_EQ(Departments(), QStringList{"1:総務部"});
    EXPECT_EQ(form->Ed_Name->text(), "営業二部");

    // A new department still goes in.
    form->btnCANCELClick();
    form->BitBtn2->click();
    Type(form->Ed_Name, "開発部");
    EXPECT_TRUE(form->btnOKClick());
    EXPECT_EQ(Departments(), (QStringList{"1:総務部", "2:開発部"}));
}

TEST_F(TwoOperators, OperatorChangedOrDeletedElsewhere) {
    TfrmOperatorSetup* form = Open(EntranceSession().frmOperatorSetup);
    const auto clickOperator = [form](int index) {
        QTreeWidget* list = form->lstOperator;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(index)).center());
    };
    clickOperator(1);
    Run("UPDATE M_オペレーター SET 補足='他端末' WHERE オペレーターコード=2");
    Type(form->Ed_Operator, "sato");
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList{RowChangedShown});
    EXPECT_EQ(Operators(), (QStringList{"1:root:", "2:suzuki:他端末"}));
    EXPECT_EQ(form->Ed_Operator->text(), "sato");
    EXPECT_EQ(form->Ed_SubText->text(), "他端末");

    form->btnOK->click();
    EXPECT_EQ(Operators(), (QStringList{"1:root:", "2:sato:他端末"}));

    clickOperator(1);
    Run("DELETE FROM M_オペレーター WHERE オペレーターコード=2");
    Type(form->Ed_Operator, "tanaka");
    form->btnOK->click();
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, (QStringList{RowChangedShown, RowDeleted, RowDeleted}));
    EXPECT_EQ(Operators(), QStringList{"1:root:"});
    EXPECT_EQ(form->Ed_Operator->text(), "tanaka");

    // A new operator whose code another terminal took meanwhile goes in under the next one.
    form->btnNew->click();
    Run("INSERT INTO M_オペレーター VALUES (2, 'ito', 1, NULL, 37002, 'i')");
    Type(form->Ed_Operator, "kato");
    form->btnOK->click();
    EXPECT_EQ(answers.Texts.size(), 4);
    EXPECT_EQ(answers.Texts.last(), RowChanged);
    EXPECT_EQ(Operators(), (QStringList{"1:root:", "2:ito:"}));
    EXPECT_EQ(form->pnlNowState->text(), "新 規 追 加");
    form->btnOK->click();
    EXPECT_EQ(Operators(), (QStringList{"1:root:", "2:ito:", "3:kato:"}));
}

TEST_F(TwoOperators, OfficeChangedElsewhere) {
    TfrmCompanySetup* form = Open(EntranceSession().frmCompanySetup);
    Run("UPDATE M_事業所 SET 電話='06-1111-2222'");
    Type(form->DBEdit5, "大阪市");
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList{RowChangedShown});
    EXPECT_EQ(Column("SELECT ifnull(住所①, '') || '/' || 電話 FROM M_事業所"),
              QStringList{"/06-1111-2222"});
    ASSERT_TRUE(EntranceSession().frmCompanySetup) << "the screen stays open";
    EXPECT_EQ(form->DBEdit5->text(), "大阪市");
    EXPECT_EQ(form->DBEdit7->text(), "06-1111-2222");

    // Told, the operator stores again: what he changed, over what the other changed.
    form->btnOK->click();
    EXPECT_EQ(answers.Texts.size(), 1);
    EXPECT_EQ(Column("SELECT 住所① || '/' || 電話 FROM M_事業所"),
              QStringList{"大阪市/06-1111-2222"});
}

TEST_F(TwoOperators, OfficeDeletedElsewhere) {
    TfrmCompanySetup* form = Open(EntranceSession().frmCompanySetup);
    Run("DELETE FROM M_事業所");
    Type(form->DBEdit1, "鈴木商事");
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList{RowDeleted});
    EXPECT_TRUE(Column("SELECT 事業所名 FROM M_事業所").isEmpty());
    EXPECT_EQ(form->DBEdit1->text(), "鈴木商事");
}

// Enter on the password box goes on to the password fields when it is ticked, past them when
// it is not.
TEST_F(TwoOperators, EnterGoesOnFromThePasswordBox) {
    TfrmOperatorSetup* form = Open(EntranceSession().frmOperatorSetup);
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    form->ChkPassWDChange->setChecked(true);
    form->ChkPassWDChange->setFocus();
    QTest::keyClick(form->ChkPassWDChange, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->Ed_NewPassWD1);
    QTest::keyClick(form->Ed_NewPassWD1, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->Ed_NewPassWD2);

    form->ChkPassWDChange->setChecked(false);
    form->ChkPassWDChange->setFocus();
    QTest::keyClick(form->ChkPassWDChange, Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), form->btnOK);
}
