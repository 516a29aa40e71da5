#include "Harness.h"

#include "platform/runtime/Numeric.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qm::test {

namespace {

// A running saver of 1000 x 800 with a known state, in the chosen mode.
struct Motion : Harness {
    enum class Mode {
        Scroll,
        Bounce,
    };

    explicit Motion(Mode mode, ClockReading clock = ClockReading({ 2000, 1, 1 }, 43'200'000))
        : Harness({ 1000, 800 }, clock)
    {
        start();
        form().timerBirthday.set_Enabled(false);
        if (mode == Mode::Bounce)
            key(VirtualKey::Q);
    }

    void place(float left, float top, int heading, float speed)
    {
        form().picScreenSaver.set_Left(left);
        form().picScreenSaver.set_Top(top);
        global().Heading = static_cast<Integer>(heading);
        global().Speed = speed;
    }

    float left() { return form().picScreenSaver.Left(); }
    float top() { return form().picScreenSaver.Top(); }
    int heading() { return global().Heading; }
    void tick() { wait(30); }
};

using Mode = Motion::Mode;

}

TEST(Bounce, EdgesReflectWhenTouchedExactly)
{
    Motion motion(Mode::Bounce);
    motion.place(100, 0, 30, 0); // top
    motion.tick();
    EXPECT_EQ(motion.heading(), 150);
    motion.place(100, 800 - 323, 30, 0); // bottom meets the bottom
    motion.tick();
    EXPECT_EQ(motion.heading(), 150);
    motion.place(0, 100, 30, 0); // left
    motion.tick();
    EXPECT_EQ(motion.heading(), 330);
    motion.place(1000 - 282, 100, 30, 0); // right meets the right
    motion.tick();
    EXPECT_EQ(motion.heading(), 330);
    motion.place(0.001f, 0.001f, 30, 0); // inside: nothing
    motion.tick();
    EXPECT_EQ(motion.heading(), 30);
    motion.place(1000 - 282.01f, 800 - 323.01f, 30, 0);
    motion.tick();
    EXPECT_EQ(motion.heading(), 30);
}

TEST(Bounce, ACornerTurnsTheHeadingByHalfACircleAndMovesInTheNewDirection)
{
    Motion motion(Mode::Bounce);
    motion.place(0, 0, 45, 2);
    motion.tick();
    EXPECT_EQ(motion.heading(), 225);
    EXPECT_LT(motion.left(), 0);
    EXPECT_GT(motion.top(), 0);
}

TEST(Bounce, FourEdgesInTurnLetTheHeadingLeaveTheCircle)
{
    Motion motion(Mode::Bounce);
    motion.place(100, 0, 30, 0);
    motion.tick();
    motion.place(1000 - 282, 100, motion.heading(), 0);
    motion.tick();
    motion.place(100, 800 - 323, motion.heading(), 0);
    motion.tick();
    EXPECT_EQ(motion.heading(), -30);
    motion.place(0, 100, motion.heading(), 0);
    motion.tick();
    EXPECT_EQ(motion.heading(), 390);
}

TEST(Bounce, ABoxStuckInACornerReflectsForeverWithoutOverflow)
{
    Motion motion(Mode::Bounce);
    motion.place(0, 0, 45, 0);
    motion.wait(30 * 5000);
    EXPECT_TRUE(motion.saver.running());
    EXPECT_EQ(motion.left(), 0);
    EXPECT_EQ(motion.top(), 0);
    // Each tick adds 180; the fold keeps the value a whole degree in range.
    EXPECT_EQ(((motion.heading() % 360) + 360) % 360, 45 + 180 * (5000 % 2));
}

TEST(Bounce, StepsAlongTheHeadingAndSpeedUpMultipliesTheStep)
{
    Motion motion(Mode::Bounce);
    motion.place(500, 400, 0, 4);
    motion.tick();
    EXPECT_EQ(motion.left(), 500);
    EXPECT_EQ(motion.top(), 396);

    motion.place(500, 400, 90, 4);
    motion.tick();
    EXPECT_FLOAT_EQ(motion.left(), 504);
    EXPECT_NEAR(motion.top(), 400 + 4 * 0.000204, 1e-4); // the 3.142 drift

    // Negative speed goes against the heading.
    motion.place(500, 400, 0, -4);
    motion.tick();
    EXPECT_EQ(motion.top(), 404);
}

TEST(Bounce, OneMinuteOfSpeedUpDoublesTheStepAndEnterRestartsIt)
{
    // Bounce ticks run at 30, 60, ...: the one at 60000 is a minute after the restart at 0.
    Motion motion(Mode::Bounce);
    motion.key(VirtualKey::Space);
    motion.key(VirtualKey::Return);
    motion.wait(60000 - 30);
    motion.place(500, 400, 0, 1);
    motion.tick();
    EXPECT_EQ(motion.top(), 398);
    motion.key(VirtualKey::Return);
    motion.place(500, 400, 0, 1);
    motion.tick();
    EXPECT_NEAR(motion.top(), 399, 0.001);
}

TEST(Scroll, WrapsOnlyPastOneFurtherBoxWidth)
{
    Motion motion(Mode::Scroll);
    motion.place(1000 + 282, 100, 0, 0); // L = W + w: wraps
    motion.tick();
    EXPECT_EQ(motion.left(), -564);
    EXPECT_NE(motion.top(), 100);
    EXPECT_GE(motion.top(), 0);
    EXPECT_LT(motion.top(), 800 - 323);

    motion.place(-564, 100, 0, 0); // L = -2 w: the left test is strict
    motion.tick();
    EXPECT_EQ(motion.left(), -564);
    EXPECT_EQ(motion.top(), 100);

    motion.place(1000 + 281.99f, 100, 0, 0);
    motion.tick();
    EXPECT_EQ(motion.top(), 100);
}

TEST(Scroll, EachWrapDrawsExactlyOneValueAndTheMoveFollows)
{
    Motion motion(Mode::Scroll);
    motion.place(1000 + 282, 100, 0, 3);
    RandomGenerator expected = motion.saver.runtime().random();
    float const draw = expected.next();
    motion.tick();
    EXPECT_EQ(motion.left(), -561);
    EXPECT_EQ(motion.top(), float(double(draw) * (800 - 323)));
    EXPECT_EQ(motion.saver.runtime().random().state(), expected.state());
}

TEST(Scroll, ALeftWrapWithNoStepIsFollowedByARightWrap)
{
    Motion motion(Mode::Scroll);
    motion.place(-564.5f, 100, 0, 0);
    motion.tick();
    EXPECT_EQ(motion.left(), 1000 + 282);
    motion.tick();
    EXPECT_EQ(motion.left(), -564);
    float const top = motion.top();
    motion.tick();
    EXPECT_EQ(motion.left(), -564);
    EXPECT_EQ(motion.top(), top);
}

TEST(Scroll, NegativeSpeedTravelsLeftAndHugeStepsWrapEveryTick)
{
    Motion motion(Mode::Scroll);
    motion.place(10, 100, 0, -2.5f);
    motion.tick();
    EXPECT_EQ(motion.left(), 7.5f);

    motion.place(-564, 100, 0, 1000 + 3 * 282);
    motion.tick();
    EXPECT_EQ(motion.left(), 1000 + 282);
    for (int i = 0; i < 5; ++i) {
        float const top = motion.top();
        motion.tick();
        EXPECT_EQ(motion.left(), 1000 + 282);
        EXPECT_NE(motion.top(), top);
    }
}

TEST(Scroll, SpeedUpAfterMidnightKeepsCountingForward)
{
    Motion motion(Mode::Scroll, ClockReading({ 2000, 1, 1 }, 86'399'970));
    motion.key(VirtualKey::Space);
    motion.key(VirtualKey::Return); // restarted at 86399.97
    motion.wait(60000 - 30);
    motion.place(100, 100, 0, 1);
    motion.tick(); // 59.97 s after midnight: one minute has passed, not minus a day
    EXPECT_NEAR(motion.left(), 102, 0.01);
}

// Whether the whole box lies inside a screen of this size.
static bool wholly_inside(Motion& motion, float width, float height)
{
    return motion.left() >= 0 && motion.top() >= 0 && motion.left() + 282 <= width && motion.top() + 323 <= height;
}

TEST(ScreenChange, ScrollWrapsABoxLeftOutsideAShrunkenScreenBackIntoView)
{
    Motion motion(Mode::Scroll);
    motion.place(900, 700, 0, 10);
    motion.saver.resize({ 500, 400 });
    EXPECT_EQ(motion.form().ScaleWidth(), 500);
    EXPECT_EQ(motion.form().ScaleHeight(), 400);
    EXPECT_EQ(motion.left(), 900); // the box stays where it was
    motion.tick();
    // It wraps as soon as it is one box width past the new right edge...
    EXPECT_EQ(motion.left(), -2 * 282 + 10);
    EXPECT_LE(motion.top(), 400 - 323);
    // ...and glides in from the left within the pass.
    int ticks = 0;
    while (!wholly_inside(motion, 500, 400) && ticks < 100) {
        motion.tick();
        ++ticks;
    }
    EXPECT_LT(ticks, 100);
}

TEST(ScreenChange, ScrollPutsABoxBelowAShrunkenBottomEdgeAgainstItAtOnce)
{
    // Wholly below the new edge, overhanging it, and inside it: only the
    // first two move, and only upwards; no random value is drawn.
    struct Case {
        float top;
        float expected_top;
    };
    for (Case const& test : { Case { 700, 400 - 323 }, Case { 200, 400 - 323 }, Case { 50, 50 } }) {
        Motion motion(Mode::Scroll);
        motion.place(100, test.top, 0, 1);
        motion.saver.resize({ 1000, 400 });
        EXPECT_EQ(motion.top(), test.expected_top) << "top " << test.top;
        EXPECT_EQ(motion.left(), 100);
        motion.tick();
        EXPECT_EQ(motion.top(), test.expected_top) << "top " << test.top;
        EXPECT_EQ(motion.left(), 101);
    }
    // Beyond a new right edge the box keeps its place: the next wraps bring it round.
    Motion motion(Mode::Scroll);
    motion.place(700, 50, 0, 1);
    motion.saver.resize({ 500, 800 });
    EXPECT_EQ(motion.left(), 700);
    EXPECT_EQ(motion.top(), 50);
}

TEST(ScreenChange, BounceBringsABoxLeftOutsideAShrunkenScreenBackAndKeepsItThere)
{
    for (int heading : { 30, 120, 210, 300 }) {
        Motion motion(Mode::Bounce);
        motion.place(900, 700, heading, 5);
        motion.saver.resize({ 500, 400 });
        // Put against the new edges, so that the next tick reflects it off them.
        EXPECT_EQ(motion.left(), 500 - 282);
        EXPECT_EQ(motion.top(), 400 - 323);
        for (int tick = 0; tick < 2000; ++tick) {
            motion.tick();
            ASSERT_GE(motion.left(), -5.01f) << "heading " << heading << ", tick " << tick;
            ASSERT_LE(motion.left() + 282, 505.01f) << "heading " << heading << ", tick " << tick;
            ASSERT_GE(motion.top(), -5.01f) << "heading " << heading << ", tick " << tick;
            ASSERT_LE(motion.top() + 323, 405.01f) << "heading " << heading << ", tick " << tick;
        }
    }
}

TEST(ScreenChange, AGrownScreenLetsTheBoxTravelFurtherAndLeavesAnInsideBoxAlone)
{
    Motion motion(Mode::Bounce);
    motion.place(600, 300, 90, 10);
    motion.saver.resize({ 1600, 800 });
    EXPECT_EQ(motion.left(), 600);
    float furthest = 0;
    for (int tick = 0; tick < 200; ++tick) {
        motion.tick();
        furthest = std::max(furthest, motion.left() + 282);
    }
    EXPECT_GT(furthest, 1590);
    EXPECT_LE(furthest, 1610);
}

TEST(ClockCaption, TimeBeforeDateWithSixSpacesBetween)
{
    Motion motion(Mode::Scroll, ClockReading({ 2000, 3, 7 }, (9 * 3600 + 5 * 60 + 3) * 1000 - 30));
    motion.tick();
    EXPECT_EQ(motion.form().Label1.Caption(), "09:05:03      03-07-2000");
    EXPECT_EQ(motion.form().Label1.Caption().size(), 24u);
    motion.key(VirtualKey::Q); // bounce ticks from here on: 60, 90, ... after the tick above
    motion.wait(990);
    EXPECT_EQ(motion.form().Label1.Caption(), "09:05:03      03-07-2000");
    motion.wait(30);
    EXPECT_EQ(motion.form().Label1.Caption(), "09:05:04      03-07-2000");
}

}
