#include "entrance/reports/persons/PersonReportQuery.h"
#include "base/SysUtils.h"
#include "entrance/common/PickedDate.h"
#include "tests/entrance/EntranceFixture.h"
#include "tests/entrance/PersonCodes.h"

using namespace entrance;

namespace {

using PersonReportQuery = EntranceFixture;

// The codes a request selects, in the order it sorts them.
QStringList SelectedCodes(const TPersonReportRequest& request) {
    TUserListQuery q = PersonReportFilterSQL(request);
    q.Lines = QStringList{"SELECT M_個人情報.個人コード FROM M_個人情報",
                          "WHERE (M_個人情報.個人コード <> '')"} +
              q.Lines;
    return PersonCodesOf(q);
}

TEST_F(PersonReportQuery, FiltersAndOrders) {
    const auto day = [](int d) { return QString::number(EncodeDate(2026, 3, d)); };
    Run("INSERT INTO M_個人情報 (個人コード,ﾌﾘｶﾞﾅ,部門コード,有効終了日) VALUES "
        "('101','ｳ',1," +
        day(20) + "), ('102','ｱ',2," + day(10) +
        "), ('103','ｲ',1,NULL), "
        "('O''1','ｴ',NULL," +
        day(15) + ")");
    const TDateTime limit = EncodeDate(2026, 3, 15);
    const struct {
        TPersonReportRequest request;
        QStringList codes;
    } cases[] = {
        {{}, {"101", "102", "103", "O'1"}},     {{0, 1}, {"102", "103", "101", "O'1"}},
        {{0, 2}, {"103", "102", "O'1", "101"}}, {{2, 0, -1.0, 1}, {"101", "103"}},
        {{1, 0, -1.0, 0, "O'1"}, {"O'1"}},      {{1, 0, -1.0, 0, "1') OR ('1'='1"}, {}},
        {{0, 0, limit}, {"102", "O'1"}},        {{2, 0, limit, 2}, {"102"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SelectedCodes(c.request), c.codes)
            << c.request.FilterMode << " " << c.request.SortOrder << " "
            << c.request.PersonCode.toStdString();
}

TEST(PersonReportTitle, NamesTheOrder) {
    EXPECT_EQ(PersonReportTitle("利用者 基本情報一覧", 0), "利用者 基本情報一覧 (個人コード順)");
    EXPECT_EQ(PersonReportTitle("t", 1), "t (フリガナ順)");
    EXPECT_EQ(PersonReportTitle("t", 5), "t (有効終了日順)");
}

} // namespace

TEST(CheckTypedDate, OnlyAnEarlierOrTheSameDayIsTaken) {
    const TDateTime picker = EncodeDate(2026, 3, 15) + 0.5;
    const struct {
        const char* text;
        TTypedDate verdict;
    } cases[] = {
        {"2026/03/15", TTypedDate::Taken},   {"2026/03/01", TTypedDate::Taken},
        {"2026/03/16", TTypedDate::Later},   {"2026/13/01", TTypedDate::NotDate},
        {"2026/03/", TTypedDate::NotDate},   {"", TTypedDate::NotDate},
        {"2026/02/30", TTypedDate::NotDate},
    };
    for (const auto& c : cases) {
        TDateTime date = 0;
        EXPECT_EQ(CheckTypedDate(c.text, picker, date), c.verdict) << c.text;
    }
    TDateTime date = 0;
    CheckTypedDate("2026/03/01", picker, date);
    EXPECT_EQ(date, EncodeDate(2026, 3, 1));
}
