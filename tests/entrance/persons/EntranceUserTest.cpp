#include "base/Text.h"
#include "components/grids/MOStringGrid.h"
#include "entrance/data/UserRules.h"
#include "entrance/persons/Form_EntranceUser.h"
#include "protocol/CommRequests.h"
#include "tests/common/TempFolder.h"
#include "tests/entrance/EntranceFixture.h"
#include "ui/CopyData.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace entrance;

namespace {

// Three units; person P1 registered on unit 2, waiting for its image on unit 3.
struct EntranceUserDialog : EntranceFixture {
    EntranceUserDialog() {
        Run("INSERT INTO entranceState (認証機ID,認証機名,作動状況) VALUES (1,'正面',1), "
            "(2,'裏口',1), (3,'倉庫',0)",
            true);
        Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('P1',2,1,0), "
            "('P1',3,0,0), ('P2',2,1,0)");
    }
    // Runs the dialog for P1: `act` ticks and presses, then the dialog's answer.
    int Edit(const std::function<void(TfrmEntranceUser*)>& act) {
        auto* form = new TfrmEntranceUser(nullptr);
        QTimer::singleShot(0, [form, act] { act(form); });
        return form->EditUnitsForUser("P1", "山田");
    }
    // The rows, those waiting for their removal marked with "-".
    QStringList Rows() {
        return Column("SELECT 個人コード||'/'||認証機ID||iif(削除,'-','') FROM M_使用認証機 "
                      "ORDER BY 1");
    }
};

// Answers the next message box with OK, once it shows, and keeps its text.
void AnswerMessage(QString& text) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, &text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->button(QMessageBox::Ok)->click();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

TEST_F(EntranceUserDialog, TicksShowTheRowsAndStoringAddsWithoutRequest) {
    const int result = Edit([&](TfrmEntranceUser* form) {
        EXPECT_EQ(form->Ticks().size(), 3);
        EXPECT_EQ(form->EntGrid->Cols(2).mid(1), QStringList({"0", "1", "1"}));
        form->grab().save(TestOutputFolder() + "/TfrmEntranceUser.png");
        form->EntGrid->SetRow(1);
        QTest::keyClick(form->EntGrid, Qt::Key_Space);
        form->EntGrid->SetRow(3);
        QTest::keyClick(form->EntGrid, Qt::Key_Return);
        EXPECT_EQ(form->EntGrid->Cells(2, 3), "0");
        QTest::keyClick(form->EntGrid, Qt::Key_Return);
        form->btnOK->click();
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(Rows(), QStringList({"P1/1", "P1/2", "P1/3", "P2/2"}));
}

// A unit may hold the person whatever its row says of the registration: every unticked
// unit is asked, and its row is marked, to be kept until the unit confirms the removal. With
// another PC's data the rows are marked only once the request was handed over.
TEST_F(EntranceUserDialog, UntickedUnitsAreMarkedOnlyOnceTheirRemovalIsHandedOver) {
    // Nothing answers on the other PC: the rows stay as they were and the dialog stays open.
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "localhost";
    QString message;
    const int refused = Edit([&](TfrmEntranceUser* form) {
        form->btnAllNONE->click();
        AnswerMessage(message);
        form->btnOK->click();
        form->btnCANCEL->click();
    });
    EntranceSession().NetworkMode = false;
    EntranceSession().RemotePCName.clear();
    EXPECT_EQ(refused, mrCancel);
    EXPECT_TRUE(message.startsWith("認証機コミュニケーションと接続できませんでした。"));
    EXPECT_EQ(Rows(), QStringList({"P1/2", "P1/3", "P2/2"}));

    QByteArray request;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& d) {
        if (d.Code == CD_DELETE_USERS)
            request = d.Payload;
    });
    ASSERT_TRUE(comm.Start());
    const int stored = Edit([&](TfrmEntranceUser* form) {
        form->btnAllNONE->click();
        form->btnOK->click();
    });
    EXPECT_EQ(stored, mrOk);
    EXPECT_EQ(Rows(), QStringList({"P1/2-", "P1/3-", "P2/2"}));
    QTRY_COMPARE(request, ToCP932("P1,2\r\nP1,3\r\n") + '\0');

    // The marked rows show no ticks; ticking unit 2 again gives it a row of its own.
    const int again = Edit([&](TfrmEntranceUser* form) {
        EXPECT_EQ(form->EntGrid->Cols(2).mid(1), QStringList({"0", "0", "0"}));
        form->EntGrid->SetCells(2, 2, "1");
        form->btnOK->click();
    });
    EXPECT_EQ(again, mrOk);
    EXPECT_EQ(Rows(), QStringList({"P1/2", "P1/2-", "P1/3-", "P2/2"}));
}

// With this PC's data and no communication program the units are unticked all the same: the
// marked rows carry the removal to the units once the program runs.
TEST_F(EntranceUserDialog, UntickingWithoutTheCommunicationProgramMarksTheRows) {
    QString message;
    const int stored = Edit([&](TfrmEntranceUser* form) {
        form->EntGrid->SetCells(2, 2, "0");
        AnswerMessage(message);
        form->btnOK->click();
        if (!form->Closing())
            form->btnCANCEL->click();
    });
    EXPECT_EQ(message, "");
    EXPECT_EQ(stored, mrOk);
    EXPECT_EQ(Rows(), QStringList({"P1/2-", "P1/3", "P2/2"}));
}

} // namespace
