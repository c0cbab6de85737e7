#include "DataSetFixture.h"

#include "db/Field.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {

// The communication program's registration dataset on its shared connection.
struct Registrations {
    TCloneODBC Clone;
    std::unique_ptr<TDBQueryODBC> Query;
    QStringList Updates;

    explicit Registrations(const QString& code, int cashCount = 20) {
        Clone.SetDriverConnect(false);
        Clone.SetDSName("ZorarareVUZU");
        Clone.SetODBCVersion(ODBC35);
        Query = std::make_unique<TDBQueryODBC>();
        Query->SetName("sqlEntrance");
        Query->SetClone(&Clone);
        Query->SetDSName("ZorarareVUZU");
        Query->SetODBCVersion(ODBC35);
        Query->SetReadOnly(false);
        Query->SQL().Add("SELECT * FROM M_使用認証機");
        Query->SQL().Add("WHERE 個人コード='" + code + "' ORDER BY 認証機ID");
        Query->SetUpdateKeyColumn("個人コード; 認証機ID; 登録; 削除");
        Query->SetUpdateTableName("M_使用認証機");
        Query->ReviewUpdateSQL() = [this](TComponent*, QString& sql, bool&) { Updates << sql; };
        Query->SetCashCount(cashCount);
        Query->Open();
    }
    TField* Field(const QString& name) { return Query->FieldByName(name); }
};

} // namespace

TEST_F(DataSetTest, RegistrationFlagsAreWrittenByTheirOldKeys) {
    AddUnits("P01", 3);
    Registrations reg("P01");
    // The image arrived from unit 2: its row is registered, the others are not.
    for (; !reg.Query->Eof(); reg.Query->Next()) {
        reg.Query->Edit();
        reg.Field("登録")->SetAsBoolean(reg.Field("認証機ID")->AsInteger() == 2);
        reg.Field("削除")->SetAsBoolean(false);
        reg.Field("登録不可")->SetAsBoolean(false);
        reg.Query->Post();
    }
    EXPECT_EQ(reg.Updates.value(0),
              "UPDATE M_使用認証機 SET 登録=?,削除=?,登録不可=?,指コード=? WHERE 個人コード=? "
              "AND 認証機ID=? AND 登録=? AND 削除=?");
    EXPECT_EQ(Column("SELECT 登録 FROM M_使用認証機 ORDER BY 認証機ID", "登録"),
              (QStringList{"False", "True", "False"}));

    // Two key columns change at once; the row is found by the values it had.
    reg.Query->First();
    reg.Query->Edit();
    reg.Field("登録")->SetAsBoolean(true);
    reg.Field("削除")->SetAsBoolean(true);
    reg.Query->Post();
    EXPECT_TRUE(reg.Field("削除")->AsBoolean());
    EXPECT_EQ(Column("SELECT 削除 FROM M_使用認証機 ORDER BY 認証機ID", "削除"),
              (QStringList{"True", "False", "False"}));

    // A registration removed from its unit.
    reg.Query->Next();
    reg.Query->Delete();
    EXPECT_EQ(reg.Field("認証機ID")->AsInteger(), 3);
    EXPECT_EQ(Column("SELECT 認証機ID FROM M_使用認証機 ORDER BY 認証機ID", "認証機ID"),
              (QStringList{"1", "3"}));
}

TEST_F(DataSetTest, EveryRowOfAPersonIsEditedAcrossBlocks) {
    AddUnits("P01", 32);
    for (int cashCount : {5, 0}) {
        SCOPED_TRACE(cashCount);
        Registrations reg("P01", cashCount);
        int rows = 0;
        for (; !reg.Query->Eof(); reg.Query->Next(), ++rows) {
            reg.Query->Edit();
            reg.Field("登録")->SetAsBoolean(cashCount == 5);
            reg.Query->Post();
        }
        EXPECT_EQ(rows, 32);
        EXPECT_EQ(Column("SELECT COUNT(*) AS n FROM M_使用認証機 WHERE 登録=" +
                             QString(cashCount == 5 ? "True" : "False"),
                         "n"),
                  QStringList{"32"});
    }
}

TEST_F(DataSetTest, RowChangedElsewhereIsNotOverwritten) {
    AddUnits("P01", 2);
    AddUnits("P02", 1);
    AddUnits("P02", 1);
    Registrations reg("P01");
    Run({"UPDATE M_使用認証機 SET 登録=True WHERE 個人コード='P01' AND 認証機ID=1"});
    reg.Query->Edit();
    reg.Field("登録")->SetAsBoolean(false);
    EXPECT_EQ(MessageOf([&] { reg.Query->Post(); }), "sqlEntrance: Target row was altered.");
    EXPECT_EQ(reg.Query->State(), dsEdit);
    reg.Query->Cancel();

    // Setting a key to NULL looks for the row by NULL, which it never had.
    reg.Query->Next();
    reg.Query->Edit();
    reg.Field("削除")->Clear();
    reg.Field("登録不可")->SetAsBoolean(true);
    EXPECT_EQ(MessageOf([&] { reg.Query->Post(); }), "sqlEntrance: Target row was altered.");
    reg.Query->Cancel();

    Registrations twins("P02");
    twins.Query->Edit();
    twins.Field("登録不可")->SetAsBoolean(true);
    EXPECT_EQ(MessageOf([&] { twins.Query->Post(); }),
              "sqlEntrance: UpdateKeyColumn was not unique.");
    twins.Query->Cancel();
}

TEST_F(DataSetTest, ImageThroughABlobStreamInATransaction) {
    const QByteArray image = [] {
        QByteArray bytes(900, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        return bytes;
    }();
    auto gazo = NewQuery("ZorarareVUZU", "sqlGazo");
    auto store = [&](const QByteArray& bytes, bool commit) {
        gazo->SetTransaction(true);
        SetLines(*gazo, {"SELECT 個人コード, 認証画像, ユーザーレベル FROM M_個人情報",
                         "WHERE 個人コード='0012'"});
        gazo->SetUpdateKeyColumn("個人コード");
        gazo->SetUpdateTableName("M_個人情報");
        gazo->Open();
        if (gazo->Eof()) {
            gazo->Append();
            gazo->FieldByName("個人コード")->SetAsString("0012");
        } else {
            gazo->Edit();
        }
        TMemoryStream source(bytes);
        auto blob = gazo->CreateBlobStream(gazo->FieldByName("認証画像"), bmWrite);
        blob->CopyFrom(source, 0);
        blob.reset();
        gazo->Post();
        commit ? gazo->Commit() : gazo->Rollback();
        gazo->SetTransaction(false);
        gazo->Close();
    };
    auto stored = [&] {
        auto read = NewQuery("ZorarareVUZU", "sqlRead");
        SetLines(*read, {"SELECT 認証画像 FROM M_個人情報"});
        read->Open();
        return read->Eof() ? QByteArray("none") : read->FieldByName("認証画像")->AsBytes();
    };
    store(image, false);
    EXPECT_EQ(stored(), "none");
    store(image, true);
    EXPECT_EQ(stored(), image);
    store(QByteArray(900, 'x'), false);
    EXPECT_EQ(stored(), image);
    store(image.left(100), true);
    EXPECT_EQ(stored(), image.left(100));

    // Reading back through a stream; a write never grows past the column.
    SetLines(*gazo, {"SELECT 個人コード, 認証画像 FROM M_個人情報"});
    gazo->Open();
    TField* field = gazo->FieldByName("認証画像");
    auto reader = gazo->CreateBlobStream(field, bmRead);
    EXPECT_EQ(reader->Size(), 100);
    reader->Seek(-10, soEnd);
    QByteArray tail(20, '\0');
    tail.resize(int(reader->Read(tail.data(), tail.size())));
    EXPECT_EQ(tail, image.mid(90, 10));
    reader.reset();
    gazo->Edit();
    auto writer = gazo->CreateBlobStream(field, bmWrite);
    const QByteArray big(20000, 'y');
    EXPECT_EQ(writer->Write(big.constData(), big.size()), 16384);
    writer.reset();
    EXPECT_EQ(field->AsBytes().size(), 16384);
    gazo->Cancel();
    EXPECT_EQ(field->AsBytes(), image.left(100));
}

// A position before or far past the image column never reaches the columns beside it.
TEST_F(DataSetTest, TheBlobStreamStaysInsideItsColumn) {
    const QByteArray image(900, 'i');
    Run({"INSERT INTO M_個人情報 (個人コード, ユーザーレベル) VALUES ('0012', 3)"});
    auto gazo = NewQuery("ZorarareVUZU", "sqlGazo");
    SetLines(*gazo, {"SELECT 個人コード, 認証画像, ユーザーレベル FROM M_個人情報"});
    gazo->SetUpdateKeyColumn("個人コード");
    gazo->SetUpdateTableName("M_個人情報");
    gazo->Open();
    gazo->Edit();
    TField* field = gazo->FieldByName("認証画像");
    auto blob = gazo->CreateBlobStream(field, bmWrite);
    blob->WriteBuffer(image.constData(), image.size());
    const QByteArray bytes(64, 'w');

    // Before the column: the position is 0.
    for (int64_t offset : {int64_t(-16), -(int64_t(1) << 33), INT64_MIN}) {
        SCOPED_TRACE(offset);
        EXPECT_EQ(blob->Seek(offset, soBeginning), 0);
        EXPECT_EQ(blob->Seek(offset, soCurrent), 0);
        QByteArray head(16, '\0');
        EXPECT_EQ(blob->Read(head.data(), head.size()), 16);
        EXPECT_EQ(head, image.left(16));
    }
    // Far past the column's end: nothing is read or written there.
    for (int64_t offset : {int64_t(1) << 33, INT64_MAX}) {
        SCOPED_TRACE(offset);
        blob->Seek(offset, soBeginning);
        EXPECT_EQ(blob->Seek(INT64_MAX, soCurrent), INT64_MAX);
        QByteArray none(16, '\0');
        EXPECT_LT(blob->Read(none.data(), none.size()), 0);
        EXPECT_EQ(blob->Position(), 900);
        blob->Seek(offset, soBeginning);
        EXPECT_EQ(blob->Write(bytes.constData(), bytes.size()), 0);
        EXPECT_EQ(blob->Size(), 900);
    }
    QByteArray nothing(16, 'n');
    blob->Seek(0, soBeginning);
    EXPECT_EQ(blob->Read(nothing.data(), -16), 0);
    EXPECT_EQ(blob->Position(), 0);
    EXPECT_EQ(nothing, QByteArray(16, 'n'));
    // A write before the column lands at its start.
    blob->Seek(-(int64_t(1) << 33), soBeginning);
    EXPECT_EQ(blob->Write(bytes.constData(), bytes.size()), 64);
    EXPECT_EQ(blob->Position(), 64);
    blob.reset();
    EXPECT_EQ(gazo->FieldByName("個人コード")->AsString(), "0012");
    EXPECT_EQ(gazo->FieldByName("ユーザーレベル")->AsInteger(), 3);
    EXPECT_EQ(field->AsBytes(), bytes);
    gazo->Post();
    EXPECT_EQ(Column("SELECT 個人コード FROM M_個人情報", "個人コード"), QStringList{"0012"});
}

TEST_F(DataSetTest, TheUnitDialogInsertsAndUpdatesTheUnitTable) {
    auto unit = NewQuery("EntParaODBC");
    auto edit = [&](int id, const QString& name, TDateTime start, TDateTime end) {
        SetLines(*unit,
                 {"SELECT 認証機ID, 認証機名,稼動開始,稼動終了,作動状況 FROM entranceState.DB",
                  "WHERE 認証機ID=" + QString::number(id)});
        unit->SetReadOnly(false);
        unit->SetUpdateKeyColumn("認証機ID");
        unit->SetUpdateTableName("entranceState.DB");
        unit->Open();
        if (unit->Eof()) {
            unit->Append();
            unit->FieldByName("認証機ID")->SetAsInteger(id);
        } else {
            unit->Edit();
        }
        unit->FieldByName("認証機名")->SetAsString(name);
        unit->FieldByName("稼動開始")->SetAsDateTime(start);
        unit->FieldByName("稼動終了")->SetAsDateTime(end);
        unit->FieldByName("作動状況")->SetAsBoolean(true);
        unit->Post();
        unit->Close();
        unit->SetReadOnly(true);
    };
    edit(3, "正面玄関", EncodeTime(8, 30, 0, 0), EncodeTime(17, 45, 0, 0));
    EXPECT_EQ(Column("SELECT 認証機名 FROM entranceState", "認証機名", "EntParaODBC"),
              QStringList{"正面玄関"});
    // Midnight is a time like any other, not a missing one.
    edit(3, "裏口", 0, EncodeTime(23, 59, 0, 0));
    auto read = NewQuery("EntParaODBC", "sqlRead");
    SetLines(*read, {"SELECT * FROM entranceState"});
    read->Open();
    EXPECT_EQ(read->RecordCount(), 1);
    EXPECT_EQ(read->FieldByName("認証機名")->AsString(), "裏口");
    EXPECT_FALSE(read->FieldByName("稼動開始")->IsNull());
    EXPECT_EQ(read->FieldByName("稼動開始")->AsDateTime(), 0);
    EXPECT_EQ(read->FieldByName("稼動終了")->AsDateTime(), EncodeTime(23, 59, 0, 0));
    EXPECT_TRUE(read->FieldByName("作動状況")->AsBoolean());
}

TEST_F(DataSetTest, DayZeroIsADate) {
    Run({"INSERT INTO M_個人情報 (個人コード) VALUES ('0001')"});
    auto query = NewQuery();
    SetLines(*query, {"SELECT 個人コード, 有効開始日 FROM M_個人情報"});
    query->SetUpdateKeyColumn("個人コード");
    query->SetUpdateTableName("M_個人情報");
    query->Open();
    EXPECT_TRUE(query->FieldByName("有効開始日")->IsNull());
    query->Edit();
    query->FieldByName("有効開始日")->SetAsDateTime(0);
    query->Post();
    query->Close();
    query->Open();
    EXPECT_FALSE(query->FieldByName("有効開始日")->IsNull());
    EXPECT_EQ(query->FieldByName("有効開始日")->AsDateTime(), 0);
}

TEST_F(DataSetTest, AnInsertOfNothingButNullsStillInserts) {
    auto query = NewQuery();
    SetLines(*query, {"SELECT 個人コード, 読込 FROM M_勤務表"});
    query->SetUpdateKeyColumn("個人コード");
    query->SetUpdateTableName("M_勤務表");
    query->Open();
    query->Append();
    query->Post();
    EXPECT_EQ(Column("SELECT COUNT(*) AS n FROM M_勤務表", "n"), QStringList{"1"});
}

TEST_F(DataSetTest, RefreshAfterPostFindsTheRowAgain) {
    AddUnits("P01", 3);
    Registrations reg("P01");
    reg.Query->SetExecAfterUpdate(true);
    reg.Query->Next();
    Run({"UPDATE M_使用認証機 SET 登録不可=True WHERE 認証機ID=3"});
    reg.Query->Edit();
    reg.Field("登録")->SetAsBoolean(true);
    reg.Query->Post();
    EXPECT_EQ(reg.Field("認証機ID")->AsInteger(), 2);
    EXPECT_TRUE(reg.Field("登録")->AsBoolean());
    reg.Query->Next();
    EXPECT_TRUE(reg.Field("登録不可")->AsBoolean());

    Run({"UPDATE M_使用認証機 SET 削除=True WHERE 認証機ID=3"});
    reg.Query->Refresh();
    EXPECT_EQ(reg.Field("認証機ID")->AsInteger(), 3);
    EXPECT_TRUE(reg.Field("削除")->AsBoolean());
}

TEST_F(DataSetTest, ReadOnlyOrWithoutUpdateSettingsRefusesEdits) {
    AddUnits("P01", 1);
    auto query = NewQuery();
    SetLines(*query, {"SELECT * FROM M_使用認証機"});
    query->Open();
    EXPECT_FALSE(query->CanModify());
    EXPECT_THROW(query->Edit(), EDatabaseError);
    query->Close();
    query->SetUpdateKeyColumn("個人コード");
    query->SetUpdateTableName("M_使用認証機");
    query->SetReadOnly(true);
    query->Open();
    EXPECT_FALSE(query->CanModify());
    query->Close();
    query->SetReadOnly(false);
    query->Open();
    EXPECT_TRUE(query->CanModify());
}

TEST_F(DataSetTest, ClosingWithUncommittedWorkRollsBackAndSaysSo) {
    AddUnits("P01", 1);
    auto query = NewQuery();
    query->SetTransaction(true);
    SetLines(*query, {"SELECT 個人コード, 認証機ID, 登録 FROM M_使用認証機"});
    query->SetUpdateKeyColumn("認証機ID");
    query->SetUpdateTableName("M_使用認証機");
    query->Open();
    query->Edit();
    query->FieldByName("登録")->SetAsBoolean(true);
    query->Post();
    QString notice;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            notice = box->text();
            box->accept();
        }
    });
    query->Close();
    EXPECT_EQ(notice, "QueryODBC: Automatic rollback issued.");
    EXPECT_EQ(Column("SELECT 登録 FROM M_使用認証機", "登録"), QStringList{"False"});
}

TEST_F(DataSetTest, TheFirstRowsImageThroughTheQuerysGetData) {
    Run({"INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('0012', X'" +
             QByteArray(900, '\x5a').toHex() + "')",
         "INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 登録不可) VALUES ('0012', 1, "
         "False, False)"});
    auto query = NewQuery();
    query->SetReadOnly(true);
    SetLines(*query, {"SELECT M_個人情報.個人コード, First(M_個人情報.認証画像) AS 認証画像, "
                      "Count(M_使用認証機.認証機ID) AS 未登録認証機数",
                      "FROM M_個人情報 INNER JOIN M_使用認証機 ON M_個人情報.個人コード = "
                      "M_使用認証機.個人コード",
                      "WHERE (M_使用認証機.登録=False AND M_使用認証機.登録不可=False) AND (1=1)",
                      "GROUP BY M_個人情報.個人コード",
                      "HAVING (((First(M_個人情報.認証画像)) Is Not Null) AND "
                      "((Count(M_使用認証機.認証機ID))>0));"});
    query->Open();
    ASSERT_FALSE(query->Eof());
    EXPECT_EQ(query->FieldByName("個人コード")->AsString(), "0012");
    QByteArray image(1000, '\0');
    SQLLEN length = image.size();
    query->DefaultQuery()->GetData(2, image.data(), length);
    EXPECT_EQ(length, 900);
    EXPECT_EQ(image.left(900), QByteArray(900, '\x5a'));
}
