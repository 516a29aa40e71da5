#include "platform/win32/ForegroundWatch.h"

#include <gtest/gtest.h>

namespace qm::win32 {
namespace {

using Holder = ForegroundWatch::Holder;

TEST(ForegroundWatch, AnotherProgramBeforeTheSaverWasActiveIsNoLoss)
{
    // While the saver starts, the program that was active still holds the foreground.
    ForegroundWatch watch;
    EXPECT_FALSE(watch.observe(Holder::AnotherProgram));
    EXPECT_FALSE(watch.observe(Holder::Nobody));
    EXPECT_FALSE(watch.held());
    EXPECT_FALSE(watch.observe(Holder::ThisProgram));
    EXPECT_TRUE(watch.held());
}

TEST(ForegroundWatch, AnotherProgramAfterTheSaverWasActiveEndsIt)
{
    ForegroundWatch watch;
    watch.observe(Holder::ThisProgram);
    EXPECT_TRUE(watch.observe(Holder::AnotherProgram));
}

TEST(ForegroundWatch, NobodyAndOurOwnWindowsNeverEndIt)
{
    // Between two activations the system names no window; the covers are ours.
    ForegroundWatch watch;
    watch.observe(Holder::ThisProgram);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(watch.observe(Holder::Nobody));
        EXPECT_FALSE(watch.observe(Holder::ThisProgram));
    }
    EXPECT_TRUE(watch.observe(Holder::AnotherProgram));
}

}
}
