#include "platform/win32/Process.h"

#include <windows.h>

namespace qm::win32 {

std::int64_t monotonic_milliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

ClockReading wall_clock()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::int64_t const milliseconds = ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * 1000LL + now.wMilliseconds;
    return ClockReading({ now.wYear, now.wMonth, now.wDay }, milliseconds);
}

}
