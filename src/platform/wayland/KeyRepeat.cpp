#include "platform/wayland/KeyRepeat.h"

#include <algorithm>

namespace qm::wayland {

void KeyRepeat::set_rate(int rate, int delay)
{
    m_enabled = rate > 0;
    m_interval = rate > 0 ? std::max(1, 1000 / rate) : 0;
    m_delay = std::max(0, delay);
    if (!m_enabled)
        m_repeating.reset();
}

void KeyRepeat::reset() { m_repeating.reset(); }

void KeyRepeat::press(std::uint32_t key, Repetition repetition, std::int64_t now)
{
    if (repetition == Repetition::Repeats && m_enabled) {
        m_repeating = key;
        m_due = now + m_delay;
    } else {
        m_repeating.reset();
    }
}

void KeyRepeat::release(std::uint32_t key)
{
    if (m_repeating == key)
        m_repeating.reset();
}

std::optional<std::int64_t> KeyRepeat::next_due() const
{
    if (!m_repeating)
        return {};
    return m_due;
}

std::optional<std::uint32_t> KeyRepeat::take_due(std::int64_t now)
{
    if (!m_repeating || now < m_due)
        return {};
    m_due += m_interval;
    if (m_due <= now)
        m_due = now + m_interval;
    return m_repeating;
}

}
