#pragma once

#include "platform/runtime/Clock.h"

#include <cstdint>

namespace qm::x11 {

// The monotonic time in milliseconds, for the tick scheduler.
std::int64_t monotonic_milliseconds();

// The local wall clock, as the saver's date and time texts read it.
ClockReading wall_clock();

// Opens /dev/null on standard input, output and error where any of them is
// closed, so that no descriptor the program opens later (the X connection)
// takes their place and receives diagnostics meant for a terminal.
void ensure_standard_descriptors();

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
