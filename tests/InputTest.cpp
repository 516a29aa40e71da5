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
    for (int code : { 32, 13, 97, 65, 115, 83, 37, 38, 39, 40, 113, 81 }) {
        Running running;
        running.key(code);
        EXPECT_TRUE(running.saver.running()) << code;
    }
    for (int code : { 27, 9, 48, 57, 88, 16, 17, 18, 20, 144, 35, 112, 114, 66, 0, 255, -1 }) {
        Running running;
        running.key(code);
        EXPECT_TRUE(running.ended_by_user()) << code;
        EXPECT_TRUE(running.host().window_unloaded()) << code;
    }
}

TEST(Keys, ArrowsTurnAndTheHeadingIsNormalised)
{
    Running running;
    running.set_heading(0);
    running.key(37);
    EXPECT_EQ(running.heading(), 355);
    running.key(39);
    EXPECT_EQ(running.heading(), 0);
    running.set_heading(360);
    float const speed = running.global().Speed;
    running.key(38);
    EXPECT_EQ(running.heading(), 0);
    EXPECT_EQ(running.global().Speed, float(double(speed) + 0.5));
    running.set_heading(-1000);
    running.key(37);
    EXPECT_EQ(running.heading(), -285);
    running.key(37);
    EXPECT_EQ(running.heading(), 70);
}

TEST(Keys, HeadingOverflowSkipsOnlyTheFailingStatement)
{
    Running running;
    running.set_heading(32402);
    running.key(39);
    EXPECT_EQ(running.heading(), 7);
    running.set_heading(32403);
    running.key(39);
    EXPECT_EQ(running.heading(), 32408);
    running.set_heading(32763);
    running.key(39);
    EXPECT_EQ(running.heading(), 32763);
    running.set_heading(-32764);
    running.key(37);
    EXPECT_EQ(running.heading(), -4); // the turn overflows, the normalisation still runs
    EXPECT_TRUE(running.saver.running());
}

TEST(Keys, SpeedHasNoBounds)
{
    Running running;
    running.global().Speed = 0.25f;
    running.key(40);
    running.key(40);
    EXPECT_EQ(running.global().Speed, -0.75f);
}

TEST(Keys, SpaceTogglesTheSpeedUpAndEnterOnlyRestartsItsClock)
{
    Running running;
    running.key(32);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "1");
    running.key(32);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "0");
    running.key(32);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "1");
    running.wait(1500);
    running.key(13);
    EXPECT_EQ(running.global().SpeedUp.trace_text(), "1");
    EXPECT_EQ(running.form().timerScreenSaver.Tag(), "43201.5");
}

TEST(Keys, CourseAndPlacementDrawLikeTheLoad)
{
    Running running;
    RandomGenerator expected = running.saver.runtime().random();
    running.key(65);
    EXPECT_EQ(running.heading(), int(std::nearbyint(double(expected.next()) * 360)));
    EXPECT_EQ(running.global().Speed, float(double(expected.next()) * 5));
    running.key(115);
    EXPECT_EQ(running.form().picScreenSaver.Left(), float(double(expected.next()) * (1024 - 282)));
    EXPECT_EQ(running.form().picScreenSaver.Top(), float(double(expected.next()) * (768 - 323)));
}

TEST(Keys, QSwitchesModesWhateverTheTimersWere)
{
    Running running;
    Frmsaver& form = running.form();
    running.key(81);
    EXPECT_TRUE(form.timerScreenSaver.Enabled());
    EXPECT_FALSE(form.timerScreenSaver2.Enabled());
    running.key(113);
    EXPECT_FALSE(form.timerScreenSaver.Enabled());
    EXPECT_TRUE(form.timerScreenSaver2.Enabled());

    form.timerScreenSaver.set_Enabled(true);
    running.key(81); // both on: bounce only
    EXPECT_TRUE(form.timerScreenSaver.Enabled());
    EXPECT_FALSE(form.timerScreenSaver2.Enabled());
    form.timerScreenSaver.set_Enabled(false);
    running.key(81); // both off: scroll only
    EXPECT_FALSE(form.timerScreenSaver.Enabled());
    EXPECT_TRUE(form.timerScreenSaver2.Enabled());
}

TEST(Keys, SwitchingModesKeepsThePositionAndTheNewTimerCountsFromTheKey)
{
    Running running;
    running.wait(40);
    float const left = running.form().picScreenSaver.Left();
    running.key(81);
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

TEST(Mouse, AnyPressOnTheSurfaceEnds)
{
    for (int button : { 1, 2, 4 }) {
        Running running;
        running.press(button, 1000, 700);
        EXPECT_TRUE(running.ended_by_user()) << button;
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
    EXPECT_EQ(running.press(1, 200, 500), HitTarget::Box);
    EXPECT_EQ(running.move(9, 9), HitTarget::Banner);
    EXPECT_EQ(running.press(1, 8 + float(form.Birthday.Width()) - 0.5f, 20.9f), HitTarget::Banner);
    EXPECT_TRUE(running.saver.running());
    EXPECT_EQ(form.LastMouseX, 0);

    EXPECT_EQ(running.move(384, 726), HitTarget::Form); // just right of the box
    running.move(384, 726);
    running.wait(2000); // the banner hides
    EXPECT_EQ(running.move(9, 9), HitTarget::Form);
    EXPECT_TRUE(running.saver.running());
    EXPECT_EQ(running.press(1, 9, 9), HitTarget::Form);
    EXPECT_TRUE(running.ended_by_user());
}

}
