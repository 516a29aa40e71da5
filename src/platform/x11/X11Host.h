#pragma once

#include "platform/Host.h"
#include "platform/TickScheduler.h"
#include "platform/x11/Connection.h"
#include "platform/x11/InstanceLock.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm::x11 {

// The saver's platform on an X11 desktop. The display is opened only when
// something needs it, so a start that simply ends needs no display at all.
class X11Host final : public Host {
public:
    explicit X11Host(std::string argument_text);
    ~X11Host() override;

    bool previous_instance() const override { return m_lock.another_runs(); }
    std::string argument_text() const override { return m_arguments; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override;
    void handle_pending_events() override;
    void show_window() override;
    void unload_window() override;
    void set_timer(TimerId id, bool enabled, int interval) override { m_scheduler.set(id, enabled, interval, m_now); }

    // Throws DisplayError when the display cannot be opened.
    Connection& connection() const;
    bool connected() const { return m_connection != nullptr; }
    Window window() const { return m_window; }
    TickScheduler& scheduler() { return m_scheduler; }
    // The monotonic time of the event being handled, in milliseconds.
    void set_now(std::int64_t now) { m_now = now; }

private:
    void grab_input();

    std::string m_arguments;
    InstanceLock m_lock;
    mutable std::unique_ptr<Connection> m_connection;
    Window m_window { None };
    Cursor m_blank_pointer { None };
    TickScheduler m_scheduler;
    std::int64_t m_now { 0 };
};

}
