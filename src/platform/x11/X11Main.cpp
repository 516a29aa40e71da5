// The saver on an X11 desktop.
#include "platform/x11/X11Main.h"

#include "platform/x11/EventLoop.h"
#include "platform/x11/MessageBox.h"
#include "platform/x11/X11Host.h"
#include "start/Saver.h"

#include <cstdio>

namespace qm::x11 {

int run_saver(std::string const& arguments, std::string const& session_name, TerminationSignals const& signals)
{
    X11Host host(arguments, session_name);
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
