#pragma once

#include "platform/wayland/Connection.h"
#include "platform/posix/Process.h"

#include <memory>
#include <string>

namespace qm::wayland {

// The saver on a Wayland compositor that offers the layer shell: runs
// `arguments` and returns the exit status.
int run_saver(std::string const& arguments, std::unique_ptr<Connection>, std::string const& session_name, posix::TerminationSignals const&);

}
