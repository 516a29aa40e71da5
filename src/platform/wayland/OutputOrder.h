#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace qm::wayland {

// The outputs in the order the compositor announced them. The logo plays
// on the first; every other output gets a black cover. When the playing
// output goes, the play area moves to the first that remains.
class OutputOrder {
public:
    // `name` is the output's global name in the registry.
    void add(std::uint32_t name);
    // Returns whether the output that holds the logo changed.
    bool remove(std::uint32_t name);

    std::optional<std::uint32_t> playing() const;
    bool plays(std::uint32_t name) const { return playing() == name; }
    bool empty() const { return m_names.empty(); }

private:
    std::vector<std::uint32_t> m_names;
};

// Which of the saver's surfaces a pointer is over.
enum class SurfaceRole {
    Play,
    Cover,
};

// Where an output's surface lies in the compositor's space, and its size,
// in the compositor's (logical) units.
struct SurfacePlace {
    int x { 0 };
    int y { 0 };
    ScreenSize logical;
};

// A pointer position (x, y) on the surface at `here`, in the pixels of the
// play area at `play` (whose buffers measure `play_physical`). A point on a
// cover lands where that output lies from the play area, outside it, so it
// falls on the bare surface as over the covers on every other platform;
// a cover at the play area's own place (mirrored outputs) is put beside it.
std::pair<float, float> play_area_point(double x, double y, SurfacePlace const& here, SurfacePlace const& play, ScreenSize play_physical, SurfaceRole);

}
