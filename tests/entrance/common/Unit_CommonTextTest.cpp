#include "entrance/common/Unit_CommonText.h"
#include "base/SysUtils.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

TEST(CommonText, IsNumberWithAndWithoutTheDotFlag) {
    const struct {
        const char* text;
        int flag;
        bool expected;
    } cases[] = {
        {"12", 0, true},          {"  -12", 0, true},       {"+7", 0, true},
        {"", 0, false},           {"", 1, false},           {"12.5", 0, false},
        {"12.5", 1, true},        {"1.2.5", 1, false},      {".", 1, false},
        {"12 ", 0, false},        {"1a", 0, false},         {"１２", 0, false},
        {"0x1F", 0, false},       {"$1F", 0, false},        {"2147483647", 0, true},
        {"2147483648", 0, false}, {"-2147483648", 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNumber(U(c.text), c.flag), c.expected) << c.text << " flag " << c.flag;
}

TEST(CommonText, IsDateStrTakesYearMonthDay) {
    EXPECT_TRUE(IsDateStr("2001/04/01"));
    EXPECT_TRUE(IsDateStr("2001/4/1"));
    EXPECT_FALSE(IsDateStr("2001/02/29"));
    EXPECT_FALSE(IsDateStr("04/01/2001x"));
    EXPECT_FALSE(IsDateStr(""));
    EXPECT_FALSE(IsDateStr(U("S51/5/12")));
}

TEST(CommonText, PaddingAndChoice) {
    EXPECT_EQ(IntToStrPadSpace(7, 3), "  7");
    EXPECT_EQ(IntToStrPadSpace(1234, 3), "1234");
    EXPECT_EQ(IntToStrPadZero(7, 3), "007");
    EXPECT_EQ(IntToStrPadZero(0, 2), "00");
    EXPECT_EQ(IfThenStr(true, "a", "b"), "a");
    EXPECT_EQ(IfThenStr(false, "a", "b"), "b");
}

TEST(CommonText, ByteCutsNeverSplitADoubleByteCharacter) {
    const struct {
        const char* text;
        int n;
        const char* left;
        const char* right;
    } cases[] = {
        {"A部門B", 0, "", ""},
        {"A部門B", 1, "A", "B"},
        {"A部門B", 2, "A", "B"}, // "部" / "門" would be split: left out
        {"A部門B", 3, "A部", "門B"},
        {"A部門B", 6, "A部門B", "A部門B"},
        {"A部門B", 99, "A部門B", "A部門B"},
        {"ｱｲｳ", 2, "ｱｲ", "ｲｳ"},
        {"", 3, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeftStr(U(c.text), c.n), U(c.left)) << c.text << " " << c.n;
        EXPECT_EQ(RightStr(U(c.text), c.n), U(c.right)) << c.text << " " << c.n;
    }
}

TEST(CommonText, CodeAndNameParts) {
    const struct {
        const char* item;
        const char* code;
        const char* name;
    } cases[] = {
        {"12:営業部", "12", "営業部"},   {" 3 : 総務:二課", "3", " 総務:二課"},
        {"0:全て指定", "0", "全て指定"}, {"<未登録>", "", ""},
        {":名前", "", "名前"},           {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePartOf(U(c.item)), U(c.code)) << c.item;
        EXPECT_EQ(NamePartOf(U(c.item)), U(c.name)) << c.item;
    }
    EXPECT_EQ(CurrentOfficeCode(), 1);
}

TEST(CommonText, TrimJRemovesAsciiAndFullWidthBlanksOnly) {
    const struct {
        const char* text;
        const char* both;
        const char* left;
        const char* right;
    } cases[] = {
        {" 　 山田　太郎　 　", "山田　太郎", "山田　太郎　 　", " 　 山田　太郎"},
        {"", "", "", ""},
        {"　 ", "", "", ""},
        {"\t名前\t", "\t名前\t", "\t名前\t", "\t名前\t"},
        // "ァ" is 0x83 0x40 in code page 932: its second byte is a blank's, it is no blank.
        {"ァ", "ァ", "ァ", "ァ"},
        {"ﾃｽﾄ ", "ﾃｽﾄ", "ﾃｽﾄ ", "ﾃｽﾄ"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimJ(U(c.text)), U(c.both)) << c.text;
        QString left = U(c.text), right = U(c.text);
        TrimLeftJ(left);
        TrimRightJ(right);
        EXPECT_EQ(left, U(c.left)) << c.text;
        EXPECT_EQ(right, U(c.right)) << c.text;
    }
}

TEST(CommonText, TrailBytesAreFoundFromTheLastSingleByte) {
    // "A部部" is 41 95 94 95 94: every byte after the "A" lies in the lead-byte range.
    const QString text = U("A部部");
    const bool expected[] = {false, false, true, false, true};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(IsTrailByteAt(text, i), expected[i - 1]) << i;
    EXPECT_FALSE(IsTrailByteAt(U("ｱｲ"), 2));
    for (int index : {0, 6, -1}) {
        try {
            IsTrailByteAt(text, index);
            ADD_FAILURE() << index;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Illegal Index");
        }
    }
}

TEST(CommonText, StrConvMapsCaseWidthAndKana) {
    const struct {
        const char* text;
        int options;
        const char* expected;
    } cases[] = {
        {"pc-01ａｂ", SC_UPPERCASE, "PC-01ＡＢ"},
        {"ABC", SC_LOWERCASE, "abc"},
        {"ｶﾞｷﾞ 12", SC_FULLWIDTH, "ガギ　１２"},
        {"ガギ　１２", SC_HALFWIDTH, "ｶﾞｷﾞ 12"},
        {"やまだ", SC_KATAKANA, "ヤマダ"},
        {"ヤマダ", SC_HIRAGANA, "やまだ"},
        {"やまだ", SC_KATAKANA | SC_HALFWIDTH, "ﾔﾏﾀﾞ"},
        {"ﾔﾏﾀﾞ", SC_HIRAGANA | SC_FULLWIDTH, "やまだ"},
        {"abc", 0, "abc"},
        {"abc", SC_UPPERCASE | SC_LOWERCASE, ""},
        {"abc", SC_FULLWIDTH | SC_HALFWIDTH, ""},
        {"abc", SC_KATAKANA | SC_HIRAGANA, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrConv(U(c.text), c.options), U(c.expected)) << c.text << " " << c.options;
}

TEST(CommonText, StrConvKeepsAtMost1024Bytes) {
    const QString converted = StrConv(QString(600, QChar(0x3042)), SC_KATAKANA);
    EXPECT_EQ(converted, QString(512, QChar(0x30A2)));
}

} // namespace
