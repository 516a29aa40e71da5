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

}
