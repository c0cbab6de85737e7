#include "tests/e2e/PersonScreenFixture.h"

#include "entrance/common/EntranceSession.h"
#include "entrance/units/Form_EntranceItemSetup.h"

#include <QFile>

using namespace entrance;

namespace {

// A person removed from a unit must leave it whatever happens on the way: the unit away, the
// communication program stopped and started again, the request sent over the network.
class RemovalRoad : public PersonScreenFixture {
protected:
    void TearDown() override {
        EntranceSession().NetworkMode = false;
        PersonScreenFixture::TearDown();
    }
    // The person enrols at unit 1; the communication program reads the image and writes it to
    // unit 2, the person's other unit.
    void EnrolOnBothUnits(const QString& code) {
        Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('" + code + "','山田')");
        Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,登録不可) VALUES ('" + code +
            "',1,0,0,0), ('" + code + "',2,0,0,0)");
        Sim.Enrol(1, code);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return Sim.HasPerson(2, code) &&
                       Column("SELECT count(*) FROM M_使用認証機 WHERE 登録") == QStringList{"2"};
            },
            WaitMs));
    }
    // The program is stopped and started again with unit 2 silent: its scan misses the unit.
    void RestartWithoutUnit2() {
        ASSERT_NO_FATAL_FAILURE(StopComm());
        Sim.SetFault(2, TSimFault::Silence, -1);
        ASSERT_NO_FATAL_FAILURE(StartComm({1}));
    }
    // Stopped as a backup does, and started again with unit 2 answering: the scan finds it.
    void RestartWithUnit2() {
        ASSERT_NO_FATAL_FAILURE(StopComm());
        Sim.SetFault(2, TSimFault::None, 0);
        ASSERT_NO_FATAL_FAILURE(StartComm({1, 2}));
    }
    bool WaitUntilGone(int unit, const QString& code) {
        return QTest::qWaitFor([&] { return !Sim.HasPerson(unit, code); }, WaitMs);
    }
    void DeletePerson(const QString& code) {
        ChooseCode(code);
        Form->btnDel->click();
    }
    // Deletes unit 2 ("裏口") on the unit screen, as the operator does.
    void DeleteUnit2() {
        TfrmEntranceItemSetup screen;
        screen.show();
        screen.StringGridEx1->SetRow(2);
        ASSERT_EQ(screen.StringGridEx1->Cells(0, 2), "2");
        screen.btnDelete->click();
        EXPECT_EQ(Messages, QStringList{"裏口を削除しますか？"});
        EXPECT_EQ(Column("SELECT 認証機ID FROM entranceState", true), QStringList{"1"});
    }
};

TEST_F(RemovalRoad, APersonDeletedWhileAUnitIsAwayLeavesItWhenItIsFoundAfterARestart) {
    ASSERT_NO_FATAL_FAILURE(EnrolOnBothUnits("0001"));
    ASSERT_NO_FATAL_FAILURE(RestartWithoutUnit2());
    DeletePerson("0001");
    EXPECT_EQ(Messages.size(), 1) << "only the question";
    EXPECT_TRUE(Column("SELECT 個人コード FROM M_個人情報").isEmpty());
    ASSERT_TRUE(WaitUntilGone(1, "0001"));
    // The removal from unit 2 waits in its row, hidden from every list.
    ASSERT_TRUE(QTest::qWaitFor([&] { return UnitRows() == QStringList{"0001/2"}; }, WaitMs));
    EXPECT_TRUE(Sim.HasPerson(2, "0001"));

    ASSERT_NO_FATAL_FAILURE(RestartWithUnit2());
    ASSERT_TRUE(WaitUntilGone(2, "0001"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return UnitRows().isEmpty(); }, WaitMs));
    EXPECT_EQ(Messages.size(), 1);
}

// The management program of another PC sends the removal to port 11028 and deletes the person
// only once the communication program answered that it kept the removal.
TEST_F(RemovalRoad, OverTheNetworkTheRemovalIsKeptBeforeThePersonGoes) {
    ASSERT_NO_FATAL_FAILURE(EnrolOnBothUnits("0001"));
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "127.0.0.1";
    ASSERT_NO_FATAL_FAILURE(StopComm());
    DeletePerson("0001");
    ASSERT_EQ(Messages.size(), 2);
    EXPECT_TRUE(Messages[1].startsWith("認証既コミュニケーションと接続できませんでした。"));
    EXPECT_EQ(Column("SELECT 個人コード FROM M_個人情報"), QStringList{"0001"});
    EXPECT_EQ(Column("SELECT count(*) FROM M_使用認証機 WHERE 削除"), QStringList{"0"});

    Sim.SetFault(2, TSimFault::Silence, -1);
    ASSERT_NO_FATAL_FAILURE(StartComm({1}));
    Messages.clear();
    DeletePerson("0001");
    EXPECT_EQ(Messages.size(), 1) << Messages.join("\n").toStdString();
    EXPECT_TRUE(Column("SELECT 個人コード FROM M_個人情報").isEmpty());
    ASSERT_TRUE(WaitUntilGone(1, "0001"));
    EXPECT_TRUE(Sim.HasPerson(2, "0001"));

    ASSERT_NO_FATAL_FAILURE(RestartWithUnit2());
    ASSERT_TRUE(WaitUntilGone(2, "0001"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return UnitRows().isEmpty(); }, WaitMs));
}

// Unit 2 is unticked while the image write to it is on its way and its row still says
// unregistered: the unit answers after the untick, and still loses the person.
TEST_F(RemovalRoad, AUnitUntickedWhileItsImageIsOnItsWayLosesThePerson) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名,認証画像) VALUES ('0003','佐藤',x'" +
        TUnitSimulator::MakeImage("0003").toHex() + "')");
    Sim.SetReplyDelay(2, ImageWriteCommand, 800);
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,登録不可) VALUES "
        "('0003',2,0,0,0)");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const TSimFrame& frame : Sim.Frames())
                if (frame.Command == ImageWriteCommand && frame.Destination == 2)
                    return true;
            return false;
        },
        WaitMs));
    ChooseCode("0003");
    StoreUnits({"0", "0"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Sim.HasPerson(2, "0003"); }, WaitMs));
    ASSERT_TRUE(WaitUntilGone(2, "0003"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return UnitRows().isEmpty(); }, WaitMs));
    // Nothing sends the image again.
    QTest::qWait(3000);
    EXPECT_FALSE(Sim.HasPerson(2, "0003"));
}

// A unit deleted while it is away, with a person on it, is found again at the next start
// with the person removed.
TEST_F(RemovalRoad, AUnitDeletedWithPersonsOnItLosesThemWhenFoundAgain) {
    ASSERT_NO_FATAL_FAILURE(EnrolOnBothUnits("0001"));
    ASSERT_NO_FATAL_FAILURE(RestartWithoutUnit2());
    ASSERT_NO_FATAL_FAILURE(DeleteUnit2());
    // The person keeps unit 1; unit 2 is no unit of theirs any more.
    ChooseCode("0001");
    QTimer::singleShot(100, [this] {
        auto* dialog = qobject_cast<TfrmEntranceUser*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->EntGrid->Cols(2).mid(1), QStringList{"1"});
        dialog->btnCANCEL->click();
    });
    Form->btnEntrance->click();

    ASSERT_NO_FATAL_FAILURE(RestartWithUnit2());
    ASSERT_TRUE(WaitUntilGone(2, "0001"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return UnitRows() == QStringList{"0001/1"}; }, WaitMs));
    EXPECT_TRUE(Sim.HasPerson(1, "0001"));
}

// A unit with a thousand persons on it, deleted from another PC's management program while
// the unit is away: the deletion does not wait for the communication program, and its removal
// goes over in parts that fit. Once the unit is found again every person kept for removal
// leaves it, portion after portion. At the unit's pace a thousand removals take minutes, so the
// clearing is shown with the persons the unit still holds after it confirmed all but the
// first few portions' worth.
TEST_F(RemovalRoad, AUnitWithAThousandPersonsIsDeletedFromAnotherPC) {
    constexpr int Persons = 1000;
    constexpr int Left = 70;
    const auto code = [](int i) { return QString("%1").arg(i, 7, 10, QChar('0')); };
    QStringList rows;
    for (int i = 1; i <= Persons; ++i) {
        if (i <= Left)
            Sim.Hold(2, code(i));
        rows << "('" + code(i) + "',2,1,0,0)";
    }
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,登録不可) VALUES " +
        rows.join(','));
    ASSERT_NO_FATAL_FAILURE(RestartWithoutUnit2());
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "127.0.0.1";
    ASSERT_NO_FATAL_FAILURE(DeleteUnit2());
    EXPECT_EQ(Column("SELECT count(*) FROM M_使用認証機 WHERE 削除 AND 認証機ID=2"),
              QStringList{QString::number(Persons)});
    QFile errorLog(Temp.File("ErrorLog.Log"));
    EXPECT_FALSE(errorLog.open(QIODevice::ReadOnly) && errorLog.readAll().contains("長すぎる要求"))
        << "every part fits the removal port";

    Run("DELETE FROM M_使用認証機 WHERE 個人コード>'" + code(Left) + "'");
    ASSERT_NO_FATAL_FAILURE(RestartWithUnit2());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Sim.PersonCount(2) == 0; }, WaitMs))
        << Sim.PersonCount(2) << " persons left";
    EXPECT_TRUE(QTest::qWaitFor([&] { return UnitRows().isEmpty(); }, WaitMs));
}

} // namespace
