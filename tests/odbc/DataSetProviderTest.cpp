#include "DataSetFixture.h"

#include "db/Field.h"
#include "db/Params.h"

namespace {

QStringList Codes(TDataSet& dataSet) {
    QStringList codes;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        codes << dataSet.FieldByName("個人コード")->AsString();
    return codes;
}

// A registration dataset on a shared connection, ready for generated statements.
struct SharedQuery {
    TCloneODBC Clone;
    std::unique_ptr<TDBQueryODBC> Query = std::make_unique<TDBQueryODBC>();

    SharedQuery() {
        Clone.SetDriverConnect(false);
        Clone.SetDSName("ZorarareVUZU");
        Clone.SetODBCVersion(ODBC35);
        Query->SetName("sqlEntrance");
        Query->SetClone(&Clone);
        Query->SetODBCVersion(ODBC35);
        Query->SetReadOnly(false);
        Query->SQL().Add("SELECT * FROM M_使用認証機");
        Query->SetUpdateKeyColumn("個人コード; 認証機ID");
        Query->SetUpdateTableName("M_使用認証機");
        Query->Open();
    }
};

} // namespace

TEST_F(DataSetTest, ProviderStatementsRunWithTheirParameters) {
    // Without an update query a statement cannot run, and says so.
    auto plain = NewQuery();
    EXPECT_EQ(MessageOf([&] { plain->PSExecuteStatement("DELETE FROM M_使用認証機", {}); }),
              "sqlEntrance: Set UpdateTableName and UpdateKeyColumn before Open");

    SharedQuery shared;
    TParams params;
    params.CreateParam(ftString, "code", ptInput).SetAsString("0001");
    params.CreateParam(ftBoolean, "registered", ptInput).SetAsBoolean(true);
    EXPECT_EQ(shared.Query->PSExecuteStatement("INSERT INTO M_使用認証機 (個人コード, 認証機ID, "
                                               "登録, 削除) VALUES (?, 1, ?, False)",
                                               params),
              1);
    EXPECT_EQ(shared.Query->PSExecuteStatement("INSERT INTO M_使用認証機 (個人コード, 認証機ID, "
                                               "登録, 削除) VALUES (?, 2, ?, False)",
                                               params),
              1);
    params[1].SetAsBoolean(false);
    EXPECT_EQ(shared.Query->PSExecuteStatement(
                  "UPDATE M_使用認証機 SET 登録 = ? WHERE 個人コード = ?",
                  [&] {
                      TParams swapped;
                      swapped.CreateParam(ftBoolean, "registered", ptInput).SetAsBoolean(false);
                      swapped.CreateParam(ftString, "code", ptInput).SetAsString("0001");
                      return swapped;
                  }()),
              2);
    EXPECT_EQ(Column("SELECT 登録 FROM M_使用認証機", "登録"), (QStringList{"False", "False"}));

    // A result set: every kind of parameter takes part in finding the one row.
    Run({"INSERT INTO M_個人情報 (個人コード, 有効開始日, 有効終了日, 生年月日) VALUES "
         "('0001', #4/1/2002#, '4/1/2002, 13:05:00', 0.5)",
         "INSERT INTO M_個人情報 (個人コード, 有効開始日, 有効終了日, 生年月日) VALUES "
         "('0002', #4/2/2002#, '4/2/2002, 13:05:00', 0.25)",
         "UPDATE M_使用認証機 SET 登録 = True WHERE 認証機ID = 2"});
    TParams kinds;
    kinds.CreateParam(ftString, "none", ptInput);
    kinds.CreateParam(ftBoolean, "registered", ptInput).SetAsBoolean(true);
    kinds.CreateParam(ftDate, "start", ptInput).SetAsDate(EncodeDate(2002, 4, 1));
    kinds.CreateParam(ftTime, "birth", ptInput).SetAsTime(EncodeTime(12, 0, 0, 0));
    kinds.CreateParam(ftDateTime, "end", ptInput)
        .SetAsDateTime(EncodeDate(2002, 4, 1) + EncodeTime(13, 5, 0, 0));
    kinds.CreateParam(ftString, "code", ptInput).SetAsString("0001");
    std::unique_ptr<TDataSet> result;
    shared.Query->PSExecuteStatement(
        "SELECT 個人コード FROM M_個人情報 WHERE ? IS NULL AND 個人コード IN (SELECT 個人コード "
        "FROM M_使用認証機 WHERE 登録 = ?) AND 有効開始日 = ? AND 生年月日 = ? AND 有効終了日 = ? "
        "AND 個人コード = ?",
        kinds, &result);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->Active());
    EXPECT_EQ(Codes(*result), QStringList{"0001"});
    // It runs on the dataset's shared connection.
    EXPECT_EQ(shared.Clone.Clones().size(), 3);
}

TEST_F(DataSetTest, AFailedProviderResultSetPassesItsErrorOn) {
    SharedQuery shared;
    const auto clones = shared.Clone.Clones().size();
    std::unique_ptr<TDataSet> result;
    EXPECT_THROW(shared.Query->PSExecuteStatement("SELECT * FROM 無い表", {}, &result), EODBCError);
    EXPECT_FALSE(result);
    EXPECT_EQ(shared.Clone.Clones().size(), clones);

    // A dataset on a connection of its own gives a result on the same data source.
    Run({"INSERT INTO M_個人情報 (個人コード) VALUES ('0003')"});
    NewQuery()->PSExecuteStatement("SELECT 個人コード FROM M_個人情報", {}, &result);
    EXPECT_EQ(Codes(*result), QStringList{"0003"});
}

TEST_F(DataSetTest, ProviderTransactionsCommitOrRollBack) {
    SharedQuery shared;
    TDBQueryODBC& query = *shared.Query;
    for (bool commit : {false, true}) {
        query.PSStartTransaction();
        EXPECT_TRUE(query.PSInTransaction());
        query.PSExecuteStatement("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('T', 1)",
                                 {});
        query.PSEndTransaction(commit);
        EXPECT_FALSE(query.PSInTransaction());
        EXPECT_EQ(Column("SELECT 個人コード FROM M_使用認証機", "個人コード").size(),
                  commit ? 1 : 0);
    }
}

TEST_F(DataSetTest, ProviderParametersTextAndErrors) {
    AddUnits("0001", 1);
    AddUnits("0002", 2);
    SharedQuery shared;
    TDBQueryODBC& query = *shared.Query;
    EXPECT_EQ(query.PSGetKeyFields(), "個人コード; 認証機ID");
    EXPECT_EQ(query.PSGetTableName(), "M_使用認証機");
    EXPECT_EQ(query.PSGetParams(), nullptr);

    query.PSSetCommandText("SELECT * FROM M_使用認証機 WHERE 個人コード = :個人コード");
    EXPECT_FALSE(query.Active());
    TParams params;
    params.CreateParam(ftString, "個人コード", ptInput).SetAsString("0002");
    query.PSSetParams(params);
    query.Open();
    EXPECT_EQ(Codes(query), (QStringList{"0002", "0002"}));
    const TParams* listed = query.PSGetParams();
    ASSERT_NE(listed, nullptr);
    ASSERT_EQ(listed->Count(), 1);
    EXPECT_EQ((*listed)[0].Name, "個人コード");
    EXPECT_EQ((*listed)[0].AsString(), "0002");

    // A driver's error becomes an update error with its native code (our driver reports
    // none, a driver for Access reports its own).
    const EODBCError odbcError({"SQLExecute", "23000", -1605, "重複しています。"});
    const EUpdateError previous("first", "", 7, 0);
    const EUpdateError update = query.PSGetUpdateException(odbcError, &previous);
    EXPECT_EQ(update.Message(), odbcError.Message());
    EXPECT_EQ(update.ErrorCode(), -1605);
    EXPECT_EQ(update.PreviousError(), 7);
    EXPECT_EQ(query.PSGetUpdateException(EDatabaseError("other"), nullptr).ErrorCode(), 0);
}
