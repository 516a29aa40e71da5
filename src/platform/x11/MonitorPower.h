#pragma once

#include "platform/TickDelivery.h"
#include "platform/x11/Connection.h"

#include <cstdint>
#include <optional>

namespace qm::x11 {

// Whether the monitor is powered, as the server's DPMS extension reports
// it. Asking costs a round trip, so it asks at most every `query_interval`
// milliseconds, on wake-ups the loop has anyway. The server turns its own
// screen saver on whenever it powers the monitor down and off when it powers
// it up, and says so to clients that listen (MIT-SCREEN-SAVER): such a
// notice makes the next refresh ask at once, so the saver draws again as
// soon as the monitor is on. (The notices of DPMS 1.2 itself would serve
// too, but servers that report 1.2 refuse the request that selects them.)
// Without the extension the monitor counts as always on.
class MonitorPower {
public:
    static constexpr std::int64_t query_interval = 2'500;

    explicit MonitorPower(Connection&);

    // Asks the server again if the last answer is `query_interval` old.
    void refresh(std::int64_t now);
    Visibility visibility() const { return m_visibility; }

    // When the next refresh will ask; nothing without the extension.
    std::optional<std::int64_t> next_query() const;

    // Whether `event` is the server's notice that its screen saver turned
    // on or off; the next refresh then asks at once.
    bool take_notice(XEvent const&);

private:
    Connection& m_connection;
    bool m_available { false };
    int m_saver_event_base { -1 };
    Visibility m_visibility { Visibility::Seen };
    std::int64_t m_next_query { 0 };
};

}
