#include "tools/newdata/NewData.h"

#include "storage/Connection.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QStringList ColumnNames(SqlConnection& c, const QString& table) {
    QStringList names;
    for (const ColumnInfo& col : c.Columns(table))
        names.append(col.Name);
    return names;
}

// Runs each statement on its own and ignores its error, as both programs' upgrades do.
void RunIgnoringErrors(SqlConnection& c, const QStringList& statements) {
    for (const QString& sql : statements) {
        try {
            c.Execute(sql);
        } catch (const EDatabaseError&) {
        }
    }
}

} // namespace

TEST(NewData, CreatesEveryTableTheProgramsName) {
    TempFolder temp;
    const QString folder = temp.Path() + "/data";
    CreateDataFolder(folder);
    auto db = SqlConnection::OpenDatabase(folder + "/VODURAVIRIVE.MDB");
    const QStringList tables = {
        "M_個人情報",       "M_使用認証機",   "M_部門",    "M_事業所",     "M_オペレーター",
        "M_認証機グループ", "M_勤務グループ", "M_勤務表",  "M_勤務表合計", "M_休日",
        "M_給与項目",       "M_勤務体系",     "M_勤務端数"};
    for (const QString& t : tables)
        EXPECT_TRUE(db->TableExists(t)) << t.toStdString();
    EXPECT_EQ(ColumnNames(*db, "M_使用認証機"),
              QStringList({"個人コード", "認証機ID", "登録", "削除", "登録不可", "指コード"}));
    const QList<ColumnInfo> person = db->Columns("M_個人情報");
    EXPECT_EQ(person[0].Kind, ColumnKind::String);
    EXPECT_EQ(person[0].Size, 10);
    EXPECT_EQ(person.last().Kind, ColumnKind::Smallint);
    EXPECT_EQ(person[person.size() - 2].Kind, ColumnKind::Blob);

    auto paradox = SqlConnection::OpenFolder(folder);
    EXPECT_TRUE(QFile::exists(folder + "/ENTRANCESTATE.DB"));
    const QList<ColumnInfo> units = paradox->Columns("entranceState");
    ASSERT_EQ(units.size(), 8);
    EXPECT_EQ(units[2].Kind, ColumnKind::Time);
    EXPECT_EQ(units[5].Kind, ColumnKind::Boolean);

    // A unit ticked in the units dialog gets a row whose flags are False.
    db->Execute("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('1', 1)");
    auto st = db->Prepare(
        "SELECT 認証機ID FROM M_使用認証機 WHERE 登録=False AND 削除=False AND 登録不可=False");
    EXPECT_TRUE(st->Step());
}

TEST(NewData, BothProgramsUpgradesRunOnTopWithoutChangingIt) {
    TempFolder temp;
    CreateDataFolder(temp.Path());
    auto db = SqlConnection::OpenDatabase(temp.File("VODURAVIRIVE.MDB"));
    auto paradox = SqlConnection::OpenFolder(temp.Path());
    const QStringList before =
        ColumnNames(*db, "M_個人情報") + ColumnNames(*paradox, "entranceState");
    RunIgnoringErrors(
        *db, {"ALTER TABLE M_使用認証機 ADD COLUMN 登録 BIT",
              "ALTER TABLE M_使用認証機 ADD COLUMN 削除 BIT",
              "ALTER TABLE M_使用認証機 ADD COLUMN 登録不可 BIT",
              "ALTER TABLE M_個人情報 ADD COLUMN 有効開始日 DATETIME",
              "ALTER TABLE M_個人情報 ADD COLUMN ユーザーレベル SHORT",
              "ALTER TABLE M_勤務表 ADD COLUMN 読込 LONG",
              "ALTER TABLE M_事業所 ADD COLUMN 勤怠締月 LONG",
              "ALTER TABLE M_休日 ADD COLUMN 休日コード LONG",
              "CREATE TABLE M_給与項目\n(項目コード Long, 項目名 TEXT (20), 使用 BIT, 順番 "
              "Long, ヘッダ名 TEXT (20), 作成処理月 DATETIME)",
              "ALTER TABLE M_勤務表合計 ADD COLUMN 公休 DOUBLE",
              "ALTER TABLE M_個人情報 ADD COLUMN 指コード LONG",
              "ALTER TABLE M_使用認証機 ADD COLUMN 指コード LONG",
              "ALTER TABLE M_勤務表合計\nALTER COLUMN 出勤 DOUBLE"});
    RunIgnoringErrors(*paradox, {"ALTER TABLE \"entranceState.DB\" ADD COLUMN タンパー開 SMALLINT, "
                                 "ADD COLUMN タンパー閉 SMALLINT"});
    EXPECT_EQ(ColumnNames(*db, "M_個人情報") + ColumnNames(*paradox, "entranceState"), before);
}

TEST(NewData, RefusesAFolderThatHoldsDataAlready) {
    TempFolder temp;
    CreateDataFolder(temp.Path());
    auto db = SqlConnection::OpenDatabase(temp.File("VODURAVIRIVE.MDB"));
    db->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    EXPECT_THROW(CreateDataFolder(temp.Path()), Exception);
    auto st = db->Prepare("SELECT 部門名 FROM M_部門");
    ASSERT_TRUE(st->Step());
    EXPECT_EQ(st->Value(0).toString(), "総務");
}

TEST(NewData, TheProgramMakesAFolderAndReportsFailures) {
    TempFolder temp;
    const QString program = qEnvironmentVariable("ZZ_BUILD_DIR") + "/tools/newdata/newdata";
    EXPECT_EQ(QProcess::execute(program, {temp.Path() + "/x"}), 0);
    EXPECT_TRUE(QFile::exists(temp.Path() + "/x/VODURAVIRIVE.MDB"));
    EXPECT_EQ(QProcess::execute(program, {temp.Path() + "/x"}), 1);
    EXPECT_EQ(QProcess::execute(program, {}), 2);
}
