#include "ReportRun.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/reports/masterlists/Report_Bumon.h"
#include "entrance/reports/masterlists/Report_Jigyosyo.h"
#include "entrance/reports/masterlists/Report_Ninsyoki.h"
#include "entrance/reports/masterlists/Report_RoomNinsyoki.h"
#include "storage/Connection.h"
#include "tests/entrance/EntranceFixture.h"

using namespace entrance;

namespace {

struct MasterListReports : EntranceFixture {
    MasterListReports() {
        Run("INSERT INTO M_事業所 (事業所コード, 事業所名, 事業所ﾌﾘｶﾞﾅ, 郵便番号, 住所①, 住所②, "
            "電話, "
            "FAX, 代表者名) VALUES (1, '山田工業株式会社', 'ﾔﾏﾀﾞｺｳｷﾞｮｳ', '100-0001', "
            "'東京都千代田区千代田1-1', '山田ビル3階', '03-1234-5678', '03-1234-5679', "
            "'山田太郎')");
    }
    // Runs each statement on one connection to the database file or the table folder.
    void RunAll(const QStringList& statements, bool folder = false) {
        auto c = folder ? SqlConnection::OpenFolder(Temp.Path())
                        : SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
        for (const QString& sql : statements)
            c->Execute(sql);
    }
    void AddDepartments(int count) {
        QStringList sql;
        for (int code = 1; code <= count; ++code)
            sql << QString("INSERT INTO M_部門 VALUES (%1, '部門%1')").arg(code);
        RunAll(sql);
    }
    void AddPerson(const QString& code, const QString& department, const QString& finger = "0") {
        Run(QString("INSERT INTO M_個人情報 (個人コード, 氏名, 部門コード, 指コード) VALUES ('%1', "
                    "'氏名%1', %2, %3)")
                .arg(code, department, finger));
    }
};

} // namespace

TEST_F(MasterListReports, DepartmentsWithTheirCountsAndTheUnassignedRow) {
    AddDepartments(3);
    AddPerson("1", "1");
    AddPerson("2", "1");
    AddPerson("3", "NULL");
    AddPerson("4", "0");
    AddPerson("5", "NULL", "1"); // a finger row counts nowhere
    const TReportRun run = RunReport(EntranceSession().Rep_Bumon, "TRep_Bumon", 2);
    EXPECT_EQ(run.Caption, "部門情報一覧");
    ASSERT_EQ(run.Printed.size(), 2);
    EXPECT_EQ(run.Printed[0], run.Printed[1]) << "a second print starts again at page 1";
    ASSERT_EQ(run.Printed[0].size(), 1);
    const QString page = run.Printed[0][0];
    EXPECT_TRUE(Unspaced(page).contains("部門登録一覧表"));
    EXPECT_TRUE(page.contains("事業所名 : 山田工業株式会社"));
    EXPECT_TRUE(page.contains("Page:   1"));
    EXPECT_TRUE(page.contains(QRegularExpression("1\\s+部門1\\s+2\\n")));
    EXPECT_TRUE(page.contains(QRegularExpression("3\\s+部門3\\s+0\\n")));
    EXPECT_TRUE(page.contains(QRegularExpression("【 未登録 】\\s+2\\n")));
    EXPECT_TRUE(EntranceSession().Rep_Bumon.isNull())
        << "the report is freed once its preview closed";
}

// The unassigned row comes after the last department even when the departments fill the
// last page exactly.
TEST_F(MasterListReports, UnassignedRowAfterFullPages) {
    const struct {
        int departments;
        bool unassigned;
        int pages;
    } table[] = {{39, true, 1}, {40, true, 2}, {80, true, 3}, {40, false, 1}, {41, false, 2}};
    for (const auto& row : table) {
        SCOPED_TRACE(QString("%1 departments").arg(row.departments).toStdString());
        Run("DELETE FROM M_部門");
        Run("DELETE FROM M_個人情報");
        AddDepartments(row.departments);
        if (row.unassigned)
            AddPerson("9", "NULL");
        const TReportRun run = RunReport(EntranceSession().Rep_Bumon, "TRep_Bumon_pages");
        EXPECT_EQ(run.PreviewPages, row.pages);
        ASSERT_EQ(run.Printed.value(0).size(), row.pages);
        EXPECT_EQ(run.Printed[0].last().contains("【 未登録 】"), row.unassigned);
        EXPECT_TRUE(run.Printed[0].last().contains(QString("Page: %1").arg(row.pages, 3)));
    }
}

TEST_F(MasterListReports, OfficeSheet) {
    const TReportRun run = RunReport(EntranceSession().Rep_Jigyosyo, "TRep_Jigyosyo");
    EXPECT_EQ(run.Caption, "事業所情報");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    const QString page = run.Printed[0][0];
    EXPECT_TRUE(Unspaced(page).contains("事業所情報"));
    for (const char* text :
         {"山田工業株式会社", "ﾔﾏﾀﾞｺｳｷﾞｮｳ", "山田太郎", "100-0001", "東京都千代田区千代田1-1",
          "山田ビル3階", "03-1234-5678", "03-1234-5679", "ＦＡＸ"})
        EXPECT_TRUE(page.contains(text)) << text;
    EXPECT_FALSE(page.contains("Page:"));
}

TEST_F(MasterListReports, UnitsWithTheirHours) {
    EXPECT_EQ(UnitHoursText(EncodeTime(9, 5, 0, 0) + 1.156e-05), " 9 時  5 分");
    RunAll({"INSERT INTO entranceState (認証機ID, 認証機名, 稼動開始, 稼動終了, 作動状況) VALUES "
            "(1, '正面玄関', 0.37847222, 0.71875, 1)",
            "INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (2, '通用口', 0)"},
           true);
    const TReportRun run = RunReport(EntranceSession().Rep_Ninsyoki, "TRep_Ninsyoki");
    EXPECT_EQ(run.Caption, "認証機情報一覧");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    const QString page = run.Printed[0][0];
    EXPECT_TRUE(Unspaced(page).contains("認証機情報一覧表"));
    EXPECT_TRUE(
        page.contains(QRegularExpression("1\\s+正面玄関\\s+9 時\\s+5 分\\s+17 時\\s+15 分")));
    EXPECT_TRUE(page.contains(QRegularExpression("2\\s+通用口\\s*\\n")));
}

// A room continued on a new page is headed again there; a unit the unit table lost prints its
// ID with a dash, and the list still ends.
TEST_F(MasterListReports, RoomsWithTheirUnits) {
    RunAll({"INSERT INTO entranceState (認証機ID, 認証機名) VALUES (1, '正面玄関')",
            "INSERT INTO entranceState (認証機ID, 認証機名) VALUES (2, '通用口')"},
           true);
    QStringList sql{"INSERT INTO M_認証機グループ VALUES (1, 1, '事務室')",
                    "INSERT INTO M_認証機グループ VALUES (0, 2, '使わない')"};
    for (int id = 3; id <= 45; ++id)
        sql << QString("INSERT INTO M_認証機グループ VALUES (2, %1, '倉庫')").arg(id);
    sql << "INSERT INTO M_認証機グループ VALUES (2, 2, '倉庫')";
    RunAll(sql);
    const TReportRun run = RunReport(EntranceSession().Rep_RoomNinsyoki, "TRep_RoomNinsyoki");
    EXPECT_EQ(run.Caption, "部屋別認証機登録一覧表");
    ASSERT_EQ(run.Printed.value(0).size(), 2);
    const QString first = run.Printed[0][0], second = run.Printed[0][1];
    EXPECT_TRUE(first.contains("【事務室】"));
    EXPECT_TRUE(first.contains(QRegularExpression("1\\s+正面玄関")));
    EXPECT_TRUE(first.contains(QRegularExpression("2\\s+通用口")));
    EXPECT_TRUE(first.contains(QRegularExpression("3\\s+[―—]\\n")));
    EXPECT_FALSE(first.contains("使わない"));
    EXPECT_TRUE(second.contains("【倉庫】")) << "the room is headed again on its next page";
    EXPECT_TRUE(second.contains(QRegularExpression("45\\s+[―—]\\n")));
    // The heading row names the room under "部屋名", above its units, in the text font.
    const QList<TPdfWord> words = PdfWords(run.Pdf);
    const TPdfWord room = PdfWord(words, "【事務室】");
    EXPECT_GT(room.XMin, PdfWord(words, "認証機名").XMax);
    EXPECT_LT(room.XMin, PdfWord(words, "部屋名").XMin);
    EXPECT_LT(room.YMax, PdfWord(words, "正面玄関").YMin);
    EXPECT_FALSE(PdfFonts(run.Pdf).contains("Gothic")) << PdfFonts(run.Pdf).toStdString();
}
