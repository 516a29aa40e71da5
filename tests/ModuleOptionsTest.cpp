#include "platform/x11/ModuleOptions.h"

#include <gtest/gtest.h>

namespace qm::x11 {

namespace {

ModuleOptions parse(std::vector<std::string_view> const& arguments, std::optional<std::string_view> environment = std::nullopt)
{
    return parse_module_options(arguments, environment);
}

}

TEST(ModuleOptions, WithoutArgumentsTheModuleOpensItsOwnWindow)
{
    auto const options = parse({});
    EXPECT_EQ(options.action, ModuleOptions::Action::Run);
    EXPECT_EQ(options.target, ModuleTarget::OwnWindow);
    EXPECT_FALSE(options.window_id);
    // The framework's window is no business of a module told nothing.
    EXPECT_FALSE(parse({}, "0x400001").window_id);
    EXPECT_EQ(parse({ "--window" }, "0x400001").target, ModuleTarget::OwnWindow);
}

TEST(ModuleOptions, WindowIdInEverySpelling)
{
    for (auto const& arguments : std::vector<std::vector<std::string_view>> {
             { "--window-id", "4194305" },
             { "-window-id", "0x400001" },
             { "--window-id=0X400001" },
             { "-window-id=4194305" },
             { "--window-id", "0x0040000a" },
         }) {
        auto const options = parse(arguments);
        ASSERT_EQ(options.action, ModuleOptions::Action::Run) << arguments[0] << ": " << options.error;
        EXPECT_EQ(options.target, ModuleTarget::GivenWindow);
        ASSERT_TRUE(options.window_id);
        EXPECT_TRUE(*options.window_id == 0x400001 || *options.window_id == 0x40000a) << *options.window_id;
    }
}

TEST(ModuleOptions, RootTakesTheFrameworksWindowFromTheEnvironment)
{
    for (std::string_view spelling : { "--root", "-root" }) {
        auto const from_environment = parse({ spelling }, "0x1e00007");
        EXPECT_EQ(from_environment.target, ModuleTarget::Root);
        EXPECT_EQ(from_environment.window_id, 0x1e00007ul);

        auto const decimal = parse({ spelling }, "31457287");
        EXPECT_EQ(decimal.window_id, 0x1e00007ul);

        // Unset or empty: the root window itself.
        EXPECT_FALSE(parse({ spelling }).window_id);
        EXPECT_FALSE(parse({ spelling }, "").window_id);
        EXPECT_EQ(parse({ spelling }).action, ModuleOptions::Action::Run);
    }
    auto const broken = parse({ "-root" }, "window");
    EXPECT_EQ(broken.action, ModuleOptions::Action::Error);
    EXPECT_NE(broken.error.find("XSCREENSAVER_WINDOW"), std::string::npos);
}

TEST(ModuleOptions, TheLastTargetWins)
{
    auto const root_last = parse({ "--window-id", "77", "-root" }, "0x99");
    EXPECT_EQ(root_last.target, ModuleTarget::Root);
    EXPECT_EQ(root_last.window_id, 0x99ul);

    auto const root_last_unset = parse({ "--window-id", "77", "-root" });
    EXPECT_FALSE(root_last_unset.window_id);

    auto const id_last = parse({ "-root", "--window-id", "77" }, "0x99");
    EXPECT_EQ(id_last.target, ModuleTarget::GivenWindow);
    EXPECT_EQ(id_last.window_id, 77ul);
}

TEST(ModuleOptions, HelpWinsOverEverythingBeforeIt)
{
    EXPECT_EQ(parse({ "--help" }).action, ModuleOptions::Action::Help);
    EXPECT_EQ(parse({ "-help" }).action, ModuleOptions::Action::Help);
    EXPECT_EQ(parse({ "-h" }).action, ModuleOptions::Action::Help);
    EXPECT_EQ(parse({ "-root", "--help", "--bogus" }).action, ModuleOptions::Action::Help);
    EXPECT_EQ(parse({ "--bogus", "--help" }).action, ModuleOptions::Action::Error);
}

TEST(ModuleOptions, BadArgumentsAreErrorsWithOneLineReasons)
{
    for (auto const& arguments : std::vector<std::vector<std::string_view>> {
             { "--fps" },
             { "/S" },
             { "root" },
             { "-" },
             { "--" },
             { "--window-id" },
             { "--window-id", "" },
             { "--window-id", "0" },
             { "--window-id", "0x" },
             { "--window-id", "-5" },
             { "--window-id", "12abc" },
             { "--window-id", "0x12g" },
             { "--window-id", " 12" },
             { "--window-id", "99999999999999999999999999" },
             { "--window-id", "0x20000000" },
             { "--root=1" },
             { "--window-id=" },
         }) {
        auto const options = parse(arguments);
        EXPECT_EQ(options.action, ModuleOptions::Action::Error) << arguments.back();
        EXPECT_FALSE(options.error.empty());
        EXPECT_EQ(options.error.find('\n'), std::string::npos) << options.error;
    }
    // The unknown option is named, so the user sees which one.
    EXPECT_NE(parse({ "-root", "--frobnicate" }).error.find("--frobnicate"), std::string::npos);
}

TEST(ModuleOptions, WindowIdsAtTheEdgesOfTheRange)
{
    EXPECT_EQ(parse_window_id("1"), 1ul);
    EXPECT_EQ(parse_window_id("0x1fffffff"), 0x1FFFFFFFul);
    EXPECT_EQ(parse_window_id("536870911"), 0x1FFFFFFFul);
    EXPECT_FALSE(parse_window_id("536870912"));
    EXPECT_FALSE(parse_window_id("0x0"));
    EXPECT_FALSE(parse_window_id("+5"));
}

TEST(ModuleOptions, UsageNamesEveryOption)
{
    std::string const usage = module_usage("quilvenmoor-module");
    for (char const* option : { "--root", "--window-id", "--window", "--help", "quilvenmoor-module" })
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}
