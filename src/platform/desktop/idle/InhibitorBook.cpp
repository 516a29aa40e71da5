#include "platform/desktop/idle/InhibitorBook.h"

#include <algorithm>

namespace qm::idle {

std::optional<std::uint32_t> InhibitorBook::inhibit(std::string const& caller, std::string application, std::string reason)
{
    auto const held = std::count_if(m_inhibitors.begin(), m_inhibitors.end(), [&](auto const& inhibitor) { return inhibitor.caller == caller; });
    if (static_cast<std::size_t>(held) >= holds_per_caller)
        return std::nullopt;
    auto in_use = [&](std::uint32_t cookie) {
        return std::any_of(m_inhibitors.begin(), m_inhibitors.end(), [&](auto const& inhibitor) { return inhibitor.cookie == cookie; });
    };
    // Cookies count up and wrap past zero; one still in use after a wrap is skipped.
    do
        ++m_last_cookie;
    while (m_last_cookie == 0 || in_use(m_last_cookie));
    m_inhibitors.push_back({ m_last_cookie, caller, std::move(application), std::move(reason) });
    return m_last_cookie;
}

bool InhibitorBook::uninhibit(std::string const& caller, std::uint32_t cookie)
{
    auto const found = std::find_if(m_inhibitors.begin(), m_inhibitors.end(), [&](auto const& inhibitor) {
        return inhibitor.cookie == cookie && inhibitor.caller == caller;
    });
    if (found == m_inhibitors.end())
        return false;
    m_inhibitors.erase(found);
    return true;
}

std::size_t InhibitorBook::caller_left(std::string const& caller)
{
    return std::erase_if(m_inhibitors, [&](auto const& inhibitor) { return inhibitor.caller == caller; });
}

}
