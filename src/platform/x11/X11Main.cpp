// The saver on an X11 desktop.
#include "platform/x11/X11Main.h"

#include "platform/x11/EventLoop.h"
#include "platform/posix/SaverRun.h"
#include "platform/x11/X11Host.h"

namespace qm::x11 {

int run_saver(std::string const& arguments, std::string const& session_name, posix::TerminationSignals const& signals)
{
    X11Host host(arguments, session_name);
    return posix::run_to_end<EventLoop>(host, signals);
}

}
