#include "base/Text.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"
#include "entrance/persons/Form_UserEntranceGazo.h"
#include "entrance/persons/Form_UserEntry.h"
#include "entrance/persons/ImageReadWait.h"
#include "entrance/reports/persons/Form_PrintRiyosya.h"
#include "protocol/CommRequests.h"
#include "tests/common/TempFolder.h"
#include "tests/entrance/EntranceFixture.h"
#include "ui/CopyData.h"
#include "ui/TabSet.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace entrance;

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
        EntranceSession().NetworkMode = false;
        form = std::make_unique<TfrmUserEntry>();
        form->show();
        Activate();
    }
    // The screen active again, as after a message box, so that focus moves reach its fields.
    void Activate() {
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

// A new entry given a stored code turns into an edit of that person without a question; what
// was typed into the new entry is dropped, never stored over the person.
TEST_F(UserEntryScreen, AStoredCodeInANewEntrySwitchesToThatPerson) {
    Type(form->Ed_Name, "新人");
    Type(form->Ed_Code, "0002");
    Answering(QMessageBox::Ok, [&] { form->Ed_Name->setFocus(); });
    EXPECT_EQ(messages, QStringList{});
    EXPECT_EQ(form->lblNowState->text(), "編 集");
    EXPECT_EQ(form->GetCurrentUserCode(), "0002");
    EXPECT_EQ(form->Ed_Name->text(), "佐藤");
    EXPECT_FALSE(form->Modified());
    form->btnOK->click();
    EXPECT_EQ(Persons(), QStringList({"0001/山田", "0002/佐藤"}));
    Choose(2);
    // A person with an image keeps its code.
    Activate();
    Type(form->Ed_Code, "0009");
    messages.clear();
    Answering(QMessageBox::Ok, [&] { form->Ed_Name->setFocus(); });
    EXPECT_EQ(messages,
              QStringList{"既に認証画像が登録されているユーザの個人コードは、変更できません。"});
    EXPECT_EQ(form->Ed_Code->text(), "0002");
}

// With this PC's data the deletion goes ahead whether or not the communication program is
// there: the person's unit rows, marked, carry the removal to the units.
TEST_F(UserEntryScreen, DeletionMarksTheUnitRowsWithOrWithoutTheCommunicationProgram) {
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('0002',1,1,0)");
    Choose(1);
    Answering(QMessageBox::Ok, [&] { form->btnDel->click(); });
    EXPECT_EQ(messages.size(), 1) << "only the question";
    EXPECT_EQ(Persons(), QStringList{"0002/佐藤"});
    EXPECT_EQ(Column("SELECT 個人コード||'/'||削除 FROM M_使用認証機 ORDER BY 1"),
              QStringList({"0001/1", "0002/0"}));

    QByteArray request;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& d) { request = d.Payload; });
    ASSERT_TRUE(comm.Start());
    Choose(1);
    Answering(QMessageBox::Ok, [&] { form->btnDel->click(); });
    EXPECT_TRUE(Persons().isEmpty());
    // The unit rows wait, marked, for the unit to confirm the removal.
    EXPECT_EQ(Column("SELECT 個人コード||'/'||削除 FROM M_使用認証機 ORDER BY 1"),
              QStringList({"0001/1", "0002/1"}));
    QTRY_COMPARE(request, QByteArray("0002,1\r\n") + '\0');
    EXPECT_EQ(form->pnlUserCount->text(), "0");
}

// With another PC's data the person is deleted only once the removal was handed over.
TEST_F(UserEntryScreen, DeletionOverTheNetworkWaitsForTheRemovalRequest) {
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "localhost";
    Choose(1);
    Answering(QMessageBox::Ok, [&] { form->btnDel->click(); });
    EntranceSession().NetworkMode = false;
    EntranceSession().RemotePCName.clear();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith("認証既コミュニケーションと接続できませんでした。"));
    EXPECT_EQ(Persons().size(), 2);
    EXPECT_EQ(Column("SELECT 個人コード||'/'||削除 FROM M_使用認証機"), QStringList{"0001/0"});
}

// Cancel in the question throws the typing away: the fields show what is stored, so a later
// 登録 stores nothing of it.
TEST_F(UserEntryScreen, CancelInTheSaveQuestionShowsWhatIsStored) {
    Choose(1);
    Type(form->Ed_Name, "山田太郎");
    Answering(QMessageBox::Cancel, [&] { form->btnPrint->click(); });
    EXPECT_EQ(messages, QStringList{"変更があります。登録しますか？"});
    ASSERT_TRUE(EntranceSession().frmPrintRiyosya);
    EntranceSession().frmPrintRiyosya->btnCLOSE->click();
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->Ed_Name->text(), "山田");
    EXPECT_EQ(form->GetCurrentUserCode(), "0001");
    form->btnOK->click();
    EXPECT_EQ(Persons(), QStringList({"0001/山田", "0002/佐藤"}));
}

// The sex tabs show the record's page, none for a person without one; Enter in the list edits
// the chosen person; the list opens with its first column in sight.
TEST_F(UserEntryScreen, SexTabsFollowTheRecordAndEnterEditsTheListedPerson) {
    EXPECT_EQ(form->PageControl1->CurrentIndex(), -1) << "a new entry";
    EXPECT_EQ(form->cmbUserCategory->currentIndex(), -1) << "a new entry";
    {
        // As the menu opens it: its MDI frame takes the screen's least size.
        QMdiArea area;
        area.resize(1200, 800);
        area.show();
        SetMainArea(&area);
        TfrmUserEntry* screen = OpenMdiChild(EntranceSession().frmUserEntry);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->UserGrid->LeftCol(), 0);
        EXPECT_EQ(screen->UserGrid->horizontalScrollBar()->maximum(), 0);
        screen->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMainArea(nullptr);
    }
    Run("UPDATE M_個人情報 SET 性別=1 WHERE 個人コード='0002'");
    Choose(2);
    EXPECT_EQ(form->PageControl1->CurrentIndex(), 1);
    Choose(1);
    EXPECT_EQ(form->PageControl1->CurrentIndex(), -1);
    form->PageControl1->Tab(0)->click();
    EXPECT_EQ(form->Ed_Sex->text(), "0");
    EXPECT_TRUE(form->Modified());
    Type(form->Ed_Sex, "x");
    EXPECT_EQ(form->PageControl1->CurrentIndex(), -1);
    form->btnOK->click();
    EXPECT_EQ(Column("SELECT coalesce(性別,'NULL') FROM M_個人情報 ORDER BY 個人コード"),
              QStringList({"NULL", "1"}));

    form->UserGrid->setFocus();
    form->UserGrid->SetRow(2);
    QTest::keyClick(form->UserGrid, Qt::Key_Return);
    EXPECT_EQ(form->GetCurrentUserCode(), "0002");
    EXPECT_EQ(form->Ed_Name->text(), "佐藤");
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
    ASSERT_FALSE(EntranceSession().frmPrintRiyosya.isNull());
    EXPECT_TRUE(EntranceSession().frmPrintRiyosya->isVisible());
    EXPECT_EQ(EntranceSession().frmPrintRiyosya->cmbItem->currentText(), "0002:佐藤");
    EXPECT_EQ(EntranceSession().frmPrintRiyosya->cmbGroup->currentText(), " 2:営業");
    EXPECT_FALSE(form->isEnabled());
    EntranceSession().frmPrintRiyosya->btnCLOSE->click();
    EXPECT_TRUE(form->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(EntranceSession().frmPrintRiyosya.isNull());

    Run("DELETE FROM M_個人情報");
    Answering(QMessageBox::Ok, [&] { form->btnPrint->click(); });
    EXPECT_EQ(messages, QStringList{"個人情報が登録されていません。"});
    EXPECT_TRUE(EntranceSession().frmPrintRiyosya.isNull());
}

// The screen waits on the image dialog: a close from its title bar is refused until the dialog
// ends, and the dialog's end finds the screen still there.
TEST_F(UserEntryScreen, ClosingFromTheTitleBarWaitsForTheImageDialog) {
    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    SetMainArea(&area);
    TCopyDataServer comm(CommCaption, [](const TCopyData&) {});
    ASSERT_TRUE(comm.Start());
    TfrmUserEntry* screen = OpenMdiChild(EntranceSession().frmUserEntry);
    ASSERT_TRUE(screen);
    screen->UserGrid->SetRow(1);
    screen->btnEditClick();
    screen->btnImage->click();
    ASSERT_TRUE(EntranceSession().frmUserEntranceGazo);
    EXPECT_FALSE(screen->isEnabled());
    auto* frame = qobject_cast<QMdiSubWindow*>(screen->parentWidget());
    ASSERT_TRUE(frame);
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(EntranceSession().frmUserEntry);
    EXPECT_TRUE(EntranceSession().frmUserEntry->isVisible());

    EntranceSession().frmUserEntranceGazo->btnCancel->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(EntranceSession().frmUserEntranceGazo.isNull());
    ASSERT_TRUE(EntranceSession().frmUserEntry);
    EXPECT_TRUE(screen->isEnabled());
    EXPECT_EQ(screen->GetCurrentUserCode(), "0001");
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(EntranceSession().frmUserEntry.isNull());
    SetMainArea(nullptr);
}

TEST_F(UserEntryScreen, ImageReadWaitsForTheAnswerOfItsOwnRead) {
    Choose(1);
    // Without the communication program the dialog does not open.
    Answering(QMessageBox::Ok, [&] { form->btnImage->click(); });
    EXPECT_EQ(messages, QStringList{"認証機コミュニケーションが見つかりませんでした。"});
    EXPECT_TRUE(form->isEnabled());
    QTRY_VERIFY(!EntranceSession().frmUserEntranceGazo);

    QByteArray request;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& d) {
        if (d.Code == CD_READ_IMAGE)
            request = d.Payload;
    });
    ASSERT_TRUE(comm.Start());
    messages.clear();
    form->btnImage->click();
    ASSERT_TRUE(EntranceSession().frmUserEntranceGazo);
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(EntranceSession().frmUserEntranceGazo->cmbEntrance->currentText(), " 1:正面");
    EntranceSession().frmUserEntranceGazo->grab().save(TestOutputFolder() +
                                                       "/TfrmUserEntranceGazo.png");
    EntranceSession().frmUserEntranceGazo->btnOK->click();
    QTRY_COMPARE(request, QByteArray("0001,1\r\n") + '\0');
    TImageReadWait* wait = TImageReadWait::Current();
    ASSERT_NE(wait, nullptr);
    // A second read while this one waits is refused; this one waits on.
    EXPECT_THROW(TImageReadWait second, Exception);
    EXPECT_EQ(TImageReadWait::Current(), wait);
    wait->TakeAnswer("0002,1");
    wait->TakeAnswer(",2");
    EXPECT_EQ(EntranceSession().frmUserEntranceGazo->ReadResult(), 0);
    // The simulated read stores the image as the communication program would.
    Run("UPDATE M_個人情報 SET 認証画像=randomblob(900) WHERE 個人コード='0001'");
    wait->TakeAnswer("0001,1");
    Answering(QMessageBox::Ok,
              [&] { QTRY_VERIFY_WITH_TIMEOUT(!EntranceSession().frmUserEntranceGazo, 5000); });
    EXPECT_EQ(messages, QStringList{"画像を読み込みました。"});
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(form->ImageReadOk);
    EXPECT_EQ(form->btnImage->text(), "画像登録済み");
    EXPECT_EQ(form->GetCurrentUserCode(), "0001");
}

// Over the network the deletion's request shows the wait window while it waits for the
// other PC.
TEST_F(UserEntryScreen, DeletionOverTheNetworkShowsTheWaitWindow) {
    QTcpServer removals;
    ASSERT_TRUE(removals.listen(QHostAddress::AnyIPv4, TcpPort(PORT_GAZODELETE)));
    QString shown;
    QByteArray request;
    QObject::connect(&removals, &QTcpServer::newConnection, [&] {
        shown = EntranceSession().frmMessage ? EntranceSession().frmMessage->Ed_Message->text()
                                             : QString();
        QTcpSocket* peer = removals.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&, peer] {
            request += peer->readAll();
            peer->write("DELETE");
        });
    });
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "localhost";
    Choose(1);
    Answering(QMessageBox::Ok, [&] { form->btnDel->click(); });
    EXPECT_EQ(shown, "ネットワーク接続を確認しています。");
    QTRY_COMPARE(request, QByteArray("0001,1\r\n"));
    EXPECT_EQ(Persons(), QStringList{"0002/佐藤"});
    EXPECT_EQ(EntranceSession().frmMessage, nullptr);
    EntranceSession().NetworkMode = false;
    EntranceSession().RemotePCName.clear();
}

// Over the network the answer has no framing and may come in pieces: they are read together.
TEST_F(UserEntryScreen, ImageAnswerInPiecesOverTheNetwork) {
    QTcpServer link, images;
    ASSERT_TRUE(link.listen(QHostAddress::AnyIPv4, TcpPort(PORT_START)));
    ASSERT_TRUE(images.listen(QHostAddress::AnyIPv4, TcpPort(PORT_GAZOSET)));
    QObject::connect(&images, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = images.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [this, peer] {
            peer->readAll();
            Run("UPDATE M_個人情報 SET 認証画像=randomblob(900) WHERE 個人コード='0001'");
            peer->write("0001,");
            peer->flush();
            QTimer::singleShot(100, peer, [peer] {
                peer->write("1");
                peer->flush();
            });
        });
    });
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "localhost";
    Choose(1);
    form->btnImage->click();
    QTRY_VERIFY(EntranceSession().frmUserEntranceGazo &&
                EntranceSession().frmUserEntranceGazo->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EntranceSession().frmUserEntranceGazo->btnOK->click();
    QTRY_COMPARE_WITH_TIMEOUT(EntranceSession().frmUserEntranceGazo->ReadResult(), 1, 10000);
    Answering(QMessageBox::Ok,
              [&] { QTRY_VERIFY_WITH_TIMEOUT(!EntranceSession().frmUserEntranceGazo, 5000); });
    EXPECT_EQ(messages, QStringList{"画像を読み込みました。"});
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(form->btnImage->text(), "画像登録済み");
    EntranceSession().NetworkMode = false;
    EntranceSession().RemotePCName.clear();
}

} // namespace
