#include "base/NumberFormat.h"
#include "base/SysUtils.h"

#include <gtest/gtest.h>

TEST(NumberFormat, FormatFloatPictures) {
    const struct {
        const char* format;
        double value;
        const char* text;
    } table[] = {
        {"#,##0.00", 12345.6, "12,345.60"},
        {"0.0", -1.26, "-1.3"},
        {"#", 0, ""},
        {"00000", 42, "00042"},
        {"#.##", 3.1, "3.1"},
        {"0;(0);zero", -5, "(5)"},
        {"0;(0);zero", 0, "zero"},
        {"\"¥\"#,##0", 1234, "¥1,234"},
        {"#,##0\"円\"", 1234567, "1,234,567円"},
        {"0.00", -0.001, "0.00"},
        {"", 2.5, "2.5"},
    };
    for (const auto& row : table)
        EXPECT_EQ(FormatFloat(row.format, row.value), QString(row.text)) << row.format;
}

TEST(NumberFormat, FormatMaskTextAndStrToFloat) {
    EXPECT_EQ(FormatMaskText(">LL-00;0", "ab12"), "AB-12");
    EXPECT_EQ(FormatMaskText("000-0000;0;_", "12345"), "123-45__");
    EXPECT_EQ(FormatMaskText("000-0000;1;_", "123-4567"), "123-4567");
    EXPECT_EQ(FormatMaskText("\\(000\\);0", "123"), "(123)");
    EXPECT_DOUBLE_EQ(StrToFloat(" -12.5"), -12.5);
    EXPECT_THROW(StrToFloat("-"), EConvertError);
    EXPECT_THROW(StrToFloat("1.2.3"), EConvertError);
}
