#include "platform/x11/MonitorPower.h"

#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace qm::x11 {

MonitorPower::MonitorPower(Connection& connection)
    : m_connection(connection)
{
    int event_base = 0;
    int error_base = 0;
    m_available = DPMSQueryExtension(connection.display(), &event_base, &error_base) && DPMSCapable(connection.display());
    if (m_available && XScreenSaverQueryExtension(connection.display(), &event_base, &error_base)) {
        m_saver_event_base = event_base;
        XScreenSaverSelectInput(connection.display(), connection.root(), ScreenSaverNotifyMask);
    }
}

bool MonitorPower::take_notice(XEvent const& event)
{
    if (m_saver_event_base < 0 || event.type != m_saver_event_base + ScreenSaverNotify)
        return false;
    m_next_query = 0;
    return true;
}

std::optional<std::int64_t> MonitorPower::next_query() const
{
    if (!m_available)
        return {};
    return m_next_query;
}

void MonitorPower::refresh(std::int64_t now)
{
    if (!m_available || now < m_next_query)
        return;
    m_next_query = now + query_interval;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(m_connection.display(), &level, &enabled))
        return;
    // With DPMS disabled the server keeps the monitor on.
    m_visibility = !enabled || level == DPMSModeOn ? Visibility::Seen : Visibility::Unseen;
}

}
