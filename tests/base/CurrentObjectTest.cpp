#include "base/CurrentObject.h"

#include <gtest/gtest.h>
#include <memory>
#include <new>

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

// The older of two objects ends first: the newer stays current, and when it ends too the one
// before both comes back, never the ended one.
TEST(CurrentObjectTest, AnObjectEndedOutOfTurnIsNeverCurrentAgain) {
    TRun outer;
    auto older = std::make_unique<TRun>();
    auto newer = std::make_unique<TRun>();
    auto newest = std::make_unique<TRun>();
    older.reset();
    EXPECT_EQ(&TRun::Current(), newest.get());
    newest.reset();
    EXPECT_EQ(&TRun::Current(), newer.get());
    newer.reset();
    EXPECT_EQ(&TRun::Current(), &outer);
}

// The chain is checked in every build: no current object, or an object that ends twice, stops
// the program instead of handing out an ended one.
TEST(CurrentObjectDeathTest, ABrokenChainStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(TRun::Current(), "No current object");
    EXPECT_DEATH(
        {
            alignas(TRun) unsigned char storage[sizeof(TRun)];
            TRun* run = new (storage) TRun;
            run->~TRun();
            run->~TRun();
        },
        "not in the chain");
}
