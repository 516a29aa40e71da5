// The saver on an X11 desktop: `quilvenmoor /S` runs it.
#include "platform/x11/EventLoop.h"
#include "platform/x11/MessageBox.h"
#include "platform/x11/Process.h"
#include "platform/x11/X11Host.h"
#include "start/Saver.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace qm::x11 {

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

int run(int argc, char** argv, TerminationSignals const& signals)
{
    X11Host host(argument_text(argc, argv));
    Saver saver(host);
    host.set_now(monotonic_milliseconds());
    saver.start(wall_clock());
    if (saver.running()) {
        EventLoop loop(host, saver, signals);
        if (loop.run() == EventLoop::Outcome::Failed) {
            std::fprintf(stderr, "quilvenmoor: %s\n", loop.failure().c_str());
            return 1;
        }
    }
    if (saver.ending() == Saver::Ending::Error) {
        host.unload_window();
        std::string const text = report_text(*saver.error());
        std::fprintf(stderr, "quilvenmoor: %s\n", text.c_str());
        show_message_box(host.connection(), text, report_title, 16);
        return 1;
    }
    return 0;
}

}

}

int main(int argc, char** argv)
{
    qm::x11::ensure_standard_descriptors();
    switch (qm::x11::question_asked(argc, argv)) {
    case qm::x11::Question::Usage:
        std::fputs(qm::x11::usage_text, stdout);
        return 0;
    case qm::x11::Question::Version:
        std::puts("quilvenmoor " QUILVENMOOR_VERSION);
        return 0;
    case qm::x11::Question::Nothing:
        break;
    }
    qm::x11::TerminationSignals const signals;
    try {
        return qm::x11::run(argc, argv, signals);
    } catch (qm::x11::DisplayError const& error) {
        std::fprintf(stderr, "quilvenmoor: %s\n", error.what());
        return 1;
    }
}
