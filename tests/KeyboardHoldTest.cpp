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

TEST(KeyboardHold, AKeyboardExpectedByATimeMustArriveByThenUnlessTheSeatHasNone)
{
    KeyboardHold hold;
    hold.expect_arrival(6000);
    EXPECT_EQ(hold.deadline(), 6000);
    EXPECT_FALSE(hold.take_reclaim()) << "nothing to ask back: it never came";
    EXPECT_FALSE(hold.expired(5999));
    EXPECT_TRUE(hold.expired(6000));

    // Arrived in time: no deadline, and later losses count as usual.
    KeyboardHold in_time;
    in_time.expect_arrival(6000);
    in_time.arrived();
    EXPECT_FALSE(in_time.expired(100'000));
    in_time.lost(7000);
    EXPECT_EQ(in_time.deadline(), 7250);
    in_time.expect_arrival(20'000); // a keyboard plugged in while it was away changes nothing
    EXPECT_EQ(in_time.deadline(), 7250);

    // A seat without a keyboard gives the keys to nobody; one plugged in
    // later is due anew.
    KeyboardHold bare;
    bare.expect_arrival(1000);
    bare.gone();
    EXPECT_FALSE(bare.expired(100'000));
    bare.expect_arrival(5000);
    EXPECT_TRUE(bare.expired(5000));
}

}
