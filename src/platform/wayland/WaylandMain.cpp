// The saver straight on a Wayland compositor.
#include "platform/wayland/WaylandMain.h"

#include "platform/wayland/EventLoop.h"
#include "platform/wayland/WaylandHost.h"
#include "platform/x11/SaverRun.h"

namespace qm::wayland {

int run_saver(std::string const& arguments, std::unique_ptr<Connection> connection, std::string const& session_name,
    x11::TerminationSignals const& signals)
{
    WaylandHost host(arguments, std::move(connection), session_name);
    return x11::run_to_end<EventLoop>(host, signals);
}

}
