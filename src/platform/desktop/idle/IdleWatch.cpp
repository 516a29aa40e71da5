#include "platform/desktop/idle/IdleWatch.h"

namespace qm::idle {

IdleWatch::IdleWatch(std::int64_t wait_milliseconds, std::int64_t now)
    : m_wait(wait_milliseconds)
    , m_quiet_since(now)
{
}

void IdleWatch::user_idle(std::int64_t) { m_idle = true; }

void IdleWatch::user_active(std::int64_t now)
{
    m_idle = false;
    quiet_from(now);
    if (m_state == State::HeldBack)
        m_state = State::Waiting;
}

void IdleWatch::set_inhibited(bool inhibited, std::int64_t now)
{
    if (m_inhibited && !inhibited)
        quiet_from(now);
    m_inhibited = inhibited;
}

void IdleWatch::set_locked(bool locked, std::int64_t now)
{
    if (m_locked && !locked)
        quiet_from(now);
    m_locked = locked;
}

void IdleWatch::simulate_activity(std::int64_t now) { quiet_from(now); }

void IdleWatch::saver_ended(Ending ending, std::int64_t now)
{
    if (m_state != State::SaverRunning)
        return;
    quiet_from(now);
    if (ending == Ending::Normal) {
        m_failures = 0;
        m_state = State::Waiting;
        return;
    }
    ++m_failures;
    m_state = m_failures >= failures_to_stop ? State::Stopped : State::HeldBack;
}

bool IdleWatch::conditions_hold() const
{
    return m_state == State::Waiting && m_idle && !m_inhibited && !m_locked;
}

bool IdleWatch::should_start(std::int64_t now) const
{
    return conditions_hold() && now - m_quiet_since >= m_wait;
}

void IdleWatch::saver_started()
{
    m_state = State::SaverRunning;
}

std::optional<std::int64_t> IdleWatch::deadline() const
{
    if (!conditions_hold())
        return std::nullopt;
    return m_quiet_since + m_wait;
}

char const* state_name(IdleWatch::State state)
{
    switch (state) {
    case IdleWatch::State::Waiting:
        return "waiting";
    case IdleWatch::State::SaverRunning:
        return "saver running";
    case IdleWatch::State::HeldBack:
        return "held back after a failed saver, until the next input";
    case IdleWatch::State::Stopped:
        return "stopped";
    }
    return "";
}

}
