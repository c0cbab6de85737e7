#include "UserRows.h"

#include "DataModule1.h"

#include "dbengine/Query.h"
#include "protocol/CommRequests.h"

namespace entrance {

namespace {

// A statement on "RORazu" with the person code bound as :code where it names one.
struct TCodeQuery {
    TQuery Query;
    TCodeQuery(const QStringList& lines, const QString& code) {
        Query.SetDatabaseName("RORazu");
        Query.SQL().Assign(lines);
        if (TParam* param = Query.Params().FindParam("code"))
            param->SetAsString(code);
    }
};

bool HasRow(const QStringList& lines, const QString& code) {
    TCodeQuery q(lines, code);
    q.Query.Open();
    return !q.Query.Eof();
}

void Exec(const QStringList& lines, const QString& code) {
    TCodeQuery q(lines, code);
    q.Query.ExecSQL();
}

} // namespace

bool HasUsers() {
    return HasRow(
        {"SELECT 個人コード FROM M_個人情報", "WHERE ( (指コード Is Null) Or (指コード=0) )"},
        QString());
}

bool CodeExistsInUsers(const QString& code) {
    return HasRow({"SELECT 個人コード FROM M_個人情報", "WHERE 個人コード=:code"}, code);
}

bool CodeExistsInTotals(const QString& code) {
    return HasRow({"SELECT 個人コード FROM M_勤務表合計", "WHERE 個人コード=:code"}, code);
}

bool HasAuthImage(const QString& code) {
    TCodeQuery q({"SELECT 認証画像 FROM M_個人情報", "WHERE 個人コード=:code"}, code);
    q.Query.Open();
    return !q.Query.Eof() && q.Query.FieldByName("認証画像")->BlobSize() > 0;
}

void DeleteTotalsRow(const QString& code) {
    Exec({"DELETE 個人コード", "FROM M_勤務表合計", "WHERE 個人コード=:code"}, code);
}

bool DeleteUserRows(const QString& code) {
    try {
        InAccessTransaction([&] {
            for (const char* table : {"M_個人情報", "M_勤務表合計", "M_勤務表"})
                Exec({"DELETE 個人コード", QString("FROM ") + table, "WHERE 個人コード=:code"},
                     code);
            Exec({"UPDATE M_使用認証機 SET 削除=True", "WHERE 個人コード=:code"}, code);
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void RenameUnitRows(const QString& oldCode, const QString& newCode) {
    TCodeQuery q({"UPDATE M_使用認証機 SET 個人コード=:newcode", "WHERE (個人コード=:code)",
                  QString("AND ") + UnitRowInUse},
                 oldCode);
    q.Query.ParamByName("newcode").SetAsString(newCode);
    q.Query.ExecSQL();
}

QList<int> UsedUnitsOf(const QString& code) {
    TCodeQuery q({"SELECT 認証機ID", "FROM M_使用認証機", "WHERE (個人コード=:code)",
                  "and ( (指コード Is Null) Or (指コード=0) )", QString("AND ") + UnitRowInUse,
                  "ORDER BY 認証機ID"},
                 code);
    QList<int> units;
    for (q.Query.Open(); !q.Query.Eof(); q.Query.Next())
        units << q.Query.FieldByName("認証機ID")->AsInteger();
    return units;
}

namespace {

// Runs the statement once for each unit, bound as :unit, in one transaction.
void ExecForUnits(const QStringList& lines, const QString& code, const QList<int>& units) {
    InAccessTransaction([&] {
        for (int unit : units) {
            TCodeQuery q(lines, code);
            q.Query.ParamByName("unit").SetAsInteger(unit);
            q.Query.ExecSQL();
        }
    });
}

} // namespace

void InsertUnitRows(const QString& code, const QList<int>& units) {
    ExecForUnits({"INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,登録不可)",
                  "VALUES (:code,:unit,False,False,False)"},
                 code, units);
}

void MarkUnitRowsRemoving(const QString& code, const QList<int>& units) {
    ExecForUnits(
        {"UPDATE M_使用認証機 SET 削除=True", "WHERE (個人コード=:code) AND (認証機ID=:unit)"},
        code, units);
}

namespace {

// The stored person of :code, as the screen reads it.
const QStringList UserRowLines{"SELECT * FROM M_個人情報", "WHERE 個人コード=:code",
                               "and ( (指コード Is Null) Or (指コード=0) )"};

const QStringList UserColumns{"個人コード", "氏名",     "ﾌﾘｶﾞﾅ", "部門コード",
                              "有効終了日", "郵便番号", "住所①", "住所②",
                              "電話",       "生年月日", "性別",  "血液型"};

// The record's values in the order of UserColumns; empty columns are null.
QList<QVariant> ValuesOf(const TUserRecord& r) {
    const auto orNull = [](bool empty, const QVariant& v) { return empty ? QVariant() : v; };
    return {r.Code,
            r.Name,
            orNull(r.Kana.isEmpty(), r.Kana),
            orNull(r.Dept == 0, r.Dept),
            orNull(r.ValidEnd == 0, r.ValidEnd),
            orNull(r.Yubin.isEmpty(), r.Yubin),
            orNull(r.Addr1.isEmpty(), r.Addr1),
            orNull(r.Addr2.isEmpty(), r.Addr2),
            orNull(r.Tel.isEmpty(), r.Tel),
            orNull(r.Birth == 0, r.Birth),
            orNull(r.Sex < 0, r.Sex),
            orNull(r.Blood.isEmpty(), r.Blood)};
}

} // namespace

bool LoadUserRecord(const QString& code, TUserRecord& r, TReadRows& asRead) {
    TCodeQuery q(UserRowLines, code);
    q.Query.Open();
    if (q.Query.Eof())
        return false;
    const auto field = [&](const char* name) { return q.Query.FieldByName(name); };
    r = TUserRecord{field("個人コード")->AsString(),
                    field("氏名")->AsString(),
                    field("ﾌﾘｶﾞﾅ")->AsString(),
                    field("部門コード")->AsInteger(),
                    field("有効終了日")->AsFloat(),
                    field("郵便番号")->AsString(),
                    field("住所①")->AsString(),
                    field("住所②")->AsString(),
                    field("電話")->AsString(),
                    field("生年月日")->AsFloat(),
                    field("性別")->IsNull() ? -1 : field("性別")->AsInteger(),
                    field("血液型")->AsString(),
                    field("認証画像")->BlobSize() > 0};
    asRead = TReadRows(q.Query, UserColumns);
    return true;
}

void StoreUserRecord(const TUserRecord& record, const QString& currentCode, TReadRows& asRead) {
    QStringList names, sets;
    for (int i = 0; i < UserColumns.size(); ++i) {
        names << QString(":p%1").arg(i);
        sets << UserColumns[i] + "=" + names.last();
    }
    const QStringList lines =
        currentCode.isEmpty()
            ? QStringList{"INSERT INTO M_個人情報 (" + UserColumns.join(',') + ")",
                          "VALUES (" + names.join(',') + ")"}
            : QStringList{"UPDATE M_個人情報 SET " + sets.join(','), "WHERE 個人コード=:code"};
    TReadRows asStored;
    InAccessTransaction([&] {
        {
            TCodeQuery stored(UserRowLines, currentCode.isEmpty() ? record.Code : currentCode);
            stored.Query.Open();
            asRead.Check(stored.Query);
        }
        if (record.Code != currentCode && CodeExistsInTotals(record.Code))
            DeleteTotalsRow(record.Code);
        TCodeQuery q(lines, currentCode);
        const QList<QVariant> values = ValuesOf(record);
        for (int i = 0; i < values.size(); ++i)
            q.Query.ParamByName(QString("p%1").arg(i)).SetValue(values[i]);
        q.Query.ExecSQL();
        if (!currentCode.isEmpty() && record.Code != currentCode)
            RenameUnitRows(currentCode, record.Code);
        TCodeQuery stored(UserRowLines, record.Code);
        stored.Query.Open();
        asStored = TReadRows(stored.Query, UserColumns);
    });
    asRead = asStored;
}

void AssignListQuery(TQuery& query, const TUserListQuery& list) {
    query.SetDatabaseName("RORazu");
    query.SQL().Assign(list.Lines);
    for (const auto& [name, value] : list.Params)
        query.ParamByName(name).SetAsString(value);
}

QStringList DepartmentItems() {
    TCodeQuery q({"SELECT 部門コード,部門名", "FROM M_部門", "ORDER BY 部門コード"}, QString());
    QStringList items;
    for (q.Query.Open(); !q.Query.Eof(); q.Query.Next())
        items << q.Query.FieldByName("部門コード")->AsString() + ":" +
                     q.Query.FieldByName("部門名")->AsString();
    return items;
}

bool UsersHaveLevel() {
    TCodeQuery q({"SELECT * FROM M_個人情報 WHERE 1=0"}, QString());
    q.Query.Open();
    return q.Query.FindField("ユーザーレベル") != nullptr;
}

} // namespace entrance
