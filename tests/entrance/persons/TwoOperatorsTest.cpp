#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/persons/Form_EntranceUser.h"
#include "entrance/persons/Form_UserEntranceGazo.h"
#include "entrance/persons/Form_UserEntry.h"
#include "protocol/CommRequests.h"
#include "tests/entrance/ScreenFixture.h"
#include "ui/CopyData.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace entrance;

namespace {

// One management program on a data folder that another terminal writes at the same time,
// through a connection of its own: persons 0001 to 0003, 住所① and 電話 empty.
struct TwoOperators : ScreenFixture {
    std::unique_ptr<TfrmUserEntry> persons;

    TwoOperators() { EntranceSession().NetworkMode = false; }
    ~TwoOperators() override {
        delete EntranceSession().frmUserEntranceGazo.data();
        EntranceSession().NetworkMode = true;
    }

    // The person screen editing the person in `row` (0003 unless said), chosen by a click in
    // the list.
    TfrmUserEntry* EditPerson(int row = 3) {
        Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('0001','青木'), ('0002','伊藤'), "
            "('0003','山田')");
        persons = std::make_unique<TfrmUserEntry>();
        persons->show();
        ClickRow(persons->UserGrid, row);
        EXPECT_EQ(persons->GetCurrentUserCode(), QString("000%1").arg(row));
        return persons.get();
    }
    QStringList Person(const QString& code = "0003") {
        return Column("SELECT 氏名||'/'||ifnull(住所①,'')||'/'||ifnull(電話,'') FROM M_個人情報 "
                      "WHERE 個人コード='" +
                      code + "'");
    }
};

} // namespace

// A refusal shows the person as stored now in the fields the operator left alone and keeps his
// typing; it asks nothing and stores nothing by itself. The next 登録 stores what he sees.
TEST_F(TwoOperators, PersonSavedElsewhereShowsUnderTheTyping) {
    TfrmUserEntry* form = EditPerson();
    Run("UPDATE M_個人情報 SET 電話='03-1111-2222', 氏名='山田太郎' WHERE 個人コード='0003'");
    Type(form->Ed_Addr1, "東京都");
    TMessageAnswers answers;
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList{RowChangedShown}) << "no question follows the refusal";
    EXPECT_EQ(Person(), QStringList{"山田太郎//03-1111-2222"});
    EXPECT_EQ(form->Ed_Addr1->text(), "東京都") << "the typing stays for another try";
    EXPECT_EQ(form->Ed_TEL->text(), "03-1111-2222");
    EXPECT_EQ(form->Ed_Name->text(), "山田太郎");
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->GetCurrentUserCode(), "0003");
    EXPECT_EQ(form->UserGrid->Cells(0, form->UserGrid->Row()), "0003");

    form->btnOK->click();
    EXPECT_EQ(answers.Texts.size(), 1);
    EXPECT_EQ(Person(), QStringList{"山田太郎/東京都/03-1111-2222"});
    EXPECT_EQ(form->lblNowState->text(), "新 規 追 加");
}

// Each 登録 on a person deleted elsewhere is one refusal that says so; the typing stays, nothing
// is asked (the list read again has another person in the row clicked), and the person is not
// stored again.
TEST_F(TwoOperators, PersonDeletedElsewhereIsNotStoredAgain) {
    TfrmUserEntry* form = EditPerson(2);
    Run("DELETE FROM M_個人情報 WHERE 個人コード='0002'");
    Type(form->Ed_Name, "山田一郎");
    TMessageAnswers answers;
    form->btnOK->click();
    form->btnOK->click();
    EXPECT_EQ(answers.Texts, QStringList(2, RowDeleted));
    EXPECT_TRUE(Person("0002").isEmpty());
    EXPECT_EQ(Person("0003"), QStringList{"山田//"});
    EXPECT_EQ(form->Ed_Name->text(), "山田一郎");
    EXPECT_EQ(form->GetCurrentUserCode(), "0002");
    EXPECT_EQ(form->pnlUserCount->text(), "2") << "the list is read again";
}

// 認証機登録 and 画像 open on the person the save stored, not on a code typed before it that
// another terminal took meanwhile.
TEST_F(TwoOperators, UnitsAndImageOpenOnTheStoredPerson) {
    AddUnit(1, "正面", true);
    TCopyDataServer comm(CommCaption, [](const TCopyData&) {});
    ASSERT_TRUE(comm.Start());
    TfrmUserEntry* form = EditPerson();
    for (bool image : {false, true}) {
        Type(form->Ed_Code, image ? "0008" : "0009");
        Type(form->Ed_Addr2, image ? "2F" : "1F");
        Run(QString("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('%1','他端末')")
                .arg(image ? "0008" : "0009"));
        QString opened;
        TMessageAnswers answers;
        if (!image) {
            WhenShown<TfrmEntranceUser>([&](TfrmEntranceUser* dialog) {
                opened = dialog->Ed_Code->text();
                dialog->btnCANCEL->click();
            });
            form->btnEntrance->click();
        } else {
            form->btnImage->click();
            ASSERT_TRUE(EntranceSession().frmUserEntranceGazo);
            opened = EntranceSession().frmUserEntranceGazo->pnlCode->text();
            EntranceSession().frmUserEntranceGazo->btnCancel->click();
        }
        EXPECT_EQ(opened, "0003") << (image ? "画像" : "認証機登録");
        EXPECT_EQ(Column("SELECT ifnull(住所②,'') FROM M_個人情報 WHERE 個人コード='0003'"),
                  QStringList{image ? "2F" : "1F"});
    }
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
