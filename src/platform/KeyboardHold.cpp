#include "platform/KeyboardHold.h"

namespace qm {

void KeyboardHold::expect_arrival(std::int64_t by)
{
    if (m_state == State::NotYet)
        m_arrival_due = by;
}

void KeyboardHold::arrived()
{
    m_state = State::Held;
    m_arrival_due.reset();
    m_reclaim_owed = false;
}

void KeyboardHold::lost(std::int64_t now)
{
    if (m_state != State::Held)
        return;
    m_state = State::Lost;
    m_lost_at = now;
    m_reclaim_owed = true;
}

void KeyboardHold::gone()
{
    m_state = State::NotYet;
    m_arrival_due.reset();
    m_reclaim_owed = false;
}

bool KeyboardHold::take_reclaim()
{
    bool const owed = m_reclaim_owed;
    m_reclaim_owed = false;
    return owed;
}

std::optional<std::int64_t> KeyboardHold::deadline() const
{
    if (m_state == State::NotYet)
        return m_arrival_due;
    if (m_state != State::Lost)
        return {};
    return m_lost_at + grace_milliseconds;
}

bool KeyboardHold::expired(std::int64_t now) const
{
    auto const due = deadline();
    return due && now >= *due;
}

}
