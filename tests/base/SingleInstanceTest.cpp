#include "base/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

TEST(SingleInstance, SecondCopyAsksTheFirstToShowItself) {
    TSingleInstance first("hMutexZentoria");
    int activations = 0;
    first.OnActivate = [&] { ++activations; };
    ASSERT_TRUE(first.Acquire());

    TSingleInstance second("hMutexZentoria");
    EXPECT_FALSE(second.Acquire());
    QElapsedTimer t;
    t.start();
    while (activations == 0 && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(activations, 1);

    TSingleInstance other("dIradoRorudiviVerovi"); // another program's name is free
    EXPECT_TRUE(other.Acquire());
}

} // namespace
