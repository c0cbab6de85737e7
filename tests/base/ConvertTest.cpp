#include "base/Convert.h"
#include "base/SysUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(Convert, WholeNumbersInDecimal) {
    const struct {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"42", true, 42},
        {"  -7", true, -7},
        {"+7", true, 7},
        {"007", true, 7},
        {"", false, 0},
        {"-", false, 0},
        {" ", false, 0},
        {"7 ", false, 0},
        {"1.5", false, 0},
        {"$1F", false, 0},
        {"0x1F", false, 0},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"-2147483648", true, -2147483647 - 1},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        int value = 0;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    EXPECT_EQ(StrToInt("12"), 12);
    try {
        StrToInt("1a");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'1a' is not a valid integer value");
    }
}

} // namespace
