#include "base/Strings.h"

#include <gtest/gtest.h>

namespace {

TEST(Strings, TextJoinsAndSplitsLines) {
    TStringList sql;
    sql.Add("SELECT *");
    sql.Add("FROM M_部門");
    EXPECT_EQ(sql.Text(), QString::fromUtf8("SELECT *\r\nFROM M_部門\r\n"));
    sql.SetText("a\r\nb\nc");
    EXPECT_EQ(sql.Lines(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(sql.IndexOf("B"), 1);
    EXPECT_EQ(sql.IndexOf("z"), -1);
}

// Each of the three line breaks ends a line; one at the very end starts no further line.
TEST(Strings, SetTextSplitsAtEveryKindOfLineBreak) {
    TStringList sql;
    const std::pair<const char*, QStringList> texts[] = {{"", {}},
                                                         {"a", {"a"}},
                                                         {"a\r\n", {"a"}},
                                                         {"\r", {""}},
                                                         {"a\n\n", {"a", ""}},
                                                         {"a\r\rb", {"a", "", "b"}},
                                                         {"a\n\r\nb", {"a", "", "b"}},
                                                         {"\r\n\r\nx\r", {"", "", "x"}}};
    for (const auto& [text, lines] : texts) {
        sql.SetText(text);
        EXPECT_EQ(sql.Lines(), lines) << QString(text).toStdString();
    }
}

TEST(Strings, ObjectsTravelWithTheirLines) {
    TStringList names;
    names.AddObject("code", 1);
    names.AddObject("name", 2);
    names.Insert(0, "first");
    EXPECT_FALSE(names.Objects(0).isValid());
    EXPECT_EQ(names.Objects(2).toInt(), 2);
    names.Delete(0);
    EXPECT_EQ(names[0], "code");
    EXPECT_EQ(names.Objects(0).toInt(), 1);
}

TEST(Strings, OnChangeFiresOnceAfterAnUpdate) {
    TStringList sql;
    int changes = 0, changing = 0;
    sql.OnChange = [&] { ++changes; };
    sql.OnChanging = [&] { ++changing; };
    sql.Add("x");
    EXPECT_EQ(changes, 1);
    sql.BeginUpdate();
    sql.Clear();
    sql.Add("a");
    sql.Add("b");
    sql.BeginUpdate();
    sql.Add("c");
    sql.EndUpdate();
    EXPECT_EQ(changes, 1);
    sql.EndUpdate();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(changing, 2);
    sql.BeginUpdate();
    sql.EndUpdate();
    EXPECT_EQ(changes, 2); // nothing changed, nothing told
}

} // namespace
