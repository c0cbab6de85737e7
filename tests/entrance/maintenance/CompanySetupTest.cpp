#include "base/DateTime.h"
#include "components/dbctrls/DBEdit.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/maintenance/Form_CompanySetup.h"
#include "tests/entrance/ScreenFixture.h"

#include <QPushButton>
#include <sqlite3.h>

using namespace entrance;

namespace {

struct CompanyScreen : ScreenFixture {
    CompanyScreen() {
        Clock::SetNow([] { return EncodeDate(2026, 12, 10) + 0.5; });
        WriteAppRegistry("CompanyName", "旧社名");
    }
    ~CompanyScreen() override {
        if (EntranceSession().frmCompanySetup)
            delete EntranceSession().frmCompanySetup.data();
        Clock::SetNow({});
    }
    TfrmCompanySetup* Open() {
        OpenMdiChild(EntranceSession().frmCompanySetup);
        return EntranceSession().frmCompanySetup;
    }
    QStringList Office() {
        return Column("SELECT 事業所コード || ':' || ifnull(事業所名, '') || ':' || 処理年度 || "
                      "':' || 処理月 || ':' || 勤怠締日 FROM M_事業所");
    }
    void Type(TDBEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
    }
    TMessageAnswers answers;
};

} // namespace

TEST_F(CompanyScreen, CreatesTheRowAndSavesNameAndRegistryTogether) {
    TfrmCompanySetup* form = Open();
    EXPECT_EQ(form->windowTitle(), "事業所の登録");
    EXPECT_EQ(Office(), QStringList{"1::2026:12:31"}) << "a missing office row is created";
    Type(form->DBEdit1, "山田商事");
    Type(form->DBEdit7, "03-1234-5678");
    form->grab().save(TestOutputFolder() + "/TfrmCompanySetup.png");
    form->btnOK->click();
    EXPECT_EQ(Office(), QStringList{"1:山田商事:2026:12:31"});
    EXPECT_EQ(Column("SELECT 電話 FROM M_事業所"), QStringList{"03-1234-5678"});
    EXPECT_EQ(ReadAppRegistry("CompanyName"), "山田商事");
}

TEST_F(CompanyScreen, ClosingWithoutSavingChangesNothing) {
    RunAll({"INSERT INTO M_事業所 (事業所コード, 事業所名, 処理年度, 処理月, 勤怠締日) VALUES (1, "
            "'旧社名', 2025, 4, 20)"},
           false);
    TfrmCompanySetup* form = Open();
    EXPECT_EQ(form->DBEdit1->text(), "旧社名");
    Type(form->DBEdit1, "新社名");
    form->btnClose->click();
    EXPECT_EQ(Office(), QStringList{"1:旧社名:2025:4:20"});
    EXPECT_EQ(ReadAppRegistry("CompanyName"), "旧社名");
}

// A post the database refuses leaves the registry with the name the table still holds.
TEST_F(CompanyScreen, AFailedSaveKeepsTheRegistry) {
    RunAll({"INSERT INTO M_事業所 (事業所コード, 事業所名) VALUES (1, '旧社名')"}, false);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Temp.File("VODURAVIRIVE.MDB").toUtf8(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE UPDATE ON M_事業所 BEGIN SELECT "
                           "RAISE(ABORT, 'locked'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    TfrmCompanySetup* form = Open();
    Type(form->DBEdit1, "新社名");
    EXPECT_ANY_THROW(form->btnOKClick());
    EXPECT_EQ(ReadAppRegistry("CompanyName"), "旧社名");
    EXPECT_EQ(Column("SELECT 事業所名 FROM M_事業所"), QStringList{"旧社名"});
    EXPECT_FALSE(form->Closing());
}
