// `quilvenmoor`: the saver on a Linux desktop, straight on a Wayland
// compositor that offers the layer shell, otherwise on X11.
#include "platform/wayland/FrontEndChoice.h"
#include "platform/wayland/WaylandMain.h"
#include "platform/x11/Connection.h"
#include "platform/x11/X11Main.h"

#include <cstdio>
#include <cstdlib>
#include <string>
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

std::string environment(char const* name)
{
    char const* value = std::getenv(name);
    return value ? value : "";
}

int run(int argc, char** argv, qm::x11::TerminationSignals const& signals)
{
    using namespace qm::wayland;
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
    }
    FrontEndChoice const choice = choose_front_end(facts);
    std::string const session = session_name(facts.wayland_session ? socket : std::string(), environment("DISPLAY"));
    std::string const arguments = argument_text(argc, argv);

    if (choice.front_end == FrontEnd::Wayland)
        return run_saver(arguments, std::move(connection), session, signals);
    connection.reset();
    if (choice.front_end && !choice.message.empty())
        std::fprintf(stderr, "quilvenmoor: %s\n", choice.message.c_str());
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
    qm::x11::ensure_standard_descriptors();
    qm::x11::TerminationSignals const signals;
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
