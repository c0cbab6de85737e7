// Every test of the management program's code meets a program that has just started: a
// fresh session is made before each test and dropped after it.
#include "entrance/common/EntranceSession.h"

#include <gtest/gtest.h>
#include <memory>

using namespace entrance;

namespace {

class TFreshSession : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        FSession = std::make_unique<entrance::TEntranceSession>();
    }
    void OnTestEnd(const ::testing::TestInfo&) override { FSession.reset(); }

    std::unique_ptr<entrance::TEntranceSession> FSession;
};

const bool Registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshSession);
    return true;
}();

} // namespace
