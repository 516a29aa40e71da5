#pragma once

#include "platform/Geometry.h"

#include <vector>

namespace qm {

struct Monitor {
    Rect area;
    bool primary { false };
};

// Where the saver's windows go on a desktop of several monitors: the window
// the logo plays in covers the primary monitor, and every other monitor is
// covered by a plain black window so that nothing of the desktop shows.
struct MonitorLayout {
    Rect play_area;
    std::vector<Rect> covers;

    bool operator==(MonitorLayout const&) const = default;
};

// The primary monitor is the one marked so, else the one that holds the
// screen's origin, else the first. Monitors that lie wholly inside the play
// area need no cover. With no monitor known, the play area is the screen.
MonitorLayout lay_out_monitors(std::vector<Monitor> const&, Rect screen);

}
