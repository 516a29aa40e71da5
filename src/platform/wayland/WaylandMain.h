#pragma once

#include "platform/wayland/Connection.h"
#include "platform/wayland/CoverRole.h"
#include "platform/posix/Process.h"

#include <memory>
#include <string>

namespace qm::wayland {

// The saver straight on a Wayland compositor, its outputs covered through
// `shell`: runs `arguments` and returns the exit status.
int run_saver(std::string const& arguments, std::unique_ptr<Connection>, Shell, std::string const& session_name, posix::TerminationSignals const&);

}
