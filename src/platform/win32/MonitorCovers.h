#pragma once

#include "platform/MonitorLayout.h"

#include <windows.h>

#include <vector>

namespace qm::win32 {

// The monitors as the system lists them now, in virtual-screen pixels.
std::vector<Monitor> enumerate_monitors();

// Where the saver's windows go now: the play area on the primary monitor,
// covers on the others.
MonitorLayout current_layout();

// Plain black top-most windows over the monitors the saver does not play
// on. They never take activation, show the blank pointer, and are painted
// by the system from their black background: nothing to do per tick. Their
// messages go to the given window procedure, like the saver window's.
class MonitorCovers {
public:
    MonitorCovers(HINSTANCE, HCURSOR pointer, WNDPROC, void* context);
    ~MonitorCovers();

    MonitorCovers(MonitorCovers const&) = delete;
    MonitorCovers& operator=(MonitorCovers const&) = delete;

    // Replaces the covers with one per area.
    void cover(std::vector<Rect> const& areas);
    void remove();
    bool contains(HWND) const;

private:
    HINSTANCE m_instance;
    void* m_context;
    std::vector<HWND> m_windows;
};

}
