#include "DataSideFixture.h"

#include "reruzida/Requests.h"
#include "ui/CopyData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <sqlite3.h>

using namespace reruzida;

namespace {

const QByteArray Stamp = "261231235959"; // 2026/12/31 23:59:59

QByteArray Image() {
    QByteArray image(900, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    return image;
}

} // namespace

TEST_F(DataSideTest, StartUpUpgradesAnOldSchemaOnceAndServesTheLocalPath) {
    EXPECT_EQ(Comm.Place.DataPath, Temp.File("Reruzida"));
    EXPECT_EQ(Comm.Place.Folder(), QDir(Temp.Path()).absolutePath());
    EXPECT_TRUE(QDir(Temp.File("SECUR")).exists());

    // A data folder from before the added columns.
    TempFolder old;
    CreateDataFolder(old.Path());
    const auto access = [&] { return SqlConnection::OpenDatabase(old.File(DatabaseFileName)); };
    const auto tables = [&] { return SqlConnection::OpenDatabase(old.File("ENTRANCESTATE.DB")); };
    for (const char* column : {"登録", "削除", "登録不可"})
        access()->Execute(QString("ALTER TABLE M_使用認証機 DROP COLUMN ") + column);
    for (const char* column : {"有効開始日", "ユーザーレベル"})
        access()->Execute(QString("ALTER TABLE M_個人情報 DROP COLUMN ") + column);
    for (const char* column : {"タンパー開", "タンパー閉"})
        tables()->Execute(QString("ALTER TABLE entranceState DROP COLUMN ") + column);
    const auto columns = [&] {
        return Rows(*access(), "SELECT name || ' ' || type FROM pragma_table_info('M_使用認証機') "
                               "WHERE name IN ('登録', '削除', '登録不可') UNION ALL "
                               "SELECT name || ' ' || type FROM pragma_table_info('M_個人情報') "
                               "WHERE name IN ('有効開始日', 'ユーザーレベル')") +
               Rows(*tables(), "SELECT name || ' ' || type FROM pragma_table_info('entranceState') "
                               "WHERE name IN ('タンパー開', 'タンパー閉')");
    };
    ASSERT_EQ(columns(), QStringList());

    QFile(Temp.File("Reruzida")).copy(old.File("Reruzida"));
    const auto first = std::exchange(Comm.DM1, NewDataModule(Comm.Place, old.File("Reruzida")));
    TDM1& module = *Comm.DM1;
    module.DataModuleCreate();
    const QStringList upgraded = {"登録 BIT",
                                  "削除 BIT",
                                  "登録不可 BIT",
                                  "有効開始日 DATETIME",
                                  "ユーザーレベル SHORT",
                                  "タンパー開 SMALLINT",
                                  "タンパー閉 SMALLINT"};
    EXPECT_EQ(columns(), upgraded);
    // A second run changes nothing and reports nothing.
    module.UpgradeSchema();
    EXPECT_EQ(columns(), upgraded);
    EXPECT_TRUE(ErrorLog().Lines().isEmpty());
}

// Another program reads the unit table while the program starts: the table is packed at the
// next start, and the rest of the data side is set up, so records are stored meanwhile.
TEST_F(DataSideTest, AUnitTableHeldAtTheStartCostsOnlyItsPack) {
    const auto reader = SqlConnection::OpenDatabase(Temp.File("ENTRANCESTATE.DB"));
    reader->Execute("BEGIN");
    ASSERT_EQ(Rows(*reader, "SELECT count(*) FROM entranceState"), QStringList{"0"});
    TCommSession restarted;
    StartDataSide(restarted);
    ASSERT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains("entranceState"))
        << ErrorLog().Lines()[0].toStdString();
    restarted.UnitJobs->Records.HandleRecvData(
        Record(2, LogReadReply, "261231235959" + Code("0012") + "1101"));
    EXPECT_EQ(TableRows("SELECT 個人コード FROM ENTRANCE_LOG2026_12"), QStringList{"0012"});
    EXPECT_EQ(restarted.UnitJobs->Records.PendingRecordCount(), 0);
    reader->Execute("COMMIT");
}

TEST_F(UnitJobsTest, EveryOperationAndResultBecomesARowOfTheEventsMonth) {
    const QList<QByteArray> operations = {"10", "11", "12", "13", "20", "21", "22", "23"};
    for (const QByteArray& op : operations)
        for (const QByteArray& result : {QByteArray("00"), QByteArray("01")})
            Jobs().Records.HandleRecord(Record(3, LogReadReply, Log(Stamp, "0012", op, result)));
    EXPECT_TRUE(QFile::exists(Temp.File("ENTRANCE_LOG2026_12.DB")));
    const QStringList rows = TableRows(
        "SELECT 個人コード, 操作種別, エラー種別, 認証機ID, 操作日時 FROM ENTRANCE_LOG2026_12 "
        "ORDER BY autoNum");
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0].section('|', 0, 3), "0012|10|0|3");
    EXPECT_NEAR(rows[0].section('|', 4).toDouble(),
                EncodeDate(2026, 12, 31) + EncodeTime(23, 59, 59, 0), 1e-8);
    EXPECT_EQ(rows[15].section('|', 0, 3), "0012|23|1|3");
    // The next month's first event makes its own table.
    Jobs().Records.HandleRecord(Record(1, LogReadReply, Log("270101000001", "0012", "11", "01")));
    // Made with the index on its date, read from the file as it was made.
    sqlite3* file = nullptr;
    sqlite3_open(QFile::encodeName(Temp.File("ENTRANCE_LOG2027_01.DB")).constData(), &file);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(file, "SELECT sql FROM sqlite_master WHERE type = 'index'", -1, &st,
                       nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_TRUE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                    .contains(QRegularExpression("\\(\\W?操作日時\\W?\\)$")));
    sqlite3_finalize(st);
    sqlite3_close(file);
    EXPECT_EQ(TableRows("SELECT 操作種別 FROM ENTRANCE_LOG2027_01"), QStringList{"11"});
}

TEST_F(UnitJobsTest, ACodeWithAQuoteIsStoredAsItCame) {
    Jobs().Records.HandleRecord(Record(2, LogReadReply, Log(Stamp, "O'1", "12", "01")));
    EXPECT_EQ(TableRows("SELECT 個人コード FROM ENTRANCE_LOG2026_12"), QStringList{"O'1"});
}

TEST_F(UnitJobsTest, RecordsNoUnitCouldSendAreLoggedWholeAndNeverStored) {
    const QList<TRecvDataClass> bad = {
        Record(3, LogReadReply, Log("261331120000", "0012", "11", "01")),
        Record(3, LogReadReply, Log("2612311200xx", "0012", "11", "01")),
        Record(40, LogReadReply, Log(Stamp, "0012", "11", "01")),
        Record(3, LogReadReply, Log(Stamp, "0012", "1x", "01")),
        Record(3, LogReadReply, Log("260230120000", "0012", "11", "01"))};
    for (const TRecvDataClass& record : bad)
        Jobs().Records.HandleRecvData(record);
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 0);
    EXPECT_EQ(ErrorLog().Lines().size(), 5);
    EXPECT_TRUE(ErrorLog().Lines().last().contains("2613311200000012"));
    EXPECT_FALSE(QFile::exists(Temp.File("ENTRANCE_LOG2026_13.DB")));
    EXPECT_FALSE(QFile::exists(Temp.File("ENTRANCE_LOG2026_02.DB")));
}

// An image holds line breaks; the error log still keeps one entry per line.
TEST_F(UnitJobsTest, ARecordLoggedWholeStaysOnOneLine) {
    Access("DROP TABLE M_使用認証機");
    Jobs().Records.HandleRecvData(
        Record(2, ImageReadReply, Code("0012") + QByteArray("\x00\x00\x03\x54", 4) + Image()));
    ASSERT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains("2 RRA 0012"));
    TErrorLog reread(Temp.File("ErrorLog.Log"));
    reread.LoadErrorLog();
    EXPECT_EQ(reread.Lines(), ErrorLog().Lines());
}

TEST_F(UnitJobsTest, ALogRecordThatCannotBeStoredWaitsAndIsStoredLater) {
    // A folder in the table file's place: creating the table fails until it is gone.
    const QString blocker = Temp.File("ENTRANCE_LOG2026_12.DB");
    QDir().mkdir(blocker);
    Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(Stamp, "0012", "11", "01")));
    Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(Stamp, "0013", "21", "01")));
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 2);
    QDir().rmdir(blocker);
    // The first retry comes after a pause.
    ASSERT_TRUE(WaitFor([&] {
        Jobs().Periodic.ProcessTick(WM_TICK_REGISTER);
        return Jobs().Records.PendingRecordCount() == 0;
    }));
    EXPECT_EQ(TableRows("SELECT 個人コード FROM ENTRANCE_LOG2026_12 ORDER BY autoNum"),
              (QStringList{"0012", "0013"}));
    // The fault and its end.
    ASSERT_EQ(ErrorLog().Lines().size(), 2);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains("保留していた記録2件を保存しました"));
}

TEST_F(UnitJobsTest, EnrolmentReadsTheImageStoresItAndSpreadsIt) {
    TCopyData answer;
    TCopyDataServer window(EntranceCaption, [&](const TCopyData& data) { answer = data; });
    ASSERT_TRUE(window.Start());
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('0012', 1, 1, 0, 0), ('0012', 2, 0, 0, 0), ('0012', 3, 0, 0, 1), "
           "('0012', 5, 1, 1, 0)");
    Access("INSERT INTO M_個人情報 (個人コード, ユーザーレベル) VALUES ('0012', 2)");
    Jobs().Records.HandleRecord(Record(2, LogReadReply, Log(Stamp, "0012", "01", "01")));
    EXPECT_EQ(SentText(), QStringList{"2 RRR 0012"});
    Sent.clear();

    Jobs().Records.HandleRecord(
        Record(2, ImageReadReply, Code("0012") + QByteArray("\x00\x00\x03\x54", 4) + Image()));
    EXPECT_EQ(AccessRows("SELECT hex(認証画像), ユーザーレベル FROM M_個人情報"),
              QStringList{QString::fromLatin1(Image().toHex().toUpper()) + "|2"});
    EXPECT_EQ(
        AccessRows("SELECT 認証機ID, 登録, 削除, 登録不可 FROM M_使用認証機 ORDER BY 認証機ID"),
        (QStringList{"1|0|0|0", "2|1|0|0", "3|0|0|0", "5|1|1|0"}));
    EXPECT_EQ(SentText(), (QStringList{"1 RWR 0012", "3 RWR 0012"}));
    EXPECT_EQ(Sent[0].Tail, QByteArray("\x00\x00\x03\x54", 4) + Image());
    WaitFor([&] { return answer.Code != 0; });
    EXPECT_EQ(answer.Code, CD_READ_IMAGE_REPLY);
    EXPECT_EQ(answer.Payload, QByteArray("0012,2\r\n") + '\0');
}

// The image read after an enrolment cannot be queued (a full queue, a closed line): the
// record waits and the read goes out later.
TEST_F(UnitJobsTest, AnEnrolmentWaitsUntilItsImageReadIsQueued) {
    QueueFull = true;
    Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(Stamp, "0012", "01", "01")));
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 1);
    QueueFull = false;
    Jobs().Periodic.ProcessTick(WM_TICK_REGISTER);
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 0);
    EXPECT_EQ(SentText(), QStringList{"2 RRR 0012"});
    EXPECT_EQ(AccessRows("SELECT 個人コード FROM M_個人情報"), QStringList{"0012"});
}

// Enrolment, removal at the unit and the tamper switch write no log row: their date fields
// are not looked at.
TEST_F(UnitJobsTest, OperationsWithoutALogRowIgnoreTheDate) {
    Tables("INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (2, 'x', 1)");
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('0013', 2, 1, 0, 0)");
    for (const QByteArray& stamp : {QByteArray("000000000000"), QByteArray("2613329999xx")}) {
        Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(stamp, "0012", "01", "01")));
        Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(stamp, "0013", "02", "01")));
        Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(stamp, "", "32", "00")));
    }
    EXPECT_TRUE(ErrorLog().Lines().isEmpty());
    EXPECT_EQ(SentText(), (QStringList{"2 RRR 0012", "2 RRR 0012"}));
    EXPECT_EQ(AccessRows("SELECT 個人コード FROM M_個人情報"), QStringList{"0012"});
    EXPECT_EQ(AccessRows("SELECT count(*) FROM M_使用認証機"), QStringList{"0"});
    EXPECT_EQ(TableRows("SELECT タンパー開, タンパー閉 FROM entranceState"), QStringList{"1|0"});
}

TEST_F(UnitJobsTest, AnUnregisteredPersonIsAnsweredWithAnEmptyCode) {
    TCopyData answer;
    TCopyDataServer window(EntranceCaption, [&](const TCopyData& data) { answer = data; });
    ASSERT_TRUE(window.Start());
    Jobs().Records.HandleRecord(
        Record(2, ImageReadReply, Code("0012") + QByteArray(4, '\0') + Image()));
    WaitFor([&] { return answer.Code != 0; });
    EXPECT_EQ(answer.Payload, QByteArray(",2\r\n") + '\0');
    EXPECT_EQ(AccessRows("SELECT * FROM M_使用認証機"), QStringList());
    // A newly met person gets a row registered on the answering unit.
    Jobs().Records.HandleRecord(
        Record(3, ImageReadReply, Code("0077") + QByteArray("\x00\x00\x03\x54", 4) + Image()));
    EXPECT_EQ(AccessRows("SELECT 個人コード, 認証機ID, 登録 FROM M_使用認証機"),
              QStringList{"0077|3|1"});
}

TEST_F(UnitJobsTest, UnitAnswersSetTheRegistrationRows) {
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('0012', 1, 0, 0, 0), ('0012', 2, 0, 0, 0), ('0013', 1, 1, 0, 0), "
           "('0015', 1, 0, 1, 0), ('0015', 2, 1, 1, 0), ('0015', 2, 0, 0, 0)");
    const auto rows = [&] {
        return AccessRows("SELECT 個人コード||'/'||認証機ID||'/'||登録||'/'||削除||'/'||登録不可 "
                          "FROM M_使用認証機 ORDER BY 1");
    };
    Jobs().Records.HandleRecord(Record(1, ImageWriteReply, Code("0012") + "2"));
    Jobs().Records.HandleRecord(Record(2, ImageWriteReply, Code("0012") + "0"));
    EXPECT_TRUE(Sent.isEmpty());
    // A unit took an image it is not to hold: the removal is kept and sent.
    Jobs().Records.HandleRecord(Record(1, ImageWriteReply, Code("0015") + "1"));
    Jobs().Records.HandleRecord(Record(3, ImageWriteReply, Code("0014") + "1"));
    Jobs().Records.HandleRecord(Record(3, ImageWriteReply, Code("0016") + "0"));
    EXPECT_EQ(SentText(), (QStringList{"1 RDR 0015", "3 RDR 0014"}));
    EXPECT_EQ(rows(), (QStringList{"0012/1/1/0/0", "0012/2/1/0/1", "0013/1/1/0/0", "0014/3/0/1/0",
                                   "0015/1/0/1/0", "0015/2/0/0/0", "0015/2/1/1/0"}));
    Jobs().Records.HandleRecord(Record(1, LogReadReply, Log(Stamp, "0013", "02", "00")));
    EXPECT_EQ(rows().size(), 7);
    // Removed at the unit: the row goes. Confirmed removals: the marked rows go; a row ticked
    // again meanwhile stays, unregistered, so the image goes to the unit again.
    Jobs().Records.HandleRecord(Record(1, LogReadReply, Log(Stamp, "0013", "02", "01")));
    Jobs().Records.HandleRecord(Record(2, RemovalReply, Code("0012")));
    Jobs().Records.HandleRecord(Record(2, RemovalReply, Code("0015")));
    Jobs().Records.HandleRecord(Record(3, RemovalReply, Code("0014")));
    EXPECT_EQ(rows(),
              (QStringList{"0012/1/1/0/0", "0012/2/0/0/1", "0015/1/0/1/0", "0015/2/0/0/0"}));
}

// A unit's RWA whose code field is blank names nobody: one line in the error log, no row made
// or changed, and so no removal sent again and again.
TEST_F(UnitJobsTest, ARegistrationAnswerWithoutACodeChangesNoRow) {
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('0012', 2, 0, 0, 0)");
    Jobs().Records.HandleRecvData(
        Record(2, ImageWriteReply, QByteArray(CodeFieldSize, '\0') + "1"));
    EXPECT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_EQ(
        AccessRows("SELECT 個人コード||'/'||認証機ID||'/'||登録||'/'||削除 FROM M_使用認証機"),
        QStringList{"0012/2/0/0"});
    Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
    EXPECT_TRUE(Sent.isEmpty());
    EXPECT_EQ(ErrorLog().Lines().size(), 1);
}

TEST_F(UnitJobsTest, TamperOpenCloseAndRelease) {
    const auto flags = [&] {
        return TableRows("SELECT タンパー開, タンパー閉 FROM entranceState WHERE 認証機ID=2");
    };
    Tables("INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (2, 'x', 1)");
    Jobs().Records.HandleRecord(Record(2, LogReadReply, Log(Stamp, "", "32", "00")));
    EXPECT_EQ(flags(), QStringList{"1|0"});
    ASSERT_TRUE(HandleCopyData(Jobs(), CD_RESET_TAMPER, "2"));
    EXPECT_TRUE(Sent.isEmpty()); // the case is still open
    Jobs().Records.HandleRecord(Record(2, LogReadReply, Log(Stamp, "", "32", "01")));
    EXPECT_EQ(flags(), QStringList{"1|1"});
    HandleCopyData(Jobs(), CD_RESET_TAMPER, QByteArray("2") + '\0');
    EXPECT_EQ(SentText(), QStringList{"2 TSR "});
    EXPECT_EQ(flags(), QStringList{"0|0"});
}
