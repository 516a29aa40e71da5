#include "platform/TickScheduler.h"

#include <gtest/gtest.h>

namespace qm {

TEST(TickScheduler, TicksFollowTheIdealGridFromTheMomentOfEnabling)
{
    TickScheduler scheduler;
    scheduler.set(TimerId::Scroll, true, 30, 7);
    EXPECT_EQ(scheduler.next_due(), 37);
    EXPECT_FALSE(scheduler.take_due(36));
    EXPECT_EQ(scheduler.take_due(37), TimerId::Scroll);
    EXPECT_EQ(scheduler.next_due(), 67);
    // Delivered a little late: the next tick stays on the grid.
    EXPECT_EQ(scheduler.take_due(70), TimerId::Scroll);
    EXPECT_EQ(scheduler.next_due(), 97);
}

TEST(TickScheduler, ALoopThatFellBehindGetsOneLateTickNotABurst)
{
    TickScheduler scheduler;
    scheduler.set(TimerId::Scroll, true, 30, 0);
    EXPECT_EQ(scheduler.take_due(1000), TimerId::Scroll);
    EXPECT_FALSE(scheduler.take_due(1000));
    EXPECT_EQ(scheduler.next_due(), 1020);
}

TEST(TickScheduler, TiesGoInControlOrderAndDisabledTimersNeverTick)
{
    TickScheduler scheduler;
    scheduler.set(TimerId::Bounce, true, 30, 1970);
    scheduler.set(TimerId::Banner, true, 2000, 0);
    scheduler.set(TimerId::Scroll, true, 30, 1970);
    EXPECT_EQ(scheduler.take_due(2000), TimerId::Scroll);
    EXPECT_EQ(scheduler.take_due(2000), TimerId::Banner);
    EXPECT_EQ(scheduler.take_due(2000), TimerId::Bounce);
    scheduler.set(TimerId::Scroll, false, 30, 2000);
    scheduler.set(TimerId::Bounce, false, 30, 2000);
    scheduler.set(TimerId::Banner, false, 2000, 2000);
    EXPECT_FALSE(scheduler.take_due(5000));
    EXPECT_FALSE(scheduler.next_due());
}

TEST(TickScheduler, EnablingAgainRestartsTheCount)
{
    TickScheduler scheduler;
    scheduler.set(TimerId::Bounce, true, 30, 0);
    scheduler.set(TimerId::Bounce, false, 30, 20);
    scheduler.set(TimerId::Bounce, true, 30, 25);
    EXPECT_EQ(scheduler.next_due(), 55);
}

}
