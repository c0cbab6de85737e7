#include "base/CurrentObject.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct TRun : TCurrentObject<TRun> {
    int Id = 0;
};

} // namespace

// A test's fresh object hides the program's for as long as it lives, in any order of making.
TEST(CurrentObjectTest, TheNewestLivingObjectIsCurrentAndTheOuterOneComesBack) {
    TRun outer;
    outer.Id = 1;
    EXPECT_EQ(&TRun::Current(), &outer);
    {
        auto inner = std::make_unique<TRun>();
        inner->Id = 2;
        EXPECT_EQ(TRun::Current().Id, 2);
        inner.reset();
        EXPECT_EQ(TRun::Current().Id, 1);
    }
    TRun second;
    EXPECT_EQ(&TRun::Current(), &second);
}
