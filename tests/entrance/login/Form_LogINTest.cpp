#include "tests/entrance/LogInFixture.h"

#include "entrance/common/EntranceSession.h"
#include "entrance/login/Form_LogIN.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

using namespace entrance;

TEST_F(LogInFixture, LoginWindowRegistersTheFirstAdministrator) {
    QPointer<TfrmLogIN> form = new TfrmLogIN;
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    EXPECT_EQ(form->lblMessage->text(), "　管理者の登録を行って下さい。　");
    EXPECT_TRUE(form->Ed_Passwd2->isVisible());
    EXPECT_EQ(form->cmbNetBios->currentText(), form->cmbNetBios->itemText(0));
    form->Ed_Operator->setText("管理者");
    QTest::keyClicks(form->Ed_PassWD1, "abc");
    QTest::keyClicks(form->Ed_Passwd2, "abc");
    form->grab().save(TestOutputFolder() + "/TfrmLogIN.png");
    form->Ed_PassWD1->setFocus();
    QTest::keyClick(form->Ed_PassWD1, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->Ed_Passwd2);
    QTest::keyClick(form->Ed_Passwd2, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form || form->ModalResult() == mrOk; }, 5000));
    EXPECT_EQ(EntranceSession().CurrentOperator.Name, "管理者");
    EXPECT_EQ(ReadAppRegistry("UserPassWD"), "abc");
    delete form;
}

TEST_F(LogInFixture, LoginWindowInLoginModeHidesTheConfirmation) {
    WriteAppRegistry("UserPassWD", "abc");
    Run(Temp.Path(), "INSERT INTO M_オペレーター (オペレーターコード,オペレーター名,ランク,passWD) "
                     "VALUES (1,'管理者',0,'abc')");
    QPointer<TfrmLogIN> form = new TfrmLogIN;
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    EXPECT_EQ(form->lblMessage->text(), "　パスワードを入力して下さい。　");
    EXPECT_FALSE(form->Ed_Passwd2->isVisible());
    EXPECT_FALSE(form->lbl_PassWD2->isVisible());
    form->Ed_Operator->setText("管理者");
    QTest::keyClick(form->Ed_Operator, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->Ed_PassWD1);
    QTest::keyClicks(form->Ed_PassWD1, "abc");
    QTest::keyClick(form->Ed_PassWD1, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form || form->ModalResult() == mrOk; }, 5000));
    EXPECT_EQ(EntranceSession().CurrentOperator.Code, 1);
    delete form;
}
