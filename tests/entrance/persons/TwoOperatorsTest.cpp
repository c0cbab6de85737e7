#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/persons/Form_UserEntry.h"
#include "tests/entrance/ScreenFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace entrance;

namespace {

// One management program on a data folder that another terminal writes at the same time,
// through a connection of its own.
struct TwoOperators : ScreenFixture {
    std::unique_ptr<TfrmUserEntry> persons;

    TwoOperators() { EntranceSession().NetworkMode = false; }

    // The person screen editing person 0001, whose 住所① and 電話 are empty.
    TfrmUserEntry* EditPerson() {
        Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('0001','山田')");
        persons = std::make_unique<TfrmUserEntry>();
        persons->show();
        persons->UserGrid->SetRow(1);
        persons->btnEditClick();
        EXPECT_EQ(persons->GetCurrentUserCode(), "0001");
        return persons.get();
    }
    QStringList Person() {
        return Column("SELECT 氏名||'/'||ifnull(住所①,'')||'/'||ifnull(電話,'') FROM M_個人情報");
    }
};

} // namespace

TEST_F(TwoOperators, PersonSavedElsewhereIsNotOverwrittenUnseen) {
    TfrmUserEntry* form = EditPerson();
    Run("UPDATE M_個人情報 SET 住所①='東京都' WHERE 個人コード='0001'");
    Type(form->Ed_TEL, "03-1111-2222");
    TMessageAnswers answers;
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList{RowChanged});
    EXPECT_EQ(Person(), QStringList{"山田/東京都/"});
    EXPECT_EQ(form->Ed_TEL->text(), "03-1111-2222") << "the typing stays for another try";
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->lblNowState->text(), "編 集");

    // Told, the operator stores what the screen shows; empty columns compare as read.
    form->btnOK->click();
    EXPECT_EQ(answers.Texts.size(), 1);
    EXPECT_EQ(Person(), QStringList{"山田//03-1111-2222"});
    EXPECT_EQ(form->lblNowState->text(), "新 規 追 加");
}

TEST_F(TwoOperators, PersonDeletedElsewhereIsNotStoredAgain) {
    TfrmUserEntry* form = EditPerson();
    Run("DELETE FROM M_個人情報 WHERE 個人コード='0001'");
    Type(form->Ed_Name, "山田一郎");
    TMessageAnswers answers;
    form->btnOK->click();
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList(2, RowChanged));
    EXPECT_TRUE(Person().isEmpty());
    EXPECT_EQ(form->Ed_Name->text(), "山田一郎");
    EXPECT_EQ(form->pnlUserCount->text(), "0") << "the list is read again";
}

// Tab reaches the category panels in screen order; Enter or Space chooses one as a mouse press
// does, and Enter presses a focused menu button.
TEST_F(TwoOperators, CategoriesAndMenuButtonsFromTheKeyboard) {
    TmdiMainMenu main;
    QObject::disconnect(main.BitBtn9, nullptr, nullptr, nullptr);
    int opened = 0;
    QObject::connect(main.BitBtn9, &QPushButton::clicked, [&opened] { ++opened; });
    main.resize(1000, 700);
    main.show();
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    main.BitBtn21->setFocus();
    QList<QWidget*> order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget();
    }
    EXPECT_EQ(order, (QList<QWidget*>{main.Panel5, main.Panel7, main.Panel8, main.Panel9,
                                      main.Panel10, main.BitBtn18}));

    main.Panel7->setFocus();
    QTest::keyClick(main.Panel7, Qt::Key_Return);
    EXPECT_EQ(main.Category(), 3);
    EXPECT_EQ(main.LabelMenuName->text(), "マスタ登録メニュー");
    main.grab().save(TestOutputFolder() + "/TmdiMainMenu_Keyboard.png");
    main.Panel9->setFocus();
    QTest::keyClick(main.Panel9, Qt::Key_Space);
    EXPECT_EQ(main.Category(), 5);
    QTest::mouseClick(main.Panel8, Qt::LeftButton);
    EXPECT_EQ(main.Category(), 4);
    EXPECT_EQ(QApplication::focusWidget(), main.Panel9) << "a mouse press takes no focus";

    main.SelectCategory(3);
    main.BitBtn9->setFocus();
    QTest::keyClick(main.BitBtn9, Qt::Key_Return);
    QTest::keyClick(main.BitBtn9, Qt::Key_Enter);
    EXPECT_EQ(opened, 2);

    main.Panel10->setFocus();
    QTest::keyClick(main.Panel10, Qt::Key_Return);
    EXPECT_FALSE(main.isVisible()) << "システム終了 closes the window";
}
