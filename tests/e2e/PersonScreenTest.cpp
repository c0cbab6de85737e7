#include "tests/e2e/PersonScreenFixture.h"

#include "entrance/common/EntranceSession.h"
#include "entrance/persons/Form_UserEntranceGazo.h"

using namespace entrance;

namespace {

using PersonScreenTest = PersonScreenFixture;

TEST_F(PersonScreenTest, PersonReachesTheUnitsAndLeavesThem) {
    Sim.Enrol(1, "0001", TUnitSimulator::MakeImage("0001"));
    Form->Ed_Code->setText("0001");
    Form->Ed_Name->setText("山田");
    Form->btnOK->click();
    ChooseCode("0001");

    // The image read from unit 1 stores the image.
    Form->btnImage->click();
    ASSERT_TRUE(EntranceSession().frmUserEntranceGazo);
    EntranceSession().frmUserEntranceGazo->btnOK->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return !EntranceSession().frmUserEntranceGazo; }, WaitMs));
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Sim.HasPerson(2, "0001"); }, WaitMs));
    EXPECT_TRUE(Sim.HasPerson(1, "0001"));
    // The row stays until the unit confirmed the removal.
    ASSERT_TRUE(QTest::qWaitFor([&] { return UnitRows() == QStringList{"0001/1"}; }, WaitMs));

    // Deleting the person removes it from unit 1 and clears its rows.
    ChooseCode("0001");
    Messages.clear();
    Form->btnDel->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Sim.HasPerson(1, "0001"); }, WaitMs));
    EXPECT_EQ(Messages.size(), 1);
    EXPECT_EQ(Column("SELECT count(*) FROM M_個人情報"), QStringList{"0"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return UnitRows().isEmpty(); }, WaitMs));
}

// With this PC's data a person is deleted while the communication program is not running: the
// unit rows, marked, take the removal to the unit once the program runs again.
TEST_F(PersonScreenTest, WithoutTheCommunicationProgramTheMarksCarryTheRemoval) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('0002','佐藤')");
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('0002',1,1,0)");
    Sim.Hold(1, "0002");
    StopComm();
    Form->RadioAllClick();
    ChooseCode("0002");
    Messages.clear();
    Form->btnDel->click();
    EXPECT_EQ(Messages.size(), 1) << "only the question";
    EXPECT_TRUE(Column("SELECT 個人コード FROM M_個人情報").isEmpty());
    EXPECT_EQ(Column("SELECT 個人コード||'/'||削除 FROM M_使用認証機"), QStringList{"0002/1"});
    EXPECT_TRUE(Sim.HasPerson(1, "0002"));

    ASSERT_NO_FATAL_FAILURE(StartComm({1, 2}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Sim.HasPerson(1, "0002"); }, WaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return UnitRows().isEmpty(); }, WaitMs));
}

} // namespace
