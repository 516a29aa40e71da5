#pragma once

#include "platform/Host.h"
#include "platform/TickScheduler.h"
#include "platform/x11/Connection.h"
#include "platform/x11/ModuleOptions.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qm::x11 {

// Thrown when the window to draw into cannot be used.
class TargetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The saver's platform inside a window: a framework's window, any window
// named by its id, the root window, or an ordinary window of its own. It
// always runs the saver as after "/S", allows any number of copies, takes no
// grabs and leaves the pointer alone. A window that is not its own keeps
// its attributes; the module only listens to it for size changes, exposure
// and destruction, which no other client notices.
class ModuleHost final : public Host {
public:
    // Checks that the window exists and can be drawn into with the display's
    // visual. Throws TargetError when it cannot.
    ModuleHost(Connection&, ModuleTarget, std::optional<unsigned long> window_id);
    ~ModuleHost() override;

    ModuleHost(ModuleHost const&) = delete;
    ModuleHost& operator=(ModuleHost const&) = delete;

    bool previous_instance() const override { return false; }
    std::string argument_text() const override { return "/S"; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override { return m_size; }
    void handle_pending_events() override;
    void show_window() override;
    void unload_window() override;
    void set_timer(TimerId id, bool enabled, int interval) override { m_scheduler.set(id, enabled, interval, m_now); }

    Connection& connection() const { return m_connection; }
    Window window() const { return m_window; }
    // Whether the module made the window (and so reads input from it).
    bool owns_window() const { return m_owned; }
    TickScheduler& scheduler() { return m_scheduler; }
    void set_now(std::int64_t now) { m_now = now; }
    // The window's new size, from its ConfigureNotify.
    void set_size(ScreenSize size) { m_size = size; }
    // The window is gone: nothing may be sent to it any more.
    void forget_window();

    // The size of the window the module opens for itself.
    static constexpr ScreenSize own_window_size { 800, 600 };

private:
    void adopt(Window);
    void create_own_window();

    Connection& m_connection;
    Window m_window { None };
    bool m_owned { false };
    bool m_shown { false };
    ScreenSize m_size;
    Atom m_delete_window { None };
    TickScheduler m_scheduler;
    std::int64_t m_now { 0 };
};

}
