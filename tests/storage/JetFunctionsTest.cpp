#include "storage/JetFunctions.h"

#include "base/DateTime.h"

#include <gtest/gtest.h>

TEST(JetLike, MatchesJetWildcards) {
    const struct {
        const char* Pattern;
        const char* Text;
        bool Match;
    } cases[] = {
        {"12*", "1234", true},    {"12*", "0123", false},  {"*", "", true},
        {"a?c", "abc", true},     {"a?c", "ac", false},    {"a#c", "a5c", true},
        {"a#c", "abc", false},    {"[ｱ-ｵ]*", "ｲﾄｳ", true}, {"[ｱ-ｵ]*", "ｶﾄｳ", false},
        {"[!ｱ-ｵ]*", "ｶﾄｳ", true}, {"ABC", "abc", true},    {"*b*b", "abab", true},
        {"a[*]c", "a*c", true},   {"a[*]c", "abc", false}, {"50%", "50%", true},
        {"50%", "500", false},    {"[a", "[a", true},      {"*ﾀ*", "ｲﾀｸ", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JetLike(QString::fromUtf8(c.Pattern), QString::fromUtf8(c.Text)), c.Match)
            << c.Pattern << " / " << c.Text;
}

TEST(JetDate, ReadsTheDateTextsTheProgramsWrite) {
    const double day = EncodeDate(2026, 12, 10);
    const double noon = day + 0.5;
    const struct {
        const char* Text;
        double Value;
    } cases[] = {
        {"12/10/2026", day},
        {"12/10/2026 12:00:00", noon},
        {"12/10/2026, 12:00:00", noon},
        {"2026/12/10 12:00", noon},
        {"2026-12-10T12:00:00", noon},
        {"12:00", 0.5},
        {"12/10/26", day},
        {"1/2/2026 3:04:05", EncodeDate(2026, 1, 2) + (3 * 3600 + 4 * 60 + 5) / 86400.0},
        {"01/02/2026 3:4:5", EncodeDate(2026, 1, 2) + (3 * 3600 + 4 * 60 + 5) / 86400.0},
        {"1/2/20263:04", EncodeDate(2026, 1, 2) + (3 * 60 + 4) / 1440.0},
        {"12/31/2026 23:59:59", EncodeDate(2026, 12, 31) + 86399 / 86400.0},
    };
    for (const auto& c : cases) {
        double v = -1;
        EXPECT_TRUE(ParseJetDateTime(c.Text, v)) << c.Text;
        EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
    }
    double v;
    for (const char* bad :
         {"", "abc", "2/30/2026", "13/1/2026", "25:00", "12/10/2026x", "2/30/2026 1:00:00",
          "1/1/2026 24:00:00", "1/1/2026 1:60:00", "123/1/2026", "1/1/2026 1:00:00x"})
        EXPECT_FALSE(ParseJetDateTime(bad, v)) << bad;
}
