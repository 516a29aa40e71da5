// The saver straight on a Wayland compositor.
#include "platform/wayland/WaylandMain.h"

#include "platform/wayland/EventLoop.h"
#include "platform/wayland/WaylandHost.h"
#include "start/Saver.h"

#include <cstdio>

namespace qm::wayland {

int run_saver(std::string const& arguments, std::unique_ptr<Connection> connection, std::string const& session_name,
    x11::TerminationSignals const& signals)
{
    WaylandHost host(arguments, std::move(connection), session_name);
    Saver saver(host);
    host.set_now(x11::monotonic_milliseconds());
    saver.start(x11::wall_clock());
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
        host.show_message_box(text, report_title, 16);
        return 1;
    }
    return 0;
}

}
