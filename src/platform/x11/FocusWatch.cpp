#include "platform/x11/FocusWatch.h"

namespace qm::x11 {

FocusWatch::Action FocusWatch::observe(Holder holder, std::int64_t now)
{
    m_holder = holder;
    if (holder == Holder::Saver) {
        m_held = true;
        return check(now);
    }
    if (holder == Holder::Nobody || !m_held)
        return check(now);
    // One attempt per loss: a client that keeps taking the focus back (a
    // compositor's window manager does) is answered by the end of the wait,
    // not by a contest of focus changes.
    if (!m_lost_at) {
        m_lost_at = now;
        return Action::TakeBack;
    }
    return check(now);
}

FocusWatch::Action FocusWatch::check(std::int64_t now)
{
    if (!m_lost_at || now - *m_lost_at < take_back_milliseconds)
        return Action::Nothing;
    // The wait is over: only the holder at its end counts, not the changes on the way.
    if (m_holder != Holder::Other) {
        m_lost_at.reset();
        return Action::Nothing;
    }
    return Action::End;
}

std::optional<std::int64_t> FocusWatch::deadline() const
{
    if (!m_lost_at)
        return {};
    return *m_lost_at + take_back_milliseconds;
}

}
