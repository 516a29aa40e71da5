#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::x11 {

// Where the module draws.
enum class ModuleTarget {
    OwnWindow, // an ordinary window of its own, for trying it out
    GivenWindow, // a window someone else made, named by its id
    Root, // the framework's window from the environment, else the root window
};

// What the command line asks of the module. Pure logic: nothing here talks to
// a display, so every spelling can be tested without one.
struct ModuleOptions {
    enum class Action {
        Run,
        Help, // print the usage and end with status 0
        Error, // print the message and the usage hint, end with status 2
    };

    Action action { Action::Run };
    ModuleTarget target { ModuleTarget::OwnWindow };
    // The window to draw into; set for GivenWindow, and for Root when the
    // environment names the framework's window.
    std::optional<unsigned long> window_id;
    // The one-line reason of an Error.
    std::string error;
};

// A window id in decimal or in hexadecimal with 0x (as the frameworks write
// it); nothing for text that is not one whole id, for zero, and for an id
// wider than X's 29 bits.
std::optional<unsigned long> parse_window_id(std::string_view text);

// Reads the arguments after the program's name. `environment_window` is the
// value of XSCREENSAVER_WINDOW, if set; only --root consults it. Options come
// with one dash or two; --window-id takes its value as the next argument or
// after '='. When options disagree the last target wins, as the frameworks
// append their own options to the user's.
ModuleOptions parse_module_options(std::vector<std::string_view> const& arguments, std::optional<std::string_view> environment_window);

// The text --help prints.
std::string module_usage(std::string_view program_name);

}
