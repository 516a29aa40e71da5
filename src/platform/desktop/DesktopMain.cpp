// `quilvenmoor`: the saver on a Linux desktop, straight on a Wayland
// compositor (through the layer shell where it offers one, else as
// fullscreen windows), otherwise on X11.
#include "platform/desktop/FrontEndChoice.h"
#include "platform/posix/Process.h"
#include "platform/wayland/WaylandMain.h"
#include "platform/x11/Connection.h"
#include "platform/x11/X11Main.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace {

// The argument text: every argument after the program's name, joined by one blank.
std::string argument_text(int argc, char** argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i];
    }
    return text;
}

// What a Linux user asks any program first. Only one of these words, alone,
// asks it: every other command line keeps its meaning.
enum class Question {
    Nothing,
    Usage,
    Version,
};

Question question_asked(int argc, char** argv)
{
    if (argc != 2)
        return Question::Nothing;
    std::string_view const argument = argv[1];
    if (argument == "--help" || argument == "-h")
        return Question::Usage;
    if (argument == "--version" || argument == "-V")
        return Question::Version;
    return Question::Nothing;
}

constexpr char const* usage_text = "Usage: quilvenmoor /S | /C | --help | --version\n"
                                   "A full-screen screen saver: a logo with a clock glides over a black screen.\n"
                                   "\n"
                                   "  /S             run the screen saver (any case)\n"
                                   "  /C             say that there is nothing to configure\n"
                                   "  -h, --help     show this text\n"
                                   "  -V, --version  show the version\n"
                                   "\n"
                                   "Any other argument, or none, ends the program at once. While it runs,\n"
                                   "Space, Enter, A, S, Q, F2, F4 and the arrow keys steer it; any other key,\n"
                                   "a click or a movement of the mouse over the bare screen ends it.\n"
                                   "See quilvenmoor(6).\n";

std::string environment(char const* name)
{
    char const* value = std::getenv(name);
    return value ? value : "";
}

int run(int argc, char** argv, qm::posix::TerminationSignals const& signals)
{
    using namespace qm::desktop;
    using qm::wayland::Connection;
    SessionFacts facts;
    facts.forced = environment("QUILVENMOOR_PLATFORM");
    facts.x_display = !environment("DISPLAY").empty();
    std::string const socket = wayland_socket_path(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR"));
    struct stat status {};
    facts.wayland_session = !environment("WAYLAND_DISPLAY").empty() || (!socket.empty() && stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode));

    std::unique_ptr<Connection> connection;
    if (facts.wayland_session && facts.forced != "x11") {
        connection = Connection::open();
        facts.compositor_reached = connection != nullptr;
        facts.layer_shell = connection && connection->layer_shell();
        facts.window_manager = connection && connection->window_manager();
    }
    FrontEndChoice const choice = choose_front_end(facts);
    std::string const session = session_name(facts.wayland_session ? socket : std::string(), environment("DISPLAY"));
    std::string const arguments = argument_text(argc, argv);

    if (choice.front_end && !choice.message.empty())
        std::fprintf(stderr, "quilvenmoor: %s\n", choice.message.c_str());
    if (choice.front_end == FrontEnd::Wayland)
        return qm::wayland::run_saver(arguments, std::move(connection), qm::wayland::Shell::Layer, session, signals);
    if (choice.front_end == FrontEnd::WaylandFullscreen)
        return qm::wayland::run_saver(arguments, std::move(connection), qm::wayland::Shell::Toplevel, session, signals);
    connection.reset();
    if (!choice.front_end && !facts.forced.empty()) {
        std::fprintf(stderr, "quilvenmoor: %s\n", choice.message.c_str());
        return 1;
    }
    // With no display at all the X11 front end still runs the starts that
    // need none (an argument that simply ends); one that needs a display
    // reports what is missing.
    try {
        return qm::x11::run_saver(arguments, session, signals);
    } catch (qm::x11::DisplayError const& error) {
        std::fprintf(stderr, "quilvenmoor: %s\n", choice.front_end ? error.what() : choice.message.c_str());
        return 1;
    }
}

}

int main(int argc, char** argv)
{
    qm::posix::ensure_standard_descriptors();
    switch (question_asked(argc, argv)) {
    case Question::Usage:
        return qm::posix::answer_on_standard_output("quilvenmoor", usage_text);
    case Question::Version:
        return qm::posix::answer_on_standard_output("quilvenmoor", "quilvenmoor " QUILVENMOOR_VERSION "\n");
    case Question::Nothing:
        break;
    }
    qm::posix::TerminationSignals const signals;
    try {
        return run(argc, argv, signals);
    } catch (qm::x11::DisplayError const& error) {
        std::fprintf(stderr, "quilvenmoor: %s\n", error.what());
        return 1;
    } catch (qm::wayland::CompositorError const& error) {
        std::fprintf(stderr, "quilvenmoor: %s\n", error.what());
        return 1;
    }
}
