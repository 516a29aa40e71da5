#include "Harness.h"

#include <cmath>

#include <gtest/gtest.h>

namespace qm::test {

namespace {

struct Running : Harness {
    Running()
        : Harness({ 1024, 768 })
    {
        start();
    }
    int heading() { return global().Heading; }
    void set_heading(int heading) { global().Heading = static_cast<Integer>(heading); }
};

}

TEST(Keys, CommandKeysKeepTheSaverRunningAndEveryOtherKeyEndsIt)
{
    using enum VirtualKey;
    for (VirtualKey key : { Space, Return, Numpad1, A, F4, S, Left, Up, Right, Down, F2, Q }) {
        Running running;
        running.key(key);
        EXPECT_TRUE(running.saver.running()) << code_of(key);
    }
    for (VirtualKey key : { Escape, Tab, digit_key(0), digit_key(9), letter_key('X'), Shift, Control, Menu, Capital, NumLock, End, F1,
             function_key(3), letter_key('B'), Unknown, static_cast<VirtualKey>(255), static_cast<VirtualKey>(-1) }) {
        Running running;
        running.key(key);
        EXPECT_TRUE(running.ended_by_user()) << code_of(key);
        EXPECT_TRUE(running.host().window_unloaded()) << code_of(key);
    }
}

TEST(Keys, ArrowsTurnAndTheHeadingIsNormalised)
{
    Running running;
    running.set_heading(0);
    running.key(VirtualKey::Left);
    EXPECT_EQ(running.heading(), 355);
    running.key(VirtualKey::Right);
    EXPECT_EQ(running.heading(), 0);
    running.set_heading(360);
    float const speed = running.global().Speed;
    running.key(VirtualKey::Up);
    EXPECT_EQ(running.heading(), 0);
    EXPECT_EQ(running.global().Speed, float(double(speed) + 0.5));
    running.set_heading(-1000);
    running.key(VirtualKey::Left);
    EXPECT_EQ(running.heading(), -285);
    running.key(VirtualKey::Left);
    EXPECT_EQ(running.heading(), 70);
}

TEST(Keys, HeadingOverflowSkipsOnlyTheFailingStatement)
{
    Running running;
    running.set_heading(32402);
    running.key(VirtualKey::Right);
    EXPECT_EQ(running.heading(), 7);
    running.set_heading(32403);
    running.key(VirtualKey::Right);
    EXPECT_EQ(running.heading(), 32408);
    running.set_heading(32763);
    running.key(VirtualKey::Right);
    EXPECT_EQ(running.heading(), 32763);
    running.set_heading(-32764);
    running.key(VirtualKey::Left);
    EXPECT_EQ(running.heading(), -4); // the turn overflows, the normalisation still runs
    EXPECT_TRUE(running.saver.running());
}

TEST(Keys, SpeedHasNoBounds)
{
    Running running;
    running.global().Speed = 0.25f;
    running.key(VirtualKey::Down);
    running.key(VirtualKey::Down);
    EXPECT_EQ(running.global().Speed, -0.75f);
}

TEST(Keys, SpaceTogglesTheSpeedUpAndEnterOnlyRestartsItsClock)
{
    Running running;
    running.key(VirtualKey::Space);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "1");
    running.key(VirtualKey::Space);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "0");
    running.key(VirtualKey::Space);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "1");
    running.wait(1500);
    running.key(VirtualKey::Return);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "1");
    EXPECT_EQ(running.form().timerScreenSaver.Tag(), "43201.5");
}

TEST(Keys, CourseAndPlacementDrawLikeTheLoad)
{
    Running running;
    RandomGenerator expected = running.saver.runtime().random();
    running.key(VirtualKey::A);
    EXPECT_EQ(running.heading(), int(std::nearbyint(double(expected.next()) * 360)));
    EXPECT_EQ(running.global().Speed, float(double(expected.next()) * 5));
    running.key(VirtualKey::F4);
    EXPECT_EQ(running.form().picScreenSaver.Left(), float(double(expected.next()) * (1024 - 282)));
    EXPECT_EQ(running.form().picScreenSaver.Top(), float(double(expected.next()) * (768 - 323)));
}

TEST(Keys, QSwitchesModesWhateverTheTimersWere)
{
    Running running;
    Frmsaver& form = running.form();
    running.key(VirtualKey::Q);
    EXPECT_TRUE(form.timerScreenSaver.Enabled());
    EXPECT_FALSE(form.timerScreenSaver2.Enabled());
    running.key(VirtualKey::F2);
    EXPECT_FALSE(form.timerScreenSaver.Enabled());
    EXPECT_TRUE(form.timerScreenSaver2.Enabled());

    form.timerScreenSaver.set_Enabled(true);
    running.key(VirtualKey::Q); // both on: bounce only
    EXPECT_TRUE(form.timerScreenSaver.Enabled());
    EXPECT_FALSE(form.timerScreenSaver2.Enabled());
    form.timerScreenSaver.set_Enabled(false);
    running.key(VirtualKey::Q); // both off: scroll only
    EXPECT_FALSE(form.timerScreenSaver.Enabled());
    EXPECT_TRUE(form.timerScreenSaver2.Enabled());
}

TEST(Keys, SwitchingModesKeepsThePositionAndTheNewTimerCountsFromTheKey)
{
    Running running;
    running.wait(40);
    float const left = running.form().picScreenSaver.Left();
    running.key(VirtualKey::Q);
    EXPECT_EQ(running.form().picScreenSaver.Left(), left);
    running.ticks_delivered.clear();
    running.wait(29);
    EXPECT_TRUE(running.ticks_delivered.empty());
    running.wait(1);
    ASSERT_EQ(running.ticks_delivered.size(), 1u);
    EXPECT_EQ(running.ticks_delivered[0], TimerId::Bounce);
}

TEST(Mouse, MovesWorkInPairs)
{
    Running running;
    running.move(300, 200);
    EXPECT_EQ(running.form().LastMouseX, 300);
    running.move(300, 200);
    EXPECT_EQ(running.form().LastMouseX, 0);
    running.move(300, 200);
    running.move(301, 200);
    EXPECT_TRUE(running.ended_by_user());

    Running other;
    other.move(300, 200);
    other.move(300, 201);
    EXPECT_TRUE(other.ended_by_user());
}

TEST(Mouse, TheCornerCountsAsNothingRecorded)
{
    Running running;
    running.move(0, 0);
    running.move(0, 0);
    running.move(500, 700);
    EXPECT_TRUE(running.saver.running());
    running.move(501, 700);
    EXPECT_TRUE(running.ended_by_user());

    Running edge;
    edge.move(0, 700);
    edge.move(0, 700);
    EXPECT_TRUE(edge.saver.running());
    EXPECT_EQ(edge.form().LastMouseY, 0);
}

TEST(Mouse, RecordingRoundsButComparingDoesNot)
{
    Running running;
    running.move(2.5f, 700);
    EXPECT_EQ(running.form().LastMouseX, 2);
    running.move(2, 700);
    running.move(3.5f, 700);
    EXPECT_EQ(running.form().LastMouseX, 4);
    running.move(4, 700);
    running.move(100.4f, 700);
    EXPECT_EQ(running.form().LastMouseX, 100);
    running.move(100.4f, 700);
    EXPECT_TRUE(running.ended_by_user());
}

TEST(Mouse, FarAwayCoordinatesAreClampedNotFatal)
{
    Running running;
    running.move(1e6f, -1e6f);
    EXPECT_TRUE(running.saver.running());
    EXPECT_EQ(running.form().LastMouseX, 32767);
    EXPECT_EQ(running.form().LastMouseY, -32768);
}

TEST(Mouse, APointerThatReturnsStartsANewPairButMovesAfterItStillEnd)
{
    Running running;
    running.move(300, 200);
    running.saver.pointer_returned();
    running.move(150, 100); // the same spot, in another output scale's units
    EXPECT_TRUE(running.saver.running());
    EXPECT_EQ(running.form().LastMouseX, 150);
    running.move(151, 100);
    EXPECT_TRUE(running.ended_by_user());

    // Where nothing was recorded, a return changes nothing.
    Running fresh;
    fresh.saver.pointer_returned();
    fresh.move(10, 20);
    fresh.move(10, 20);
    EXPECT_EQ(fresh.form().LastMouseX, 0);
    fresh.saver.pointer_returned();
    fresh.move(40, 50);
    EXPECT_TRUE(fresh.saver.running());
}

TEST(Mouse, AnyPressOnTheSurfaceEnds)
{
    for (MouseButton button : { MouseButton::Left, MouseButton::Right, MouseButton::Middle }) {
        Running running;
        running.press(button, 1000, 700);
        EXPECT_TRUE(running.ended_by_user()) << code_of(button);
    }
}

TEST(Mouse, TheBoxAndTheVisibleBannerTakeTheirOwnEvents)
{
    Running running;
    Frmsaver& form = running.form();
    form.picScreenSaver.set_Left(100.5f); // drawn at 100
    form.picScreenSaver.set_Top(401.5f); // drawn at 402
    EXPECT_EQ(running.move(100, 402), HitTarget::Box);
    EXPECT_EQ(running.move(383, 726), HitTarget::Box);
    EXPECT_EQ(running.press(MouseButton::Left, 200, 500), HitTarget::Box);
    EXPECT_EQ(running.move(9, 9), HitTarget::Banner);
    EXPECT_EQ(running.press(MouseButton::Left, 8 + float(form.Birthday.Width()) - 0.5f, 20.9f), HitTarget::Banner);
    EXPECT_TRUE(running.saver.running());
    EXPECT_EQ(form.LastMouseX, 0);

    EXPECT_EQ(running.move(384, 726), HitTarget::Form); // just right of the box
    running.move(384, 726);
    running.wait(2000); // the banner hides
    EXPECT_EQ(running.move(9, 9), HitTarget::Form);
    EXPECT_TRUE(running.saver.running());
    EXPECT_EQ(running.press(MouseButton::Left, 9, 9), HitTarget::Form);
    EXPECT_TRUE(running.ended_by_user());
}

}
