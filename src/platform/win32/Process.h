#pragma once

#include "platform/runtime/Clock.h"

#include <cstdint>

namespace qm::win32 {

// The monotonic time in milliseconds, for the tick scheduler.
std::int64_t monotonic_milliseconds();

// The local wall clock, as the saver's date and time texts read it.
ClockReading wall_clock();

}
