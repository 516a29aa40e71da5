#include "platform/wayland/KeyboardWatch.h"

namespace qm::wayland {

KeyboardWatch::KeyboardWatch(std::int64_t arrival_limit, std::int64_t return_limit)
    : m_arrival_limit(arrival_limit)
    , m_return_limit(return_limit)
{
}

void KeyboardWatch::start(std::int64_t now)
{
    m_started = true;
    m_away_since = now;
}

void KeyboardWatch::seat_has_keyboard(bool present, std::int64_t now)
{
    if (present == m_keyboard)
        return;
    m_keyboard = present;
    m_held = false;
    // A keyboard plugged in later is due as one at the start is.
    m_ever_held = false;
    m_away_since = now;
}

void KeyboardWatch::entered()
{
    m_held = true;
    m_ever_held = true;
}

void KeyboardWatch::left(std::int64_t now)
{
    if (!m_held)
        return;
    m_held = false;
    m_away_since = now;
}

std::optional<std::int64_t> KeyboardWatch::deadline() const
{
    if (!m_started || !m_keyboard || m_held)
        return {};
    return m_away_since + (m_ever_held ? m_return_limit : m_arrival_limit);
}

bool KeyboardWatch::lost(std::int64_t now) const
{
    auto const due = deadline();
    return due && now >= *due;
}

}
