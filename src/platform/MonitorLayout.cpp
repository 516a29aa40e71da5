#include "platform/MonitorLayout.h"

#include <algorithm>

namespace qm {

MonitorLayout lay_out_monitors(std::vector<Monitor> const& monitors, Rect screen)
{
    std::vector<Monitor> usable;
    std::copy_if(monitors.begin(), monitors.end(), std::back_inserter(usable), [](Monitor const& monitor) { return !monitor.area.empty(); });
    if (usable.empty())
        return { screen, {} };

    auto primary = std::find_if(usable.begin(), usable.end(), [](Monitor const& monitor) { return monitor.primary; });
    if (primary == usable.end())
        primary = std::find_if(usable.begin(), usable.end(), [](Monitor const& monitor) { return monitor.area.contains(0, 0); });
    if (primary == usable.end())
        primary = usable.begin();

    MonitorLayout layout { primary->area, {} };
    for (Monitor const& monitor : usable) {
        if (monitor.area.intersected(layout.play_area) == monitor.area)
            continue;
        if (std::find(layout.covers.begin(), layout.covers.end(), monitor.area) == layout.covers.end())
            layout.covers.push_back(monitor.area);
    }
    return layout;
}

}
