#pragma once

#include "platform/TimedHost.h"
#include "platform/x11/Connection.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qm::x11 {

// What every X11 front end shares: the connection, opened only when
// something needs it (a start that simply ends needs no display), the window
// the saver draws into, and the timers. A front end adds how that window is
// made and kept, and answers the window events the shared loop leaves to it.
class X11HostBase : public TimedHost {
public:
    ~X11HostBase() override;

    // Throws DisplayError when the display cannot be opened.
    Connection& connection() const;
    bool connected() const { return m_connection != nullptr; }
    // The window the saver draws into; its size is the play area.
    Window window() const { return m_window; }

    // An event the shared loop does not handle itself. Returns why the
    // saver cannot go on, if it cannot.
    virtual std::optional<std::string> handle_window_event(XEvent const&) { return {}; }
    // Whether keys and pointer events that arrive for `window` are the saver's.
    virtual bool takes_input_from(Window window) const { return window == m_window; }
    // Whether, at `now`, another client has kept the keyboard from the saver
    // long enough that the saver must end; and when the loop must next ask.
    virtual bool keyboard_taken(std::int64_t /*now*/) { return false; }
    virtual std::optional<std::int64_t> keyboard_deadline() const { return {}; }

protected:
    mutable std::unique_ptr<Connection> m_connection;
    Window m_window { None };
};

}
