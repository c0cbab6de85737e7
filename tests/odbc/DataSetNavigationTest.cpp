#include "DataSetFixture.h"

#include "odbc/ODBCLinkThread.h"

#include <QTest>

namespace {

// The units from the current row to the end.
QList<int> ReadToEnd(TDataSet& data) {
    QList<int> ids;
    for (; !data.Eof(); data.Next())
        ids << data.FieldByName("認証機ID")->AsInteger();
    return ids;
}

QList<int> Forwards(TDataSet& data) {
    data.First();
    return ReadToEnd(data);
}

QList<int> Backwards(TDataSet& data) {
    QList<int> ids;
    for (data.Last(); !data.Bof(); data.Prior())
        ids << data.FieldByName("認証機ID")->AsInteger();
    return ids;
}

QList<int> Range(int from, int to) {
    QList<int> values;
    for (int i = from; from <= to ? i <= to : i >= to; from <= to ? ++i : --i)
        values << i;
    return values;
}

} // namespace

TEST_F(DataSetTest, OpensAndDescribesTheResult) {
    AddUnits("P01", 1);
    auto query = NewQuery();
    SetLines(*query, {"SELECT 個人コード, 認証機ID, 登録,", "    認証機ID", "FROM M_使用認証機"});
    query->Open();
    EXPECT_EQ(query->Query()->SQLText(),
              "SELECT 個人コード, 認証機ID, 登録,認証機ID FROM M_使用認証機");
    ASSERT_EQ(query->FieldCount(), 4);
    EXPECT_EQ(query->Fields()[0]->DataType(), ftString);
    EXPECT_EQ(query->Fields()[0]->Size(), 30);
    EXPECT_EQ(query->Fields()[1]->DataType(), ftInteger);
    EXPECT_EQ(query->Fields()[2]->DataType(), ftBoolean);
    EXPECT_EQ(query->Fields()[3]->FieldName(), "認証機ID_1");
    EXPECT_EQ(query->FieldByName("個人コード")->AsString(), "P01");
    EXPECT_FALSE(query->FieldByName("登録")->AsBoolean());
    EXPECT_FALSE(query->CanModify());
    query->Close();
    EXPECT_FALSE(query->Query()->Connected());

    SetLines(*query, {"UPDATE M_使用認証機 SET 登録=True"});
    EXPECT_EQ(MessageOf([&] { query->Open(); }), "sqlEntrance: Empty result set. RowsAffected = 1");
    EXPECT_FALSE(query->Active());
    EXPECT_EQ(Column("SELECT 登録 FROM M_使用認証機", "登録"), QStringList{"True"});
}

TEST_F(DataSetTest, ReadsEveryRowBothWaysAcrossBlocks) {
    AddUnits("P01", 12);
    struct Case {
        const char* Name;
        int CashCount;
        bool UniDirectional;
    };
    for (const Case& c : {Case{"blocks of 5", 5, false}, Case{"blocks of 1", 1, false},
                          Case{"uncached", 0, false}, Case{"whole result", 20, true}}) {
        SCOPED_TRACE(c.Name);
        auto query = OpenUnits([&](TDBQueryODBC& q) {
            q.SetCashCount(c.CashCount);
            q.SetUniDirectional(c.UniDirectional);
        });
        EXPECT_EQ(Forwards(*query), Range(1, 12));
        if (!c.UniDirectional) {
            EXPECT_EQ(Backwards(*query), Range(12, 1));
            query->First();
            query->MoveBy(7);
            const TBookmark mark = query->GetBookmark();
            query->Last();
            query->GotoBookmark(mark);
            EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 8);
        }
    }
}

TEST_F(DataSetTest, AnUnscrollableResultLargerThanTheCacheIsReadToTheEnd) {
    struct Case {
        int Rows, Count;
    };
    // A result that fills the cache exactly is known whole at once.
    for (const Case& c : {Case{20, 20}, Case{32, -1}}) {
        SCOPED_TRACE(c.Rows);
        Run({"DELETE FROM M_使用認証機"});
        AddUnits("P01", c.Rows);
        auto query = OpenUnits([](TDBQueryODBC& q) { q.SetUniDirectional(true); });
        EXPECT_EQ(query->RecordCount(), c.Count);
        EXPECT_EQ(ReadToEnd(*query), Range(1, c.Rows));
        // The first rows, gone from the cache, are read again from the start.
        EXPECT_EQ(Forwards(*query), Range(1, c.Rows));
        EXPECT_TRUE(query->Locate("認証機ID", 3, 0));
        EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 3);
        EXPECT_EQ(ReadToEnd(*query), Range(3, c.Rows));
        EXPECT_EQ(query->Lookup("認証機ID", 2, "認証機ID").toInt(), 2);
        // Going back over the start of the cache says so rather than lying.
        if (c.Count < 0) {
            EXPECT_THROW(query->Prior(), EDatabaseError);
        }
    }
}

TEST_F(DataSetTest, RecordNumbersOfAWholeResult) {
    AddUnits("P01", 6);
    auto query = OpenUnits([](TDBQueryODBC& q) { q.SetUniDirectional(true); });
    EXPECT_EQ(query->RecordCount(), 6);
    query->SetRecNo(-1);
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 6);
    query->SetRecNo(3);
    EXPECT_EQ(query->RecNo(), 3);
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 3);
    EXPECT_EQ(MessageOf([&] { query->SetRecNo(7); }), "sqlEntrance: No data returned.");
}

TEST_F(DataSetTest, EmptyResultIsAtItsEnd) {
    auto query = NewQuery();
    SetLines(*query, {"SELECT 個人コード FROM M_個人情報"});
    query->Open();
    EXPECT_TRUE(query->Eof());
    EXPECT_TRUE(query->IsEmpty());
}

TEST_F(DataSetTest, LocateAndLookup) {
    Run({"INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0001', '東京太郎')",
         "INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0002', '大阪花子')",
         "INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0003', '東山次郎')"});
    for (int cashCount : {20, 2, 0}) {
        SCOPED_TRACE(cashCount);
        auto query = NewQuery();
        query->SetCashCount(cashCount);
        SetLines(*query, {"SELECT 個人コード, 氏名 FROM M_個人情報 ORDER BY 個人コード"});
        query->Open();
        EXPECT_TRUE(query->Locate("氏名", "大阪花子", 0));
        EXPECT_EQ(query->FieldByName("個人コード")->AsString(), "0002");
        EXPECT_TRUE(query->Locate("氏名", "東", loPartialKey));
        EXPECT_EQ(query->FieldByName("個人コード")->AsString(), "0001");
        EXPECT_TRUE(query->Locate("個人コード;氏名", QVariantList{"0003", "東山次郎"}, 0));
        EXPECT_EQ(query->FieldByName("個人コード")->AsString(), "0003");
        EXPECT_FALSE(query->Locate("氏名", "名古屋", 0));
        EXPECT_EQ(query->FieldByName("個人コード")->AsString(), "0003");
        EXPECT_EQ(query->Lookup("個人コード", "0002", "氏名").toString(), "大阪花子");
        EXPECT_TRUE(query->Lookup("個人コード", "0009", "氏名").isNull());
    }
}

TEST_F(DataSetTest, FilterJoinsTheStatement) {
    AddUnits("P01", 4);
    auto query = NewQuery();
    SetLines(*query, {"SELECT 認証機ID FROM M_使用認証機", "ORDER BY 認証機ID"});
    query->SetFilter("認証機ID>2");
    query->SetFiltered(true);
    query->Open();
    EXPECT_EQ(query->Query()->SQLText(),
              "SELECT 認証機ID FROM M_使用認証機 WHERE 認証機ID>2 ORDER BY 認証機ID");
    EXPECT_EQ(Forwards(*query), Range(3, 4));
    query->SetFilter("認証機ID<2");
    EXPECT_EQ(Forwards(*query), Range(1, 1));
    query->SetFiltered(false);
    EXPECT_EQ(Forwards(*query), Range(1, 4));
}

TEST_F(DataSetTest, PropertyRanges) {
    auto query = NewQuery();
    struct Case {
        std::function<void()> Set;
        const char* Message;
    };
    for (const Case& c :
         {Case{[&] { query->SetCheckBufSize(2049); }, "Invalid CheckBufSize value."},
          Case{[&] { query->SetCashCount(-1); }, "Invalid CashCount value."},
          Case{[&] { query->SetBackGroundTrigger(-1); }, "Invalid BackGroundTrigger value."},
          Case{[&] { query->SetLongVarMaxLen(0); }, "Invalid LongVarMaxLen value."},
          Case{[&] { query->SetLongVarCharLen(0); }, "Invalid LongVarCharLen value."}}) {
        EXPECT_EQ(MessageOf([&] { c.Set(); }), QString("sqlEntrance: ") + c.Message);
    }
    EXPECT_EQ(query->CheckBufSize(), 16);
    EXPECT_EQ(query->LongVarMaxLen(), 16384);
    EXPECT_EQ(query->Query()->Name(), "DynamicQueryODBC");
}

TEST_F(DataSetTest, ExecSQLKeepsTheConnection) {
    AddUnits("P01", 2);
    auto query = NewQuery();
    SetLines(*query, {"UPDATE M_使用認証機 SET 登録=True WHERE 認証機ID=2"});
    query->ExecSQL();
    EXPECT_EQ(query->RowsAffected(), 1);
    EXPECT_TRUE(query->Query()->Connected());
    EXPECT_EQ(Column("SELECT 登録 FROM M_使用認証機 ORDER BY 認証機ID", "登録"),
              (QStringList{"False", "True"}));
    // The schema upgrade's dataset speaks ODBC 2 and runs each statement the same way.
    auto upgrade = NewQuery();
    upgrade->SetODBCVersion(ODBC20);
    SetLines(*upgrade, {"ALTER TABLE M_使用認証機 ADD COLUMN 登録日 DATETIME"});
    upgrade->ExecSQL();
    SetLines(*upgrade, {"SELECT 登録日 FROM M_使用認証機"});
    upgrade->Open();
    EXPECT_EQ(upgrade->FieldByName("登録日")->DataType(), ftDateTime);
    EXPECT_TRUE(upgrade->FieldByName("登録日")->IsNull());
    upgrade->Last();
    EXPECT_EQ(upgrade->RecordCount(), 2);
    EXPECT_EQ(upgrade->RecNo(), 2);
}

TEST_F(DataSetTest, CacheShrinksToItsMemoryLimit) {
    Run({"INSERT INTO M_個人情報 (個人コード) VALUES ('0001')"});
    auto query = NewQuery();
    SetLines(*query, {"SELECT 認証画像 FROM M_個人情報"});
    query->SetCheckBufSize(1);
    query->SetLongVarMaxLen(100000);
    query->Open();
    EXPECT_EQ(query->CashCount(), 10);
    EXPECT_TRUE(query->FieldByName("認証画像")->IsNull());
    query->Close();
    query->SetLongVarMaxLen(600000);
    EXPECT_EQ(MessageOf([&] { query->Open(); }), "sqlEntrance: Need more memory(CheckBufSize).");
}

TEST_F(DataSetTest, UncachedForwardReadingCannotGoBack) {
    AddUnits("P01", 3);
    auto query = OpenUnits([](TDBQueryODBC& q) {
        q.SetCashCount(0);
        q.SetCursorType(qoForwardOnly);
    });
    EXPECT_TRUE(query->UniDirectional());
    query->Next();
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 2);
    EXPECT_EQ(MessageOf([&] { query->Prior(); }),
              "sqlEntrance: Invalid operation. Check FetchScroll and CashCount.");
}

TEST_F(DataSetTest, BackgroundFetchFinishesTheResult) {
    AddUnits("P12", 12);
    AddUnits("P32", 32);
    struct Case {
        const char* Code;
        int Rows, Count, Fetches;
    };
    // 32 rows fill the cache of 20 twice over, each cache-full finished in the background.
    for (const Case& c : {Case{"P12", 12, 12, 1}, Case{"P32", 32, -1, 2}}) {
        SCOPED_TRACE(c.Code);
        int ended = 0;
        auto query = OpenUnits([&](TDBQueryODBC& q) {
            SetLines(q, {"SELECT 認証機ID FROM M_使用認証機 WHERE 個人コード='" + QString(c.Code) +
                         "' ORDER BY 認証機ID"});
            q.SetUniDirectional(true);
            q.SetBackGroundTrigger(5);
            q.BeforeBGTerminate = [&](TDBLinkThread*) { ++ended; };
        });
        EXPECT_EQ(ReadToEnd(*query), Range(1, c.Rows));
        EXPECT_EQ(query->RecordCount(), c.Count);
        EXPECT_EQ(ended, c.Fetches);
        EXPECT_TRUE(query->Query()->SQLWaitCursor);
    }
}

TEST_F(DataSetTest, TheEndOfABackgroundFetchIsToldByTheEventLoop) {
    AddUnits("P01", 12);
    TDBLinkThread* sender = nullptr;
    auto query = OpenUnits([&](TDBQueryODBC& q) {
        q.SetUniDirectional(true);
        q.SetBackGroundTrigger(5);
        q.BeforeBGTerminate = [&](TDBLinkThread* thread) { sender = thread; };
    });
    // The dataset is not touched again: only the main thread's event loop can tell the end.
    for (int step = 0; !sender && step < 200; ++step)
        QTest::qWait(10);
    EXPECT_NE(sender, nullptr);
    EXPECT_EQ(query->RecordCount(), 12);
}

TEST_F(DataSetTest, FindRecordWalksTheFilter) {
    AddUnits("P01", 5);
    // The filter is switched off again after the search; the row is found again by its key.
    auto query = OpenUnits([](TDBQueryODBC& q) { q.SetUpdateKeyColumn("認証機ID"); });
    query->SetFilter("認証機ID>3");
    EXPECT_TRUE(query->FindFirst());
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 4);
    EXPECT_FALSE(query->Filtered());
    EXPECT_TRUE(query->FindLast());
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 5);
    query->Prior();
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 4);
    query->First();
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 1);
}

TEST_F(DataSetTest, AFoundRecordIsShownAsTheDatabaseHoldsItNow) {
    AddUnits("P01", 3);
    auto query = NewQuery();
    SetLines(*query, {"SELECT 認証機ID, 登録 FROM M_使用認証機 ORDER BY 認証機ID"});
    query->SetUpdateKeyColumn("認証機ID");
    query->Open();
    Run({"UPDATE M_使用認証機 SET 登録=True WHERE 認証機ID=2"});
    EXPECT_TRUE(query->FindNext());
    EXPECT_EQ(query->FieldByName("認証機ID")->AsInteger(), 2);
    EXPECT_TRUE(query->FieldByName("登録")->AsBoolean());
}
