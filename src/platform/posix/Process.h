#pragma once

#include "platform/runtime/Clock.h"

#include <cstdint>
#include <string_view>

namespace qm::posix {

// The monotonic time in milliseconds, for the tick scheduler.
std::int64_t monotonic_milliseconds();

// The local wall clock, as the saver's date and time texts read it.
ClockReading wall_clock();

// Opens /dev/null on standard input, output and error where any of them is
// closed, so that no descriptor the program opens later (the X connection)
// takes their place and receives diagnostics meant for a terminal.
void ensure_standard_descriptors();

// Writes `text` to standard output for a program's answer to --help or
// --version, and returns the exit status: 0 once it is all written, or 1
// after a line on standard error naming `program` when it could not be (a
// full disk, a closed pipe): an answer lost is a failure, never a success.
int answer_on_standard_output(std::string_view program, std::string_view text);

// SIGTERM, SIGINT and SIGHUP. A handler makes the signal readable on a
// descriptor that the event loop polls, so the normal way out is the clean
// one between two events. If the loop is stuck inside Xlib (a frozen
// server), a timer armed by the same handler ends the process within a
// tenth of a second without touching the connection.
class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();

    TerminationSignals(TerminationSignals const&) = delete;
    TerminationSignals& operator=(TerminationSignals const&) = delete;

    // Readable once a signal has arrived.
    int descriptor() const;
    // Whether a signal has asked the process to end.
    bool requested() const;
};

}
