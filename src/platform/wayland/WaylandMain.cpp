// The saver straight on a Wayland compositor.
#include "platform/wayland/WaylandMain.h"

#include "platform/wayland/EventLoop.h"
#include "platform/wayland/WaylandHost.h"
#include "platform/posix/SaverRun.h"

namespace qm::wayland {

int run_saver(std::string const& arguments, std::unique_ptr<Connection> connection, Shell shell, std::string const& session_name,
    posix::TerminationSignals const& signals)
{
    WaylandHost host(arguments, std::move(connection), session_name, shell);
    return posix::run_to_end<EventLoop>(host, signals);
}

}
