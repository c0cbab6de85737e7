#include "base/Text.h"

#include <gtest/gtest.h>

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

TEST(Text, CP932RoundTripsWindowsCharacters) {
    for (const char* s : {"①", "～", "部門", "ｱｲｳ", "abc", "髙", "∑", "￢"}) {
        const QByteArray bytes = ToCP932(U(s));
        EXPECT_EQ(FromCP932(bytes), U(s)) << s;
    }
    EXPECT_EQ(ToCP932(U("①")), QByteArray("\x87\x40"));
    EXPECT_EQ(ToCP932(U("～")), QByteArray("\x81\x60"));
    EXPECT_EQ(ToCP932(U("　")), QByteArray("\x81\x40"));
}

TEST(Text, CP932ByteWidths) {
    const std::pair<const char*, int> cases[] = {
        {"", 0}, {"abc", 3}, {"部門", 4}, {"ｱｲｳ", 3}, {"A部", 3}, {"　", 2},
    };
    for (const auto& [s, n] : cases)
        EXPECT_EQ(CP932Length(U(s)), n) << s;
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0xE0));
    EXPECT_FALSE(IsDBCSLeadByte(0xB1)); // half-width katakana
    EXPECT_FALSE(IsDBCSLeadByte('A'));
}

TEST(Text, CutsNeverSplitADoubleByteCharacter) {
    const struct {
        const char* text;
        int start, bytes;
        const char* expected;
    } cases[] = {
        {"A部門", 0, 2, "A"},   // "部" would be split: dropped
        {"A部門", 0, 3, "A部"}, // fits exactly: kept whole
        {"A部門", 0, 10, "A部門"}, {"ｱｲ部", 0, 3, "ｱｲ"},
        {"A部門", 1, 2, "部"},     {"A部門", 2, 2, ""}, // starts inside "部": neither half returned
        {"A部門", 0, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MidCP932(U(c.text), c.start, c.bytes), U(c.expected))
            << c.text << " " << c.start << " " << c.bytes;
    EXPECT_EQ(CutCP932(U("山田太郎"), 5), U("山田"));
}

TEST(Text, TrimTakesTheFullWidthBlankAsABlank) {
    EXPECT_EQ(TrimFull(U("　 山田　太郎 　")), U("山田　太郎"));
    EXPECT_EQ(TrimLeftFull(U("　a　")), U("a　"));
    EXPECT_EQ(TrimRightFull(U("　a　")), U("　a"));
    EXPECT_EQ(TrimFull(U("　　")), QString());
}

TEST(Text, WidthAndKanaConversion) {
    const struct {
        QString (*f)(const QString&);
        const char* in;
        const char* out;
    } cases[] = {
        {ToFullWidth, "ｶﾞｷﾞ123abc", "ガギ１２３ａｂｃ"}, {ToFullWidth, "ﾊﾟｰ", "パー"},
        {ToHalfWidth, "ガギ１２３ａｂｃ", "ｶﾞｷﾞ123abc"}, {ToHalfWidth, "　", " "},
        {ToKatakana, "やまだ たろう", "ヤマダ タロウ"},  {ToHiragana, "ヤマダ", "やまだ"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.f(U(c.in)), U(c.out)) << c.in;
}

} // namespace
