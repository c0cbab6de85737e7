#include "tests/entrance/EntranceFixture.h"

#include "base/Registry.h"
#include "base/Text.h"
#include "components/grids/MOStringGrid.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/CommRequests.h"
#include "entrance/Form_EntranceUser.h"
#include "entrance/Form_UserEntranceGazo.h"
#include "entrance/Form_UserEntry.h"
#include "entrance/ImageReadWait.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

constexpr int WaitMs = 30000;

// The person screen of this process on a data folder that the communication program serves,
// with two simulated units on COM1. A local socket under the management program's caption
// stands in for the main window and hands image answers to the image dialog.
class PersonScreenTest : public EntranceFixture {
protected:
    TempFolder Runtime;
    TUnitSimulator Sim{2};
    QProcess Comm;
    std::unique_ptr<TCopyDataServer> MainWindow;
    std::unique_ptr<TfrmUserEntry> Form;
    QStringList Messages;
    QTimer Answerer;

    void SetUp() override {
        qputenv("XDG_RUNTIME_DIR", Runtime.Path().toLocal8Bit());
        // This PC's own data: requests go by local socket.
        NetworkMode = false;
        qputenv("ZEZODUZU_REGISTRY", Runtime.File("registry.ini").toLocal8Bit());
        ASSERT_TRUE(Sim.OpenPty());
        Sim.Start();
        SetRegistry(PortsRegistryKey, "COM1", Sim.SlavePath());
        SetRegistry(AppRegistryKey, "Comm", "1");
        // Stopped at first: the wait below then sees the communication program's own marks,
        // which come after it has set every unit stopped at its start.
        Run("INSERT INTO entranceState (認証機ID,認証機名,作動状況) VALUES (1,'正面',0), "
            "(2,'裏口',0)",
            true);
        const QString built = qEnvironmentVariable("ZZ_BUILD_DIR") + "/reruzida/Reruzida";
        ASSERT_TRUE(QFile::copy(built, Temp.File("Reruzida")));
        Comm.setWorkingDirectory(Temp.Path());
        Comm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Comm.start(Temp.File("Reruzida"), {});
        ASSERT_TRUE(Comm.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([] { return FindWindowByCaption(CommCaption); }, WaitMs));
        // The communication program marks the units it finds as in operation.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return Column("SELECT count(*) FROM entranceState WHERE 作動状況", true) ==
                       QStringList{"2"};
            },
            WaitMs));
        AnswerMessages();
        MainWindow = std::make_unique<TCopyDataServer>(EntranceCaption, [](const TCopyData& d) {
            TImageReadWait* wait = TImageReadWait::Current();
            if (wait && d.Code == CD_READ_IMAGE_REPLY)
                wait->TakeAnswer(FromCP932(d.Payload.left(d.Payload.indexOf('\0'))));
        });
        ASSERT_TRUE(MainWindow->Start());
        Form = std::make_unique<TfrmUserEntry>();
        Form->show();
        QApplication::setActiveWindow(Form.get());
    }
    void TearDown() override {
        Form.reset();
        StopComm();
        Sim.Stop();
    }
    void StopComm() {
        if (Comm.state() != QProcess::NotRunning) {
            Comm.kill();
            Comm.waitForFinished(5000);
        }
    }
    static void SetRegistry(const QString& key, const QString& name, const QString& value) {
        TRegistry reg;
        reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
        reg.OpenKey(key, true);
        reg.WriteString(name, value);
    }
    // Every message box is answered with OK, its text kept.
    void AnswerMessages() {
        QObject::connect(&Answerer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Messages << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        Answerer.start(20);
    }
    void ChooseCode(const QString& code) {
        for (int r = 1; r < Form->UserGrid->RowCount(); ++r)
            if (Form->UserGrid->Cells(0, r) == code)
                Form->UserGrid->SetRow(r);
        Form->btnEditClick();
        ASSERT_EQ(Form->GetCurrentUserCode(), code);
    }
    // Runs the units dialog of the person on screen with these ticks.
    void StoreUnits(const QStringList& ticks) {
        QTimer::singleShot(100, [ticks] {
            auto* dialog = qobject_cast<TfrmEntranceUser*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (int r = 0; r < ticks.size(); ++r)
                dialog->EntGrid->SetCells(2, r + 1, ticks[r]);
            dialog->btnOK->click();
        });
        Form->btnEntrance->click();
    }
    QStringList UnitRows() {
        return Column("SELECT 個人コード||'/'||認証機ID FROM M_使用認証機 ORDER BY 1");
    }
};

TEST_F(PersonScreenTest, PersonReachesTheUnitsAndLeavesThem) {
    Sim.Enrol(1, "0001", TUnitSimulator::MakeImage("0001"));
    Form->Ed_Code->setText("0001");
    Form->Ed_Name->setText("山田");
    Form->btnOK->click();
    ChooseCode("0001");

    // The image read from unit 1 stores the image.
    Form->btnImage->click();
    ASSERT_TRUE(frmUserEntranceGazo);
    frmUserEntranceGazo->btnOK->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return !frmUserEntranceGazo; }, WaitMs));
    EXPECT_EQ(Messages, QStringList{"画像を読み込みました。"});
    EXPECT_EQ(Form->btnImage->text(), "画像登録済み");
    EXPECT_EQ(Column("SELECT length(認証画像) FROM M_個人情報"), QStringList{"900"});

    // Both units ticked: the registration job sends the image to unit 2.
    StoreUnits({"1", "1"});
    EXPECT_EQ(UnitRows(), QStringList({"0001/1", "0001/2"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Sim.HasPerson(2, "0001"); }, WaitMs));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return Column("SELECT count(*) FROM M_使用認証機 WHERE 登録=1") == QStringList{"2"};
        },
        WaitMs));

    // Unit 2 unticked: the unit drops the person.
    ChooseCode("0001");
    StoreUnits({"1", "0"});
    EXPECT_EQ(UnitRows(), QStringList{"0001/1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Sim.HasPerson(2, "0001"); }, WaitMs));
    EXPECT_TRUE(Sim.HasPerson(1, "0001"));

    // Deleting the person removes it from unit 1 and clears its rows.
    ChooseCode("0001");
    Messages.clear();
    Form->btnDel->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Sim.HasPerson(1, "0001"); }, WaitMs));
    EXPECT_EQ(Messages.size(), 1);
    EXPECT_EQ(Column("SELECT count(*) FROM M_個人情報"), QStringList{"0"});
    EXPECT_EQ(UnitRows(), QStringList{});
}

TEST_F(PersonScreenTest, WithoutTheCommunicationProgramNothingIsDeleted) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('0002','佐藤')");
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('0002',1,1,0)");
    StopComm();
    Form->RadioAllClick();
    ChooseCode("0002");
    Form->btnDel->click();
    EXPECT_TRUE(Messages.value(1).startsWith("認証既コミュニケーションと接続できませんでした。"));
    EXPECT_EQ(Column("SELECT 個人コード FROM M_個人情報"), QStringList{"0002"});
    EXPECT_EQ(UnitRows(), QStringList{"0002/1"});
}

} // namespace
