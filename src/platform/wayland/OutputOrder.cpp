#include "platform/wayland/OutputOrder.h"

#include <algorithm>

namespace qm::wayland {

void OutputOrder::add(std::uint32_t name)
{
    if (std::find(m_names.begin(), m_names.end(), name) == m_names.end())
        m_names.push_back(name);
}

bool OutputOrder::remove(std::uint32_t name)
{
    bool const was_playing = plays(name);
    std::erase(m_names, name);
    return was_playing;
}

std::optional<std::uint32_t> OutputOrder::playing() const
{
    if (m_names.empty())
        return {};
    return m_names.front();
}

std::pair<float, float> play_area_point(double x, double y, SurfacePlace const& here, SurfacePlace const& play, ScreenSize play_physical, SurfaceRole role)
{
    double offset_x = 0;
    double offset_y = 0;
    if (role == SurfaceRole::Cover) {
        offset_x = here.x - play.x;
        offset_y = here.y - play.y;
        if (offset_x == 0 && offset_y == 0)
            offset_x = play.logical.width;
    }
    double const scale_x = play.logical.width > 0 ? double(play_physical.width) / play.logical.width : 1.0;
    double const scale_y = play.logical.height > 0 ? double(play_physical.height) / play.logical.height : 1.0;
    return { static_cast<float>((x + offset_x) * scale_x), static_cast<float>((y + offset_y) * scale_y) };
}

}
