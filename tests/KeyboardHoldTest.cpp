#include "platform/KeyboardHold.h"

#include <gtest/gtest.h>

namespace qm::test {

TEST(KeyboardHold, NothingIsLostBeforeTheKeyboardFirstArrives)
{
    KeyboardHold hold;
    hold.lost(100);
    EXPECT_FALSE(hold.take_reclaim());
    EXPECT_FALSE(hold.deadline());
    EXPECT_FALSE(hold.expired(100'000));
    hold.arrived();
    EXPECT_TRUE(hold.held());
    EXPECT_FALSE(hold.expired(100'000));
}

TEST(KeyboardHold, ALossAsksForTheKeyboardOnceAndEndsAQuarterSecondLater)
{
    KeyboardHold hold;
    hold.arrived();
    hold.lost(1000);
    EXPECT_FALSE(hold.held());
    EXPECT_TRUE(hold.take_reclaim());
    EXPECT_FALSE(hold.take_reclaim());
    EXPECT_EQ(hold.deadline(), 1250);
    EXPECT_FALSE(hold.expired(1249));
    EXPECT_TRUE(hold.expired(1250));

    // A second loss while it is away neither asks again nor moves the end.
    hold.lost(1200);
    EXPECT_FALSE(hold.take_reclaim());
    EXPECT_EQ(hold.deadline(), 1250);
}

TEST(KeyboardHold, TheKeyboardBackInTimeKeepsTheSaverAndEachLaterLossStartsAfresh)
{
    KeyboardHold hold;
    hold.arrived();
    hold.lost(1000);
    hold.arrived(); // before the reclaim was even sent: a move between our own surfaces
    EXPECT_FALSE(hold.take_reclaim());
    EXPECT_FALSE(hold.deadline());
    EXPECT_FALSE(hold.expired(5000));

    hold.lost(5000);
    EXPECT_TRUE(hold.take_reclaim());
    EXPECT_FALSE(hold.expired(5249));
    hold.arrived();
    EXPECT_FALSE(hold.expired(5250));
    hold.lost(9000);
    EXPECT_TRUE(hold.take_reclaim());
    EXPECT_TRUE(hold.expired(9250));
}

TEST(KeyboardHold, AKeyboardUnpluggedWhileAwayIsNoLoss)
{
    KeyboardHold hold;
    hold.arrived();
    hold.lost(1000);
    hold.gone();
    EXPECT_FALSE(hold.take_reclaim());
    EXPECT_FALSE(hold.expired(2000));
    // A later keyboard is held and lost as the first was.
    hold.lost(3000);
    EXPECT_FALSE(hold.deadline());
    hold.arrived();
    hold.lost(4000);
    EXPECT_TRUE(hold.expired(4250));
}

}
