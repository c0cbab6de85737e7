#include "entrance/common/ResourceStrings.h"

#include <gtest/gtest.h>

using namespace entrance;

TEST(ResourceStringsTest, NumbersGiveTheirTexts) {
    const struct {
        int Id;
        const char* Text;
    } cases[] = {
        {65120, "停  止"},   {65146, "を削除しますか？"},
        {65157, "TMPLOG5_"}, {65181, "VODURAVIRIVE.MDB"},
        {65000, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadStr(c.Id), QString(c.Text)) << c.Id;
}
