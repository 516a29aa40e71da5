#include "platform/x11/ModuleOptions.h"

#include <initializer_list>

namespace qm::x11 {

namespace {

// X resource ids have their top three bits clear.
constexpr unsigned long largest_window_id = 0x1FFFFFFF;

std::optional<unsigned long> digits_value(std::string_view digits, unsigned long base)
{
    if (digits.empty())
        return std::nullopt;
    unsigned long value = 0;
    for (char const character : digits) {
        unsigned long digit = 0;
        if (character >= '0' && character <= '9')
            digit = static_cast<unsigned long>(character - '0');
        else if (base == 16 && character >= 'a' && character <= 'f')
            digit = static_cast<unsigned long>(character - 'a' + 10);
        else if (base == 16 && character >= 'A' && character <= 'F')
            digit = static_cast<unsigned long>(character - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        // Checked each step, so a long run of digits cannot wrap round.
        if (value > largest_window_id)
            return std::nullopt;
    }
    return value;
}

// The option's name without its one or two leading dashes; empty for a
// word that is no option.
std::string_view option_name(std::string_view argument)
{
    if (argument.starts_with("--"))
        return argument.substr(2);
    if (argument.starts_with("-"))
        return argument.substr(1);
    return {};
}

// Joins the pieces of a message. (Adding to a string this way also keeps
// GCC 12 from a false overlap warning about literal + string at -O3.)
std::string joined(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (std::string_view const piece : pieces)
        text += piece;
    return text;
}

ModuleOptions error(std::string message)
{
    ModuleOptions options;
    options.action = ModuleOptions::Action::Error;
    options.error = std::move(message);
    return options;
}

}

std::optional<unsigned long> parse_window_id(std::string_view text)
{
    std::optional<unsigned long> value;
    if (text.starts_with("0x") || text.starts_with("0X"))
        value = digits_value(text.substr(2), 16);
    else
        value = digits_value(text, 10);
    if (value == 0ul)
        return std::nullopt;
    return value;
}

ModuleOptions parse_module_options(std::vector<std::string_view> const& arguments, std::optional<std::string_view> environment_window)
{
    ModuleOptions options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        std::string_view const argument = arguments[index];
        std::string_view name = option_name(argument);
        std::optional<std::string_view> attached_value;
        if (auto const equals = name.find('='); equals != std::string_view::npos) {
            attached_value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (name.empty())
            return error(joined({ "unexpected argument '", argument, "'" }));
        if (name == "window-id") {
            std::string_view value;
            if (attached_value) {
                value = *attached_value;
            } else if (index + 1 < arguments.size()) {
                value = arguments[++index];
            } else {
                return error("--window-id needs a window id");
            }
            auto const id = parse_window_id(value);
            if (!id)
                return error(joined({ "'", value, "' is not a window id (decimal, or hexadecimal with 0x)" }));
            options.target = ModuleTarget::GivenWindow;
            options.window_id = id;
            continue;
        }
        if (attached_value)
            return error(joined({ "option '", name, "' takes no value" }));
        if (name == "help" || name == "h") {
            options.action = ModuleOptions::Action::Help;
            return options;
        }
        if (name == "root") {
            options.target = ModuleTarget::Root;
            options.window_id.reset();
        } else if (name == "window") {
            options.target = ModuleTarget::OwnWindow;
            options.window_id.reset();
        } else {
            return error(joined({ "unknown option '", argument, "'" }));
        }
    }

    if (options.target == ModuleTarget::Root && environment_window && !environment_window->empty()) {
        auto const id = parse_window_id(*environment_window);
        if (!id)
            return error(joined({ "XSCREENSAVER_WINDOW holds '", *environment_window, "', which is not a window id" }));
        options.window_id = id;
    }
    return options;
}

std::string module_usage(std::string_view program_name)
{
    std::string const name(program_name);
    return "Usage: " + name + " [--root | --window-id ID | --window] [--help]\n"
        "Runs the Quilvenmoor screen saver inside a window, for screen-saver frameworks.\n"
        "\n"
        "  --root           draw into the window named by XSCREENSAVER_WINDOW, or the root window\n"
        "  --window-id ID   draw into the window ID (decimal, or hexadecimal with 0x)\n"
        "  --window         open a resizable window of its own (the default)\n"
        "  --help           print this text\n"
        "\n"
        "Options may also be written with one dash. Keys steer the saver only in its own window.\n";
}

}
