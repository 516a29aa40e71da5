#include "platform/desktop/idle/IdleOptions.h"
#include "platform/desktop/idle/IdleWatch.h"
#include "platform/desktop/idle/InhibitorBook.h"
#include "platform/desktop/idle/SourceChoice.h"

#include <gtest/gtest.h>

#include <set>

using namespace qm::idle;

namespace {

IdleOptions parse(std::vector<std::string_view> const& arguments) { return parse_idle_options(arguments); }

}

TEST(IdleOptions, MinutesAreDecimalsAboveZeroAndAtMostAWeek)
{
    EXPECT_EQ(parse_minutes("10"), 10.0);
    EXPECT_EQ(parse_minutes("0.05"), 0.05);
    EXPECT_EQ(parse_minutes("10080"), 10080.0);
    EXPECT_EQ(parse_minutes(".5"), 0.5);
    for (std::string_view bad : { "", "0", "0.0", "-1", "+1", "1e3", "inf", "nan", "0x10", "10080.5", "1,5", "5 ", "ten", "1.2.3", "0.000001" })
        EXPECT_FALSE(parse_minutes(bad).has_value()) << bad;
    EXPECT_EQ(minutes_to_milliseconds(0.05), 3000);
    EXPECT_EQ(minutes_to_milliseconds(10), 600000);
}

TEST(IdleOptions, ActionsAndMinutes)
{
    EXPECT_EQ(parse({}).action, IdleOptions::Action::Watch);
    EXPECT_EQ(parse({}).minutes, 10.0);
    auto options = parse({ "--minutes", "2.5" });
    EXPECT_EQ(options.action, IdleOptions::Action::Watch);
    EXPECT_EQ(options.minutes, 2.5);
    options = parse({ "--enable", "--minutes=3" });
    EXPECT_EQ(options.action, IdleOptions::Action::Enable);
    EXPECT_EQ(options.minutes, 3.0);
    EXPECT_TRUE(options.minutes_given);
    EXPECT_EQ(parse({ "-m", "1", "--enable" }).action, IdleOptions::Action::Enable);
    EXPECT_EQ(parse({ "--help" }).action, IdleOptions::Action::Help);
    EXPECT_EQ(parse({ "-V" }).action, IdleOptions::Action::Version);
    EXPECT_EQ(parse({ "--status" }).action, IdleOptions::Action::Status);
    EXPECT_EQ(parse({ "--disable" }).action, IdleOptions::Action::Disable);
    EXPECT_EQ(parse({ "--status", "--status" }).action, IdleOptions::Action::Status);
}

TEST(IdleOptions, MistakesAreErrorsThatSayWhat)
{
    struct Case {
        std::vector<std::string_view> arguments;
        std::string_view said;
    };
    for (auto const& [arguments, said] : std::vector<Case> {
             { { "--minutes" }, "needs a number" },
             { { "--minutes", "-3" }, "'-3'" },
             { { "--minutes=abc" }, "'abc'" },
             { { "--minutes", "0" }, "above 0" },
             { { "/S" }, "unknown argument '/S'" },
             { { "--enable", "--disable" }, "cannot go with" },
             { { "--status", "--minutes", "5" }, "--minutes goes only" },
             { { "--disable", "--minutes", "5" }, "--minutes goes only" },
             { { "--status=yes" }, "takes no value" },
         }) {
        auto const options = parse(arguments);
        EXPECT_EQ(options.action, IdleOptions::Action::Error) << arguments.front();
        EXPECT_NE(options.error.find(said), std::string::npos) << options.error;
    }
}

TEST(Autostart, PathFollowsXdgConfigHomeElseHome)
{
    EXPECT_EQ(autostart_path("/c", "/home/u"), "/c/autostart/quilvenmoor-idle.desktop");
    EXPECT_EQ(autostart_path("/c/", "/home/u"), "/c/autostart/quilvenmoor-idle.desktop");
    EXPECT_EQ(autostart_path(nullptr, "/home/u"), "/home/u/.config/autostart/quilvenmoor-idle.desktop");
    EXPECT_EQ(autostart_path("", "/home/u"), "/home/u/.config/autostart/quilvenmoor-idle.desktop");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    EXPECT_EQ(autostart_path("relative", "/home/u"), "/home/u/.config/autostart/quilvenmoor-idle.desktop");
    EXPECT_EQ(autostart_path(nullptr, nullptr), "");
    EXPECT_EQ(autostart_path(nullptr, "relative"), "");
}

TEST(Autostart, EntryRunsTheProgramWithItsMinutesAndReadsBack)
{
    auto const entry = autostart_entry("/usr/bin/quilvenmoor-idle", 2.5);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->starts_with("[Desktop Entry]\n"));
    EXPECT_NE(entry->find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry->find("\nExec=/usr/bin/quilvenmoor-idle --minutes 2.5\n"), std::string::npos);
    EXPECT_NE(entry->find("\nTryExec=/usr/bin/quilvenmoor-idle\n"), std::string::npos);
    EXPECT_EQ(autostart_minutes(*entry), 2.5);
    EXPECT_EQ(autostart_minutes(*autostart_entry("/x", 10)), 10.0);
    EXPECT_EQ(autostart_minutes(*autostart_entry("/x", 0.05)), 0.05);
    EXPECT_FALSE(autostart_minutes("[Desktop Entry]\nExec=/x\n").has_value());
}

TEST(Autostart, PathsWithReservedCharactersAreQuotedAndEscaped)
{
    // Quoted, with '$' escaped for the Exec field and the backslash doubled for the string value.
    auto const entry = autostart_entry("/home/a b/$x/quilvenmoor-idle", 10);
    ASSERT_TRUE(entry);
    EXPECT_NE(entry->find("\nExec=\"/home/a b/\\\\$x/quilvenmoor-idle\" --minutes 10\n"), std::string::npos) << *entry;
    EXPECT_NE(autostart_entry("/opt/100%/quilvenmoor-idle", 1)->find("Exec=\"/opt/100%%/quilvenmoor-idle\""), std::string::npos);
    EXPECT_FALSE(autostart_entry("/tmp/a\nExec=/bin/evil", 1).has_value());
    EXPECT_EQ(minutes_text(10), "10");
    EXPECT_EQ(minutes_text(0.05), "0.05");
}

TEST(InhibitorBook, CookiesAreDistinctAndNeverZero)
{
    InhibitorBook book;
    std::set<std::uint32_t> cookies;
    for (int i = 0; i < 10; ++i) {
        auto const cookie = book.inhibit(":1." + std::to_string(i), "player", "film");
        ASSERT_TRUE(cookie);
        EXPECT_NE(*cookie, 0u);
        cookies.insert(*cookie);
    }
    EXPECT_EQ(cookies.size(), 10u);
    EXPECT_EQ(book.inhibitors().size(), 10u);
}

TEST(InhibitorBook, OnlyTheCallerEndsItsHold)
{
    InhibitorBook book;
    auto const first = *book.inhibit(":1.5", "player", "film");
    auto const second = *book.inhibit(":1.6", "browser", "video");
    EXPECT_FALSE(book.uninhibit(":1.6", first)) << "another caller's cookie";
    EXPECT_FALSE(book.uninhibit(":1.5", 12345));
    EXPECT_TRUE(book.uninhibit(":1.5", first));
    EXPECT_FALSE(book.uninhibit(":1.5", first)) << "twice";
    ASSERT_EQ(book.inhibitors().size(), 1u);
    EXPECT_EQ(book.inhibitors()[0].cookie, second);
    EXPECT_TRUE(book.uninhibit(":1.6", second));
    EXPECT_TRUE(book.empty());
}

TEST(InhibitorBook, ACallerLeavingTakesAllItsHolds)
{
    InhibitorBook book;
    book.inhibit(":1.5", "player", "film");
    book.inhibit(":1.5", "player", "second window");
    book.inhibit(":1.7", "browser", "video");
    EXPECT_EQ(book.caller_left(":1.5"), 2u);
    EXPECT_EQ(book.caller_left(":1.5"), 0u);
    ASSERT_EQ(book.inhibitors().size(), 1u);
    EXPECT_EQ(book.inhibitors()[0].caller, ":1.7");
}

TEST(InhibitorBook, ACallerKeepsABoundedNumberOfHolds)
{
    InhibitorBook book;
    for (std::size_t i = 0; i < InhibitorBook::holds_per_caller; ++i)
        ASSERT_TRUE(book.inhibit(":1.9", "loop", "again"));
    EXPECT_FALSE(book.inhibit(":1.9", "loop", "again"));
    EXPECT_TRUE(book.inhibit(":1.10", "player", "film")) << "others are not affected";
    auto const cookie = book.inhibitors().front().cookie;
    EXPECT_TRUE(book.uninhibit(":1.9", cookie));
    EXPECT_TRUE(book.inhibit(":1.9", "loop", "again"));
}

TEST(IdleWatch, StartsOnIdleAfterAFullWaitFromTheStart)
{
    IdleWatch watch(3000, 1000);
    EXPECT_FALSE(watch.should_start(1000));
    watch.user_idle(2000); // idle already when the watcher started
    EXPECT_FALSE(watch.should_start(3999));
    EXPECT_EQ(watch.deadline(), 4000);
    EXPECT_TRUE(watch.should_start(4000));
    watch.saver_started();
    EXPECT_EQ(watch.state(), IdleWatch::State::SaverRunning);
    EXPECT_FALSE(watch.should_start(5000));
    EXPECT_FALSE(watch.deadline());
}

TEST(IdleWatch, ADismissedSaverComesBackAfterTheNextIdlePeriod)
{
    IdleWatch watch(3000, 0);
    watch.user_idle(3000);
    ASSERT_TRUE(watch.should_start(3000));
    watch.saver_started();
    watch.user_active(10000); // the key that dismisses it
    watch.saver_ended(IdleWatch::Ending::Normal, 10050);
    EXPECT_FALSE(watch.should_start(20000)) << "not idle";
    watch.user_idle(13000);
    EXPECT_TRUE(watch.should_start(13050));
}

TEST(IdleWatch, ASaverEndedWithoutInputComesBackAFullWaitLater)
{
    IdleWatch watch(3000, 0);
    watch.user_idle(3000);
    watch.saver_started();
    watch.saver_ended(IdleWatch::Ending::Normal, 5000); // ended by someone else; the user stays idle
    EXPECT_FALSE(watch.should_start(7999));
    EXPECT_EQ(watch.deadline(), 8000);
    EXPECT_TRUE(watch.should_start(8000));
}

TEST(IdleWatch, InhibitorsAndTheLockHoldItOffAndTheirEndCountsAsActivity)
{
    IdleWatch watch(3000, 0);
    watch.set_inhibited(true, 0);
    watch.user_idle(3000);
    EXPECT_FALSE(watch.should_start(60000));
    EXPECT_FALSE(watch.deadline()) << "nothing to wake for while inhibited";
    watch.set_inhibited(false, 60000);
    EXPECT_FALSE(watch.should_start(62999));
    EXPECT_TRUE(watch.should_start(63000));

    watch.set_locked(true, 63000);
    EXPECT_FALSE(watch.should_start(90000));
    watch.set_locked(false, 90000);
    EXPECT_TRUE(watch.should_start(93000));
    watch.simulate_activity(93000);
    EXPECT_FALSE(watch.should_start(95000));
    // Setting the same state again is no activity.
    watch.set_locked(false, 95000);
    EXPECT_TRUE(watch.should_start(96000));
}

TEST(IdleWatch, AFailedSaverWaitsForFreshInputAndThreeInARowStop)
{
    IdleWatch watch(1000, 0);
    watch.user_idle(1000);
    for (int failure = 1; failure <= 2; ++failure) {
        std::int64_t const now = failure * 10000;
        ASSERT_TRUE(watch.should_start(now));
        watch.saver_started();
        watch.saver_ended(IdleWatch::Ending::Failure, now + 10);
        EXPECT_EQ(watch.state(), IdleWatch::State::HeldBack);
        EXPECT_FALSE(watch.should_start(now + 5000)) << "still idle, but no fresh input";
        EXPECT_FALSE(watch.deadline());
        watch.user_active(now + 6000);
        watch.user_idle(now + 7000);
    }
    ASSERT_TRUE(watch.should_start(30000));
    watch.saver_started();
    watch.saver_ended(IdleWatch::Ending::Failure, 30010);
    EXPECT_EQ(watch.state(), IdleWatch::State::Stopped);
    EXPECT_EQ(watch.failures_in_a_row(), 3);
}

TEST(IdleWatch, ASaverThatRunsWellClearsTheFailures)
{
    IdleWatch watch(1000, 0);
    watch.user_idle(1000);
    for (int run = 0; run < 5; ++run) {
        std::int64_t const now = (run + 1) * 10000;
        ASSERT_TRUE(watch.should_start(now)) << run;
        watch.saver_started();
        bool const fails = run % 2 == 0; // fail, succeed, fail, succeed, fail: never three in a row
        watch.saver_ended(fails ? IdleWatch::Ending::Failure : IdleWatch::Ending::Normal, now + 10);
        watch.user_active(now + 20);
        watch.user_idle(now + 1020);
    }
    EXPECT_NE(watch.state(), IdleWatch::State::Stopped);
    EXPECT_EQ(watch.failures_in_a_row(), 1);
}

TEST(SourceChoice, WaylandSessionsUseTheCompositorOrMutterNeverTheXServer)
{
    SessionOffer offer;
    offer.wayland_session = true;
    offer.ext_idle_notify = offer.kde_idle = offer.mutter_idle_monitor = offer.x_display = offer.x_idle_counter = true;
    EXPECT_EQ(choose_idle_source(offer), IdleSourceKind::ExtIdleNotify);
    offer.ext_idle_notify = false;
    EXPECT_EQ(choose_idle_source(offer), IdleSourceKind::KdeIdle);
    offer.kde_idle = false;
    EXPECT_EQ(choose_idle_source(offer), IdleSourceKind::MutterIdleMonitor);
    offer.mutter_idle_monitor = false;
    EXPECT_FALSE(choose_idle_source(offer)) << "Xwayland's idle time misses native input";
    EXPECT_NE(no_idle_source_message(offer).find("ext-idle-notify-v1"), std::string::npos);
}

TEST(SourceChoice, X11SessionsUseTheServerElseMutter)
{
    SessionOffer offer;
    offer.x_display = offer.x_idle_counter = offer.mutter_idle_monitor = true;
    EXPECT_EQ(choose_idle_source(offer), IdleSourceKind::XServer);
    offer.x_idle_counter = false;
    EXPECT_EQ(choose_idle_source(offer), IdleSourceKind::MutterIdleMonitor);
    offer.mutter_idle_monitor = false;
    EXPECT_FALSE(choose_idle_source(offer));
    EXPECT_NE(no_idle_source_message(offer).find("IDLETIME"), std::string::npos);
    EXPECT_NE(no_idle_source_message(SessionOffer {}).find("DISPLAY"), std::string::npos);
    EXPECT_NE(no_idle_source_message(SessionOffer {}).find("WAYLAND_DISPLAY"), std::string::npos);
}
