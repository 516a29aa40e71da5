#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::idle {

// What the watcher's command line asks for. Pure logic: every spelling can
// be tested without a session.
struct IdleOptions {
    enum class Action {
        Watch, // wait for idle periods and run the saver in each
        Help,
        Version,
        Status, // say whether it is enabled and running, and what it holds
        Enable, // write the autostart entry and start a watcher in the background
        Disable, // remove the entry and end the running watcher
        Error, // print the message and the usage hint, end with status 2
    };

    Action action { Action::Watch };
    double minutes { 10 };
    // Whether --minutes was given (--enable keeps it in the entry it writes).
    bool minutes_given { false };
    std::string error;
};

// The longest wait accepted: a week. Longer waits are almost surely typing
// mistakes, and millisecond counts stay far from any overflow.
constexpr double maximum_minutes = 7 * 24 * 60;

// A number of minutes written in decimal, "10" or "0.5" or "2.25": nothing
// for text that is not one whole number, for zero or less, and for more
// than a week.
std::optional<double> parse_minutes(std::string_view text);

// The wait in milliseconds, rounded to the nearest one.
long long minutes_to_milliseconds(double minutes);

// Reads the arguments after the program's name. --minutes takes its value as
// the next argument or after '='; it goes with watching and with --enable.
IdleOptions parse_idle_options(std::vector<std::string_view> const& arguments);

// The text --help prints.
std::string idle_usage();

// The file of the autostart entry: $XDG_CONFIG_HOME/autostart, or
// ~/.config/autostart where that is unset, empty or not an absolute path.
// Empty when neither names a folder.
std::string autostart_path(char const* config_home, char const* home);

// The XDG autostart entry that starts the watcher with the session, with
// the given program and wait; nothing for a program path that holds a
// control character, which the entry cannot carry.
std::optional<std::string> autostart_entry(std::string const& program, double minutes);

// The wait written in an autostart entry by autostart_entry, if any.
std::optional<double> autostart_minutes(std::string_view entry);

// A wait as the command line writes it, without trailing zeros: "10", "0.05".
std::string minutes_text(double minutes);

}
