#include "UpgradeDatabase.h"

#include "entrance/data/DataModule1.h"

#include "base/SysUtils.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "odbc/ODBCDSet.h"

#include <QStringList>

namespace entrance {

namespace {

// Statements on "RORazu"; each entry is the lines of one statement.
const QList<QStringList>& EngineStatements() {
    static const QList<QStringList> statements = {
        {"ALTER TABLE M_使用認証機 ADD COLUMN 登録 BIT"},
        {"ALTER TABLE M_使用認証機 ADD COLUMN 削除 BIT"},
        {"ALTER TABLE M_個人情報 ADD COLUMN 有効開始日 DATETIME"},
        {"ALTER TABLE M_勤務表 ADD COLUMN 読込 LONG"},
        {"ALTER TABLE M_事業所 ADD COLUMN 勤怠締月 LONG"},
        {"ALTER TABLE M_休日 ADD COLUMN 休日コード LONG"},
        {"CREATE TABLE M_給与項目",
         "(項目コード Long, 項目名 TEXT (20), 使用 BIT, 順番 Long, ヘッダ名 TEXT (20), 作成処理月 "
         "DATETIME)"},
        {"ALTER TABLE M_勤務表合計 ADD COLUMN 公休 DOUBLE"},
        {"ALTER TABLE M_個人情報 ADD COLUMN 指コード LONG"},
        {"ALTER TABLE M_使用認証機 ADD COLUMN 指コード LONG"},
    };
    return statements;
}

// Run through the data source "EntDBUPODBC", which no program creates: where it is missing
// they fail, and are ignored like the others.
const char* const OdbcColumns[] = {"ALTER COLUMN 出勤 DOUBLE", "ALTER COLUMN 休出 DOUBLE",
                                   "ALTER COLUMN 有休 DOUBLE", "ALTER COLUMN 特休 DOUBLE",
                                   "ALTER COLUMN 欠勤 DOUBLE"};

} // namespace

bool UpgradeDatabase() {
    {
        TQuery query;
        query.SetDatabaseName("RORazu");
        for (const QStringList& lines : EngineStatements()) {
            try {
                query.SQL().Assign(lines);
                query.ExecSQL();
            } catch (const Exception&) {
                // The column or table is there already.
            }
        }
    }
    {
        TDBQueryODBC query;
        query.SetDSName("EntDBUPODBC");
        for (const char* column : OdbcColumns) {
            try {
                query.Close();
                query.SQL().Clear();
                query.SQL().Add("ALTER TABLE M_勤務表合計");
                query.SQL().Add(column);
                query.ExecSQL();
            } catch (const Exception&) {
                // No such data source, or the column has that type already.
            }
        }
    }
    EntranceSession().DM1->DB1->Close();
    EntranceSession().DM1->DB2->Close();
    Session().Close();
    Session().Open();
    EntranceSession().DM1->DB1->Open();
    EntranceSession().DM1->DB2->Open();
    return true;
}

} // namespace entrance
