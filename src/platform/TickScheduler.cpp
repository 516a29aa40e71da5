#include "platform/TickScheduler.h"

namespace qm {

void TickScheduler::set(TimerId id, bool enabled, std::int64_t interval, std::int64_t now)
{
    Entry& entry = m_entries[index(id)];
    entry.enabled = enabled;
    entry.interval = interval > 0 ? interval : 1;
    entry.due = now + entry.interval;
}

std::optional<std::int64_t> TickScheduler::next_due() const
{
    std::optional<std::int64_t> earliest;
    for (Entry const& entry : m_entries) {
        if (entry.enabled && (!earliest || entry.due < *earliest))
            earliest = entry.due;
    }
    return earliest;
}

std::optional<TimerId> TickScheduler::take_due(std::int64_t now)
{
    std::optional<std::size_t> chosen;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry const& entry = m_entries[i];
        if (entry.enabled && entry.due <= now && (!chosen || entry.due < m_entries[*chosen].due))
            chosen = i;
    }
    if (!chosen)
        return std::nullopt;
    Entry& entry = m_entries[*chosen];
    entry.due += entry.interval;
    if (entry.due <= now)
        entry.due += ((now - entry.due) / entry.interval + 1) * entry.interval;
    return static_cast<TimerId>(*chosen);
}

}
