// The saver on an X11 desktop: `quilvenmoor /S` runs it.
#include "platform/x11/EventLoop.h"
#include "platform/x11/MessageBox.h"
#include "platform/x11/Process.h"
#include "platform/x11/X11Host.h"
#include "start/Saver.h"

#include <cstdio>
#include <string>

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
    qm::x11::TerminationSignals const signals;
    try {
        return qm::x11::run(argc, argv, signals);
    } catch (qm::x11::DisplayError const& error) {
        std::fprintf(stderr, "quilvenmoor: %s\n", error.what());
        return 1;
    }
}
