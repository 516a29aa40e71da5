#include "Harness.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <gtest/gtest.h>

namespace qm::test {

TEST(StartUp, OnlyTheRunSwitchOpensTheWindow)
{
    for (char const* run : { "/S", "/s" }) {
        Harness harness;
        harness.start(run);
        EXPECT_TRUE(harness.saver.running()) << run;
        EXPECT_TRUE(harness.host().window_shown()) << run;
    }
    for (char const* other : { "", "/S ", " /S", "/s:1", "/p 1234", "/c 5", "/c:5", "/SS", "S" }) {
        Harness harness;
        harness.start(other);
        EXPECT_EQ(harness.saver.ending(), Saver::Ending::Quit) << other;
        EXPECT_FALSE(harness.host().window_shown()) << other;
        EXPECT_EQ(harness.saver.form(), nullptr) << other;
        EXPECT_TRUE(harness.boxes.empty()) << other;
    }
}

TEST(StartUp, TheConfigureSwitchShowsTheBoxThenEnds)
{
    for (char const* configure : { "/C", "/c" }) {
        Harness harness;
        harness.start(configure);
        ASSERT_EQ(harness.boxes.size(), 1u);
        EXPECT_EQ(harness.boxes[0], "There are no configuration options for the screensaver 'Quilvenmoor'|S C R E E N   S A V E R|64");
        EXPECT_EQ(harness.saver.ending(), Saver::Ending::Quit);
        EXPECT_FALSE(harness.host().window_shown());
    }
}

TEST(StartUp, ASecondCopyEndsSilentlyWhateverItsSwitch)
{
    for (char const* arguments : { "/S", "/C" }) {
        Harness harness;
        harness.previous_instance().start(arguments);
        EXPECT_EQ(harness.saver.ending(), Saver::Ending::Quit);
        EXPECT_TRUE(harness.boxes.empty());
        EXPECT_FALSE(harness.host().window_shown());
    }
}

TEST(StartUp, NoEventReachesAHandlerBeforeStartOrAfterTheEnd)
{
    Harness harness;
    harness.key(VirtualKey::Escape);
    EXPECT_EQ(harness.saver.state(), Saver::State::NotStarted);
    harness.start();
    harness.key(VirtualKey::Escape);
    EXPECT_TRUE(harness.ended_by_user());
    EXPECT_TRUE(harness.host().window_unloaded());
    float const left = harness.form().picScreenSaver.Left();
    harness.saver.tick(TimerId::Scroll, harness.now());
    harness.key(VirtualKey::Space);
    EXPECT_EQ(harness.form().picScreenSaver.Left(), left);
    EXPECT_TRUE(harness.global().SpeedUp.is_empty());
}

TEST(Load, TheWindowStartsInScrollModeWithThePlaceholderClock)
{
    Harness harness;
    harness.start();
    Frmsaver& form = harness.form();
    EXPECT_TRUE(form.timerScreenSaver2.Enabled());
    EXPECT_TRUE(form.timerBirthday.Enabled());
    EXPECT_FALSE(form.timerScreenSaver.Enabled());
    EXPECT_EQ(form.Label1.Caption(), "Booooooooooooooooooooooo");
    EXPECT_EQ(form.picScreenSaver.ScaleWidth(), 282);
    EXPECT_EQ(form.picScreenSaver.ScaleHeight(), 323);
    EXPECT_EQ(form.ScaleWidth(), 1024);
    harness.wait(29);
    EXPECT_EQ(form.Label1.Caption(), "Booooooooooooooooooooooo");
    harness.wait(1);
    EXPECT_EQ(form.Label1.Caption(), "12:00:00      01-01-2000");
}

TEST(Load, SeedsFromTheClockAndDrawsCourseAndPlacementInOrder)
{
    Harness harness({ 1920, 1080 }, ClockReading({ 2026, 12, 7 }, 3'723'250));
    harness.start();
    float const timer = 3723.25f;
    RandomGenerator expected;
    expected.randomize(double(timer * timer));
    int const heading = int(std::nearbyint(double(expected.next()) * 360));
    float const speed = float(double(expected.next()) * 5);
    float const left = float(double(expected.next()) * (1920 - 282));
    float const top = float(double(expected.next()) * (1080 - 323));
    EXPECT_EQ(harness.global().Heading, heading);
    EXPECT_EQ(harness.global().Speed, speed);
    EXPECT_EQ(harness.form().picScreenSaver.Left(), left);
    EXPECT_EQ(harness.form().picScreenSaver.Top(), top);
    EXPECT_EQ(harness.form().timerScreenSaver.Tag(), "3723.25");
}

TEST(Load, EqualClockReadingsGiveEqualStarts)
{
    Harness first({ 800, 600 }, ClockReading({ 2001, 2, 3 }, 1234));
    Harness second({ 800, 600 }, ClockReading({ 2011, 4, 5 }, 1234));
    first.start();
    second.start();
    EXPECT_EQ(first.global().Heading, second.global().Heading);
    EXPECT_EQ(first.global().Speed, second.global().Speed);
    EXPECT_EQ(first.form().picScreenSaver.Left(), second.form().picScreenSaver.Left());
    EXPECT_EQ(first.form().picScreenSaver.Top(), second.form().picScreenSaver.Top());
}

TEST(Load, AWindowSmallerThanTheBoxPlacesItOverhangingTheEdges)
{
    Harness harness({ 200, 100 });
    harness.start();
    EXPECT_LE(harness.form().picScreenSaver.Left(), 0.0f);
    EXPECT_GT(harness.form().picScreenSaver.Left(), -82.0f);
    EXPECT_LE(harness.form().picScreenSaver.Top(), 0.0f);
    EXPECT_GT(harness.form().picScreenSaver.Top(), -223.0f);
}

TEST(Banner, ShowsTheBirthdayGreetingOnlyOnTwelfthMay)
{
    Harness birthday({ 1024, 768 }, ClockReading({ 2024, 5, 12 }, 0));
    birthday.start();
    EXPECT_EQ(birthday.form().Birthday.Caption(), "Its my Birthday! :)");
    for (CivilDate other : { CivilDate { 2024, 6, 12 }, CivilDate { 2024, 12, 5 }, CivilDate { 2024, 5, 11 } }) {
        Harness harness({ 1024, 768 }, ClockReading(other, 0));
        harness.start();
        EXPECT_EQ(harness.form().Birthday.Caption(), "Quilvenmoor ScreenSaver V1.41 : Folvaren");
    }
    // The greeting is narrower, its corner stays where it is.
    Harness normal;
    normal.start();
    EXPECT_LT(birthday.form().Birthday.Width(), normal.form().Birthday.Width());
    EXPECT_EQ(birthday.form().Birthday.Left(), 8);
    EXPECT_EQ(birthday.form().Birthday.Top(), 8);
}

TEST(Banner, TheCreditsLineCoversEightTo309ByEightTo20)
{
    Harness harness;
    harness.start();
    Label const& banner = harness.form().Birthday;
    EXPECT_EQ(banner.Width(), 302);
    EXPECT_EQ(banner.Height(), 13);
    // The greeting takes its width from the same glyph advances.
    Harness birthday({ 1024, 768 }, ClockReading({ 2024, 5, 12 }, 0));
    birthday.start();
    EXPECT_EQ(birthday.form().Birthday.Width(), 126);

    // Far from the box, so that only the banner and the bare surface are hit.
    harness.form().picScreenSaver.set_Left(600);
    harness.form().picScreenSaver.set_Top(400);
    Frmsaver const& form = harness.form();
    for (auto [x, y] : { std::pair { 8.0f, 8.0f }, { 309.0f, 8.0f }, { 8.0f, 20.0f }, { 309.9f, 20.9f } })
        EXPECT_EQ(form.hit_test(x, y), HitTarget::Banner) << x << "," << y;
    for (auto [x, y] : { std::pair { 7.9f, 8.0f }, { 310.0f, 8.0f }, { 8.0f, 7.9f }, { 8.0f, 21.0f }, { 310.0f, 21.0f } })
        EXPECT_EQ(form.hit_test(x, y), HitTarget::Form) << x << "," << y;

    // A press on the banner's last column keeps the saver; one column further ends it.
    EXPECT_EQ(harness.press(MouseButton::Left, 309, 14), HitTarget::Banner);
    EXPECT_TRUE(harness.saver.running());
    EXPECT_EQ(harness.press(MouseButton::Left, 310, 14), HitTarget::Form);
    EXPECT_TRUE(harness.ended_by_user());
}

TEST(Banner, HidesOnceAfterTwoSecondsAndLeavesTheClockAlone)
{
    Harness harness;
    harness.start();
    harness.wait(1999);
    EXPECT_TRUE(harness.form().Birthday.Visible());
    harness.wait(1);
    EXPECT_FALSE(harness.form().Birthday.Visible());
    harness.wait(10000);
    EXPECT_EQ(std::count(harness.ticks_delivered.begin(), harness.ticks_delivered.end(), TimerId::Banner), 1);
    EXPECT_EQ(harness.form().Label1.Caption(), "12:00:12      01-01-2000");
}

TEST(Banner, ALateTickAtMidnightStillNamesTheLoadDay)
{
    Harness harness({ 1024, 768 }, ClockReading({ 2024, 5, 11 }, 86'399'000));
    harness.start();
    harness.wait(3000);
    EXPECT_EQ(harness.form().Birthday.Caption(), "Quilvenmoor ScreenSaver V1.41 : Folvaren");
    EXPECT_EQ(harness.form().Label1.Caption(), "00:00:02      05-12-2024");
}

}

namespace qm::test {

// A loop that woke for nobody to see batches its ticks; after the batch the
// saver must be where a run that woke for every tick on time has it, with the
// speed-up clock read at each tick's own time, across midnight too.
TEST(UnseenBatch, EndsWhereARunThatWokeForEveryTickIsAndWakesOnceASecond)
{
    ClockReading const before_midnight({ 2001, 3, 4 }, milliseconds_per_day - 5'000);
    Harness seen({ 1024, 768 }, before_midnight);
    Harness unseen({ 1024, 768 }, before_midnight);
    for (Harness* harness : { &seen, &unseen }) {
        harness->start();
        harness->key(VirtualKey::Q); // bounce mode
        harness->key(VirtualKey::Space); // the speed-up, which reads the clock
    }
    seen.wait(12'345);

    std::int64_t const now = unseen.host().now() + 12'345;
    EXPECT_EQ(next_tick_wake(unseen.host().scheduler(), Visibility::Unseen, now - 400), now + 600);
    EXPECT_EQ(next_tick_wake(unseen.host().scheduler(), Visibility::Seen, now - 400), unseen.host().scheduler().next_due());
    int const delivered = deliver_due_ticks_in_batch(unseen.host(), unseen.saver, now, unseen.now().advanced_by(12'345));

    EXPECT_EQ(delivered, static_cast<int>(seen.ticks_delivered.size()));
    EXPECT_EQ(unseen.host().now(), seen.host().now());
    EXPECT_EQ(unseen.form().picScreenSaver.Left(), seen.form().picScreenSaver.Left());
    EXPECT_EQ(unseen.form().picScreenSaver.Top(), seen.form().picScreenSaver.Top());
    EXPECT_EQ(unseen.form().Label1.Caption(), seen.form().Label1.Caption());
    EXPECT_EQ(unseen.global().Heading, seen.global().Heading);
}

}
