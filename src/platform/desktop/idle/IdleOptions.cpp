#include "platform/desktop/idle/IdleOptions.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace qm::idle {

std::optional<double> parse_minutes(std::string_view text)
{
    // Plain decimals only: no sign, exponent, hexadecimal, "inf" or "nan",
    // which from_chars would otherwise accept.
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    double value = 0;
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc {} || end != text.data() + text.size())
        return std::nullopt;
    if (!(value > 0) || value > maximum_minutes)
        return std::nullopt;
    // Less than a millisecond would be a wait of nothing.
    if (minutes_to_milliseconds(value) < 1)
        return std::nullopt;
    return value;
}

long long minutes_to_milliseconds(double minutes) { return std::llround(minutes * 60'000); }

namespace {

std::string quoted(std::string_view text)
{
    std::string result = "'";
    result.append(text);
    result += '\'';
    return result;
}

}

IdleOptions parse_idle_options(std::vector<std::string_view> const& arguments)
{
    IdleOptions options;
    std::optional<IdleOptions::Action> chosen;
    auto fail = [&](std::string message) {
        options.action = IdleOptions::Action::Error;
        options.error = std::move(message);
        return options;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        std::optional<std::string_view> value;
        if (auto const equals = argument.find('='); argument.starts_with("--") && equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        if (argument == "--minutes" || argument == "-m") {
            if (!value) {
                if (i + 1 == arguments.size())
                    return fail("--minutes needs a number of minutes");
                value = arguments[++i];
            }
            auto const minutes = parse_minutes(*value);
            if (!minutes)
                return fail("--minutes wants a number of minutes above 0 and at most a week (10080), such as 10 or 0.5, not " + quoted(*value));
            options.minutes = *minutes;
            options.minutes_given = true;
            continue;
        }
        if (value)
            return fail(quoted(argument) + " takes no value");
        std::optional<IdleOptions::Action> action;
        if (argument == "--help" || argument == "-h")
            action = IdleOptions::Action::Help;
        else if (argument == "--version" || argument == "-V")
            action = IdleOptions::Action::Version;
        else if (argument == "--status")
            action = IdleOptions::Action::Status;
        else if (argument == "--enable")
            action = IdleOptions::Action::Enable;
        else if (argument == "--disable")
            action = IdleOptions::Action::Disable;
        else
            return fail("unknown argument " + quoted(argument));
        if (chosen && *chosen != *action)
            return fail(quoted(argument) + " cannot go with another of --help, --version, --status, --enable, --disable");
        chosen = action;
    }
    if (chosen)
        options.action = *chosen;
    bool const takes_minutes = options.action == IdleOptions::Action::Watch || options.action == IdleOptions::Action::Enable;
    if (options.minutes_given && !takes_minutes && options.action != IdleOptions::Action::Help && options.action != IdleOptions::Action::Version)
        return fail("--minutes goes only with watching or with --enable");
    return options;
}

std::string idle_usage()
{
    return "Usage: quilvenmoor-idle [--minutes N] | --enable [--minutes N] | --disable | --status\n"
           "Starts the screen saver quilvenmoor after N minutes without input, and\n"
           "again after every later idle period, while no program holds the screen awake.\n"
           "\n"
           "  -m, --minutes N  the idle time before the saver starts, in minutes;\n"
           "                   decimals allowed (default 10)\n"
           "      --enable     start the watcher with every session from now on, and now\n"
           "      --disable    stop starting it with the session, and end the running one\n"
           "      --status     say whether it is enabled and running, its wait, its idle\n"
           "                   source and the programs holding the screen awake now\n"
           "  -h, --help       show this text\n"
           "  -V, --version    show the version\n"
           "\n"
           "Video players and browsers hold it off through org.freedesktop.ScreenSaver;\n"
           "X11 programs hold it off by resetting the X server's screen saver.\n"
           "See quilvenmoor-idle(1).\n";
}

std::string autostart_path(char const* config_home, char const* home)
{
    std::string folder;
    if (config_home && config_home[0] == '/')
        folder = config_home;
    else if (home && home[0] == '/')
        folder = std::string(home) + "/.config";
    else
        return {};
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/autostart/quilvenmoor-idle.desktop";
}

namespace {

// An argument of an Exec line: quoted when it holds anything beyond plain
// path characters, with the characters the entry format reserves escaped
// inside the quotes, and '\' doubled again for the string value itself.
std::string exec_argument(std::string const& argument)
{
    bool plain = !argument.empty();
    for (char c : argument) {
        bool const safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' || c == '+' || c == ',';
        plain = plain && safe;
    }
    if (plain)
        return argument;
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}

std::string minutes_text(double minutes)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", minutes);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::optional<std::string> autostart_entry(std::string const& program, double minutes)
{
    // A line break or another control character cannot be written in an entry.
    for (char c : program) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return std::nullopt;
    }
    std::string entry = "[Desktop Entry]\n";
    entry += "Type=Application\n";
    entry += "Name=Quilvenmoor idle watcher\n";
    entry += "Comment=Starts the Quilvenmoor screen saver when the session has been idle\n";
    entry += "Exec=" + exec_argument(program) + " --minutes " + minutes_text(minutes) + "\n";
    entry += "TryExec=" + program + "\n";
    entry += "Terminal=false\n";
    entry += "NoDisplay=true\n";
    entry += "X-GNOME-Autostart-enabled=true\n";
    return entry;
}

std::optional<double> autostart_minutes(std::string_view entry)
{
    constexpr std::string_view marker = " --minutes ";
    for (std::size_t start = 0; start < entry.size();) {
        std::size_t end = entry.find('\n', start);
        if (end == std::string_view::npos)
            end = entry.size();
        std::string_view const line = entry.substr(start, end - start);
        if (line.starts_with("Exec=")) {
            auto const at = line.rfind(marker);
            if (at == std::string_view::npos)
                return std::nullopt;
            return parse_minutes(line.substr(at + marker.size()));
        }
        start = end + 1;
    }
    return std::nullopt;
}

}
