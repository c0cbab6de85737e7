#include "EntranceFixture.h"
#include "base/Text.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/CommRequests.h"
#include "entrance/Form_UserEntranceGazo.h"
#include "entrance/Form_UserEntry.h"
#include "entrance/ImageReadWait.h"
#include "entrance/reports/Form_PrintRiyosya.h"
#include "tests/common/TempFolder.h"
#include "ui/CopyData.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// The person screen on a data folder with two departments, one unit and two persons, 0001
// registered on unit 1 and 0002 with an image.
struct UserEntryScreen : EntranceFixture {
    std::unique_ptr<TfrmUserEntry> form;
    QStringList messages;

    UserEntryScreen() {
        Run("INSERT INTO entranceState (認証機ID,認証機名,作動状況) VALUES (1,'正面',1)", true);
        Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務'), (2,'営業')");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード,生年月日,認証画像,"
            "ユーザーレベル) VALUES ('0001','山田','ﾔﾏﾀﾞ',1,27892,NULL,1), "
            "('0002','佐藤','ｻﾄｳ',2,NULL,randomblob(900),2)");
        Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('0001',1,1,0)");
        NetworkMode = false;
        form = std::make_unique<TfrmUserEntry>();
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Answers every message box of `act` with `button`, keeping their texts.
    void Answering(QMessageBox::StandardButton button, const std::function<void()>& act) {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                messages << box->text();
                box->button(box->button(button) ? button : QMessageBox::Ok)->click();
            }
        });
        timer.start(10);
        act();
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        // As an input method commits it: one key event carrying the whole text.
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(edit, &key);
    }
    QStringList Persons() {
        return Column("SELECT 個人コード||'/'||氏名 FROM M_個人情報 ORDER BY 1");
    }
    void Choose(int row) {
        form->UserGrid->SetRow(row);
        form->btnEditClick();
    }
};

TEST_F(UserEntryScreen, OpensOnANewPersonWithTheList) {
    EXPECT_EQ(form->lblNowState->text(), "新 規 追 加");
    EXPECT_EQ(form->pnlUserCount->text(), "2");
    EXPECT_EQ(form->UserGrid->Rows(1), QStringList({"0001", "山田", "総務", "管理者"}));
    EXPECT_EQ(form->UserGrid->Rows(2), QStringList({"0002", "佐藤", "営業", "監督者"}));
    EXPECT_FALSE(form->Modified());
    Choose(1);
    EXPECT_EQ(form->lblNowState->text(), "編 集");
    EXPECT_EQ(form->Ed_birth->text(), "S51/5/12");
    EXPECT_EQ(form->btnImage->text(), "画像未登録");
    EXPECT_EQ(form->GetCurrentUserCode(), "0001");
    form->grab().save(TestOutputFolder() + "/TfrmUserEntry.png");
    Choose(2);
    EXPECT_EQ(form->btnImage->text(), "画像登録済み");
    EXPECT_FALSE(form->Modified());
}

TEST_F(UserEntryScreen, NewPersonIsStoredAndABadDateKeepsTheTyping) {
    Type(form->Ed_Code, "0003");
    Type(form->Ed_Name, "鈴木");
    Type(form->Ed_birth, "H1/1/8");
    Type(form->DEd_ValidEnd, "2030/13/45");
    EXPECT_TRUE(form->Modified());
    Answering(QMessageBox::Ok, [&] { form->btnOK->click(); });
    EXPECT_TRUE(messages.contains("日付を入力して下さい。"));
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->Ed_Name->text(), "鈴木");
    EXPECT_EQ(Persons().size(), 2);

    Type(form->DEd_ValidEnd, "2030/12/31");
    form->btnOK->click();
    EXPECT_EQ(Persons(), QStringList({"0001/山田", "0002/佐藤", "0003/鈴木"}));
    EXPECT_EQ(Column("SELECT 生年月日 FROM M_個人情報 WHERE 個人コード='0003'"),
              QStringList{"32516"});
    EXPECT_EQ(form->pnlUserCount->text(), "3");
    EXPECT_EQ(form->lblNowState->text(), "新 規 追 加");
    EXPECT_FALSE(form->Modified());
}

TEST_F(UserEntryScreen, TypingAnExistingCodeSwitchesToThatPerson) {
    Type(form->Ed_Code, "0002");
    form->Ed_Name->setFocus();
    EXPECT_EQ(form->GetCurrentUserCode(), "0002");
    EXPECT_EQ(form->Ed_Name->text(), "佐藤");
    // A person with an image keeps its code.
    Type(form->Ed_Code, "0009");
    Answering(QMessageBox::Ok, [&] { form->Ed_Name->setFocus(); });
    EXPECT_EQ(messages,
              QStringList{"既に認証画像が登録されているユーザの個人コードは、変更できません。"});
    EXPECT_EQ(form->Ed_Code->text(), "0002");
}

TEST_F(UserEntryScreen, DeletionWaitsForTheRemovalRequest) {
    Choose(1);
    Answering(QMessageBox::Ok, [&] { form->btnDel->click(); });
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith("認証既コミュニケーションと接続できませんでした。"));
    EXPECT_EQ(Persons().size(), 2);

    QByteArray request;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& d) { request = d.Payload; });
    ASSERT_TRUE(comm.Start());
    Choose(1);
    Answering(QMessageBox::Ok, [&] { form->btnDel->click(); });
    EXPECT_EQ(Persons(), QStringList{"0002/佐藤"});
    EXPECT_EQ(Column("SELECT count(*) FROM M_使用認証機"), QStringList{"0"});
    QTRY_COMPARE(request, QByteArray("0001,1\r\n") + '\0');
    EXPECT_EQ(form->pnlUserCount->text(), "1");
}

TEST_F(UserEntryScreen, CloseAsksBeforeThrowingChangesAway) {
    Choose(1);
    Type(form->Ed_Name, "山田太郎");
    Answering(QMessageBox::Ok, [&] { form->btnCLOSE->click(); });
    EXPECT_EQ(messages, QStringList{"変更があります。登録しますか？"});
    EXPECT_EQ(Persons(), QStringList({"0001/山田太郎", "0002/佐藤"}));
}

// The print dialog opens on the person on screen and keeps the screen disabled while it is
// open; without persons there is nothing to print.
TEST_F(UserEntryScreen, PrintButtonOpensThePersonPrintDialog) {
    Choose(2);
    form->btnPrint->click();
    ASSERT_FALSE(frmPrintRiyosya.isNull());
    EXPECT_TRUE(frmPrintRiyosya->isVisible());
    EXPECT_EQ(frmPrintRiyosya->cmbItem->currentText(), "0002:佐藤");
    EXPECT_EQ(frmPrintRiyosya->cmbGroup->currentText(), " 2:営業");
    EXPECT_FALSE(form->isEnabled());
    frmPrintRiyosya->btnCLOSE->click();
    EXPECT_TRUE(form->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frmPrintRiyosya.isNull());

    Run("DELETE FROM M_個人情報");
    Answering(QMessageBox::Ok, [&] { form->btnPrint->click(); });
    EXPECT_EQ(messages, QStringList{"個人情報が登録されていません。"});
    EXPECT_TRUE(frmPrintRiyosya.isNull());
}

TEST_F(UserEntryScreen, ImageReadWaitsForTheAnswerOfItsOwnRead) {
    Choose(1);
    // Without the communication program the dialog does not open.
    Answering(QMessageBox::Ok, [&] { form->btnImage->click(); });
    EXPECT_EQ(messages, QStringList{"認証機コミュニケーションが見つかりませんでした。"});
    EXPECT_TRUE(form->isEnabled());
    QTRY_VERIFY(!frmUserEntranceGazo);

    QByteArray request;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& d) {
        if (d.Code == CD_READ_IMAGE)
            request = d.Payload;
    });
    ASSERT_TRUE(comm.Start());
    messages.clear();
    form->btnImage->click();
    ASSERT_TRUE(frmUserEntranceGazo);
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(frmUserEntranceGazo->cmbEntrance->currentText(), " 1:正面");
    frmUserEntranceGazo->grab().save(TestOutputFolder() + "/TfrmUserEntranceGazo.png");
    frmUserEntranceGazo->btnOK->click();
    QTRY_COMPARE(request, QByteArray("0001,1\r\n") + '\0');
    TImageReadWait* wait = TImageReadWait::Current();
    ASSERT_NE(wait, nullptr);
    wait->TakeAnswer("0002,1");
    wait->TakeAnswer(",2");
    EXPECT_EQ(frmUserEntranceGazo->ReadResult(), 0);
    // The simulated read stores the image as the communication program would.
    Run("UPDATE M_個人情報 SET 認証画像=randomblob(900) WHERE 個人コード='0001'");
    wait->TakeAnswer("0001,1");
    Answering(QMessageBox::Ok, [&] { QTRY_VERIFY_WITH_TIMEOUT(!frmUserEntranceGazo, 5000); });
    EXPECT_EQ(messages, QStringList{"画像を読み込みました。"});
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(form->ImageReadOk);
    EXPECT_EQ(form->btnImage->text(), "画像登録済み");
    EXPECT_EQ(form->GetCurrentUserCode(), "0001");
}

} // namespace
