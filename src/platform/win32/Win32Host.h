#pragma once

#include "platform/Host.h"
#include "platform/TickScheduler.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace qm::win32 {

// The saver's platform on Windows: a named mutex for the previous-instance
// flag, the message box, and a top-most popup window over the primary monitor.
class Win32Host final : public Host {
public:
    Win32Host(HINSTANCE, std::string argument_text);
    ~Win32Host() override;

    Win32Host(Win32Host const&) = delete;
    Win32Host& operator=(Win32Host const&) = delete;

    bool previous_instance() const override { return m_another_runs; }
    std::string argument_text() const override { return m_arguments; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override;
    void handle_pending_events() override;
    void show_window() override;
    void unload_window() override;
    void set_timer(TimerId id, bool enabled, int interval) override { m_scheduler.set(id, enabled, interval, m_now); }

    // The window procedure is the event loop's; it gets `context` back with every message.
    void set_window_procedure(WNDPROC, void* context);

    HWND window() const { return m_window; }
    HCURSOR blank_pointer() const { return m_blank_pointer; }
    TickScheduler& scheduler() { return m_scheduler; }
    void set_now(std::int64_t now) { m_now = now; }

private:
    HINSTANCE m_instance;
    std::string m_arguments;
    HANDLE m_mutex { nullptr };
    bool m_another_runs { false };
    HWND m_window { nullptr };
    HCURSOR m_blank_pointer { nullptr };
    WNDPROC m_procedure { nullptr };
    void* m_context { nullptr };
    TickScheduler m_scheduler;
    std::int64_t m_now { 0 };
};

}
