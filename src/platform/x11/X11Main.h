#pragma once

#include "platform/posix/Process.h"

#include <string>

namespace qm::x11 {

// The saver on an X11 display: runs `arguments` and returns the exit status.
// `session_name` is the one-copy rule's name (see desktop::session_name).
// Throws DisplayError when it needs a display that cannot be had.
int run_saver(std::string const& arguments, std::string const& session_name, posix::TerminationSignals const&);

}
