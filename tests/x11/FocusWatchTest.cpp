#include "platform/x11/FocusWatch.h"

#include <gtest/gtest.h>

namespace qm::x11 {
namespace {

using Action = FocusWatch::Action;
using Holder = FocusWatch::Holder;
constexpr std::int64_t wait = FocusWatch::take_back_milliseconds;

// A watch whose saver has held the focus since `at`.
FocusWatch holding_since(std::int64_t at)
{
    FocusWatch watch;
    watch.observe(Holder::Saver, at);
    return watch;
}

}

TEST(FocusWatch, AnotherHolderBeforeTheSaverHeldTheFocusIsNoLoss)
{
    // While the saver starts, the focus is still where the user left it.
    FocusWatch watch;
    EXPECT_EQ(watch.observe(Holder::Other, 1000), Action::Nothing);
    EXPECT_EQ(watch.check(1000 + 10 * wait), Action::Nothing);
    EXPECT_FALSE(watch.deadline());
    EXPECT_EQ(watch.observe(Holder::Saver, 1100), Action::Nothing);
    EXPECT_EQ(watch.observe(Holder::Other, 1200), Action::TakeBack);
}

TEST(FocusWatch, ALossTakenBackWithinAQuarterSecondKeepsTheSaver)
{
    FocusWatch watch = holding_since(1000);
    EXPECT_EQ(watch.observe(Holder::Other, 2000), Action::TakeBack);
    EXPECT_EQ(watch.deadline(), 2000 + wait);
    EXPECT_EQ(watch.observe(Holder::Saver, 2005), Action::Nothing);
    EXPECT_EQ(watch.check(2000 + wait), Action::Nothing);
    EXPECT_FALSE(watch.deadline());
    EXPECT_EQ(watch.check(5000), Action::Nothing);
    // A later loss is a new one: the saver tries again.
    EXPECT_EQ(watch.observe(Holder::Other, 6000), Action::TakeBack);
    EXPECT_EQ(watch.deadline(), 6000 + wait);
}

TEST(FocusWatch, ALossNotTakenBackEndsTheSaverAfterAQuarterSecond)
{
    FocusWatch watch = holding_since(1000);
    EXPECT_EQ(watch.observe(Holder::Other, 2000), Action::TakeBack);
    // Further news of the loss neither asks again nor starts the wait again.
    EXPECT_EQ(watch.observe(Holder::Other, 2100), Action::Nothing);
    EXPECT_EQ(watch.deadline(), 2000 + wait);
    EXPECT_EQ(watch.check(2000 + wait - 1), Action::Nothing);
    EXPECT_EQ(watch.check(2000 + wait), Action::End);
    // News that arrives late ends it as well.
    EXPECT_EQ(holding_since(0).observe(Holder::Other, 10), Action::TakeBack);
    FocusWatch late = holding_since(0);
    late.observe(Holder::Other, 10);
    EXPECT_EQ(late.observe(Holder::Other, 10 + wait + 40), Action::End);
}

TEST(FocusWatch, AFocusOnNoWindowIsNoLoss)
{
    // A compositor's window manager may keep the X focus on None while the
    // saver has its keyboard; keys then go to the saver's grab.
    FocusWatch watch = holding_since(0);
    EXPECT_EQ(watch.observe(Holder::Nobody, 100), Action::Nothing);
    EXPECT_FALSE(watch.deadline());
    EXPECT_EQ(watch.check(100 + 10 * wait), Action::Nothing);
    // Nor is a loss to another window that ends on no window.
    EXPECT_EQ(watch.observe(Holder::Other, 5000), Action::TakeBack);
    EXPECT_EQ(watch.observe(Holder::Nobody, 5010), Action::Nothing);
    EXPECT_EQ(watch.check(5000 + wait), Action::Nothing);
    EXPECT_FALSE(watch.deadline());
}

TEST(FocusWatch, AContestForTheFocusIsDecidedByTheHolderWhenTheWaitEnds)
{
    // A window manager that puts the focus back as often as the saver takes it.
    FocusWatch lost = holding_since(0);
    EXPECT_EQ(lost.observe(Holder::Other, 100), Action::TakeBack);
    EXPECT_EQ(lost.observe(Holder::Saver, 101), Action::Nothing);
    EXPECT_EQ(lost.observe(Holder::Other, 102), Action::Nothing);
    EXPECT_EQ(lost.check(100 + wait), Action::End);

    FocusWatch kept = holding_since(0);
    kept.observe(Holder::Other, 100);
    kept.observe(Holder::Saver, 101);
    kept.observe(Holder::Other, 102);
    EXPECT_EQ(kept.observe(Holder::Saver, 200), Action::Nothing);
    EXPECT_EQ(kept.check(100 + wait), Action::Nothing);
}

}
