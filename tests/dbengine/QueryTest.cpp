#include "EngineFixture.h"

#include "base/DateTime.h"
#include "base/Stream.h"
#include "dbengine/FieldKinds.h"

namespace {

struct Query : EngineFixture {
    TQuery q;
    Query() { q.SetDatabaseName("RORazu"); }
};

TEST_F(Query, FieldsTakeTheKindsOfTheDeclaredTypes) {
    Run("INSERT INTO M_個人情報 (個人コード, 氏名, 部門コード, 有効開始日) "
        "VALUES ('0001', '山田', 3, #4/1/2002#)");
    SetSQL(q, {"SELECT 個人コード, 氏名, 部門コード, 有効開始日, 認証画像,",
               "CInt(部門コード) AS n,", "'x' || 氏名 AS t", "FROM M_個人情報"});
    q.Open();
    struct Case {
        const char* name;
        TFieldType type;
        int size;
    } cases[] = {{"個人コード", ftString, 10},
                 {"氏名", ftString, 20},
                 {"部門コード", ftInteger, 0},
                 {"有効開始日", ftDateTime, 0},
                 {"認証画像", ftBlob, 0},
                 {"n", ftSmallint, 0},
                 {"t", ftString, 3}};
    for (const Case& c : cases) {
        TField* field = q.FieldByName(c.name);
        EXPECT_EQ(field->DataType(), c.type) << c.name;
        EXPECT_EQ(field->Size(), c.size) << c.name;
    }
    EXPECT_EQ(q.FieldByName("有効開始日")->AsDateTime(), EncodeDate(2002, 4, 1));
    EXPECT_EQ(q.FieldByName("部門コード")->Value(), QVariant(3));
    EXPECT_TRUE(q.FieldByName("認証画像")->IsNull());
    EXPECT_FALSE(q.CanModify());
}

TEST_F(Query, ParametersBindByNameAndQuotesNeedNoEscaping) {
    Run("INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('O''Neil', 'quote')");
    Run("INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0002', NULL)");
    SetSQL(q, {"SELECT 氏名 FROM M_個人情報", "WHERE 個人コード = :code"});
    ASSERT_EQ(q.ParamCount(), 1);
    q.ParamByName("code").SetAsString("O'Neil");
    q.Open();
    EXPECT_EQ(q.FieldByName("氏名")->AsString(), "quote");
    q.Close();
    q.ParamByName("CODE").Clear();
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
    q.Close();
    q.Params().Clear();
    SetSQL(q, {"SELECT 氏名 FROM M_個人情報 WHERE 個人コード = :unset"});
    EXPECT_THROW(q.Open(), EDatabaseError);
}

// Text longer than its field fails with the field's name, as a parameter or a literal; what
// fits, full-width characters counted one each, is stored.
TEST_F(Query, TextLongerThanItsFieldIsRefused) {
    const auto refused = [&](const QStringList& sql, const QString& name) {
        SetSQL(q, sql);
        if (q.ParamCount() > 0)
            q.ParamByName("name").SetAsString(name);
        try {
            q.ExecSQL();
            ADD_FAILURE() << "stored " << name.size() << " characters";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains("部門名")) << e.what();
        }
    };
    const QString thirty(30, QChar(0x5C71));
    refused({"INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, :name)"}, thirty + "x");
    refused({"INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '" + QString(31, 'x') + "')"}, {});
    SetSQL(q, {"INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, :name)"});
    q.ParamByName("name").SetAsString(thirty);
    q.ExecSQL();
    refused({"UPDATE M_部門 SET 部門名 = :name"}, QString(1000000, 'x'));
    EXPECT_EQ(Column("SELECT 部門名 FROM M_部門"), QStringList{thirty});
}

TEST_F(Query, ExecSqlCountsRowsAndAFailureChangesNothing) {
    SetSQL(q, {"INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, 'a');",
               "INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, 'b')"});
    q.ExecSQL();
    SetSQL(q, {"UPDATE M_部門 SET 部門名 = 'z'"});
    q.ExecSQL();
    EXPECT_EQ(q.RowsAffected(), 2);
    SetSQL(q, {"INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, 'c');",
               "INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, 'dup')"});
    try {
        q.ExecSQL();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("UNIQUE", Qt::CaseInsensitive)) << e.what();
    }
    EXPECT_EQ(Column("SELECT 部門コード FROM M_部門 ORDER BY 1"), QStringList({"1", "2"}));
    // A statement without rows does not open.
    SetSQL(q, {"DELETE FROM M_部門"});
    EXPECT_THROW(q.Open(), EDatabaseError);
    EXPECT_EQ(Column("SELECT count(*) FROM M_部門"), QStringList({"2"}));
}

// The business office screen: open the one row, append it when missing, edit it in place.
TEST_F(Query, LiveResultAppendsAndEditsTheRowItCameFrom) {
    q.RequestLive = true;
    SetSQL(q, {"SELECT * FROM M_事業所", "WHERE 事業所コード=1"});
    q.Open();
    ASSERT_TRUE(q.IsEmpty());
    q.Append();
    q.FieldByName("事業所コード")->SetAsInteger(1);
    q.FieldByName("処理年度")->SetAsInteger(2026);
    q.FieldByName("勤怠締日")->SetAsInteger(31);
    q.Post();
    q.Edit();
    q.FieldByName("事業所名")->SetAsString("本社");
    q.Post();
    EXPECT_EQ(Column("SELECT 事業所名 || '/' || 処理年度 || '/' || 勤怠締日 FROM M_事業所"),
              QStringList({"本社/2026/31"}));
    q.Close();
    q.Open();
    EXPECT_EQ(q.FieldByName("事業所名")->AsString(), "本社");
    q.Delete();
    EXPECT_TRUE(Column("SELECT 1 FROM M_事業所").isEmpty());
}

TEST_F(Query, ResultsThatAreNotLiveRefuseEdits) {
    SetSQL(q, {"SELECT * FROM M_部門"});
    q.Open();
    EXPECT_THROW(q.Append(), EDatabaseError);
    q.Close();
    q.RequestLive = true;
    SetSQL(q, {"SELECT M_個人情報.個人コード, M_部門.部門名",
               "FROM M_個人情報 LEFT JOIN M_部門 ON M_個人情報.部門コード = M_部門.部門コード"});
    q.Open();
    EXPECT_FALSE(q.CanModify());
}

TEST_F(Query, LiveEditWithoutAKeyFindsTheRowByItsValues) {
    // M_使用認証機 has no primary key; two rows differ only in 認証機ID.
    Run("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除) VALUES ('0001', 1, 0, 0)");
    Run("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除) VALUES ('0001', 2, 0, 0)");
    q.RequestLive = true;
    SetSQL(q, {"SELECT 個人コード, 認証機ID, 登録, 削除 FROM M_使用認証機",
               "WHERE 個人コード='0001' ORDER BY 認証機ID"});
    q.Open();
    EXPECT_EQ(q.FieldByName("登録")->DataType(), ftBoolean);
    q.Next();
    q.Edit();
    q.FieldByName("登録")->SetAsBoolean(true);
    q.Post();
    EXPECT_EQ(Column("SELECT 認証機ID || ':' || 登録 FROM M_使用認証機 ORDER BY 認証機ID"),
              QStringList({"1:0", "2:1"}));
    // Someone else removes the row: the next post says so and keeps the edit.
    Run("DELETE FROM M_使用認証機 WHERE 認証機ID = 2");
    q.Edit();
    q.FieldByName("削除")->SetAsBoolean(true);
    EXPECT_THROW(q.Post(), EDatabaseError);
    EXPECT_EQ(q.State(), dsEdit);
    q.Cancel();
}

TEST_F(Query, ImageGoesInAndOutThroughABlobStream) {
    Run("INSERT INTO M_個人情報 (個人コード) VALUES ('0009')");
    QByteArray image(900, '\0');
    for (int i = 0; i < 900; ++i)
        image[i] = char(i % 5 == 0 ? 0 : i);
    q.RequestLive = true;
    SetSQL(q, {"SELECT 個人コード, 認証画像 FROM M_個人情報", "WHERE 個人コード='0009'"});
    q.Open();
    q.Edit();
    {
        auto blob = q.CreateBlobStream(q.FieldByName("認証画像"), bmWrite);
        blob->WriteBuffer(image.constData(), image.size());
    }
    q.Post();
    q.Close();
    q.Open();
    TMemoryStream out;
    q.FieldByName("認証画像")->SaveToStream(out);
    EXPECT_EQ(out.Bytes(), image);
}

TEST_F(Query, DuplicateColumnNamesGetNumbered) {
    SetSQL(q, {"SELECT a.部門コード, b.部門コード FROM M_部門 a, M_部門 b"});
    q.Open();
    EXPECT_TRUE(q.FindField("部門コード"));
    EXPECT_TRUE(q.FindField("部門コード_1"));
}

TEST_F(Query, PrepareChecksTheTextWithoutParameterValues) {
    SetSQL(q, {"SELECT 氏名 FROM M_個人情報 WHERE 個人コード = :code"});
    q.Prepare();
    EXPECT_TRUE(q.Prepared());
    EXPECT_THROW(q.Open(), EDatabaseError);
    q.SQL().Add("AND nosuchcolumn = 1");
    EXPECT_FALSE(q.Prepared());
    EXPECT_THROW(q.Prepare(), EDatabaseError);
}

// Each column kind takes its values in the field's form, as the field conversion makes them of
// what SQLite holds, whatever that is: NULL, a number in a text column, text or a fraction in a
// number column, dates at the day's edge, Japanese text, bytes.
TEST_F(Query, ValuesOfEveryKindTakeTheirFieldForm) {
    Run("CREATE TABLE 値 (k LONG, t TEXT (20), m LONGTEXT, s SHORT, l LONG, d DOUBLE, b BIT, "
        "dt DATETIME, da DATE, ti TIME, bl LONGBINARY)");
    auto c = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    auto insert = c->Prepare("INSERT INTO 値 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QVariant rows[][10] = {
        {},
        {"山田ｱｲｳ", "メモ\n二行目", -7, qlonglong(3000000000), 2.5, 1, 46357.75, 46357, 0.5,
         QByteArray("\x00\xff\x10", 3)},
        {12, "", 2.5, -2.5, 1e-300, 0.25, 46357 + 86399.9995 / 86400, -1.25, 0.9999999,
         QString("文字")},
        {"x", 7, "abc", "12", qlonglong(-3000000000), "true", 2958465.999988426, 1, 0,
         QByteArray("")},
    };
    for (int k = 0; k < 4; ++k) {
        insert->Bind(1, k);
        for (int i = 0; i < 10; ++i)
            insert->Bind(i + 2, rows[k][i]);
        insert->Execute();
    }
    const QString select = "SELECT k, t, m, s, l, d, b, dt, da, ti, bl, d * 2 AS e, "
                           "t || '' AS et FROM 値 ORDER BY k";
    SetSQL(q, {select});
    q.Open();
    auto plain = c->Prepare(select);
    for (; plain->Step(); q.Next()) {
        ASSERT_FALSE(q.Eof());
        for (int i = 0; i < q.FieldCount(); ++i) {
            TField* field = q.Fields()[i];
            const QVariant expected = ToFieldValue(field->DataType(), plain->Value(i));
            QVariant read;
            q.GetFieldData(field, read);
            EXPECT_TRUE(read.typeId() == expected.typeId() && read == expected)
                << "row " << q.RecNo() << " " << field->FieldName().toStdString() << ": "
                << read.toString().toStdString() << " / " << expected.toString().toStdString();
        }
    }
    EXPECT_TRUE(q.Eof());
}

// An open query holds no lock on its file: its rows were read whole, so another program
// writes while a list is shown.
TEST_F(Query, AnOpenQueryLetsOthersWrite) {
    Run("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    Run("INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, '営業')");
    SetSQL(q, {"SELECT 部門コード FROM M_部門"});
    q.UniDirectional = true;
    q.Open();
    auto other = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    other->SetBusyTimeout(0);
    EXPECT_NO_THROW(other->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, '開発')"));
    int rows = 0;
    for (; !q.Eof(); q.Next())
        ++rows;
    EXPECT_EQ(rows, 2);
}

} // namespace
