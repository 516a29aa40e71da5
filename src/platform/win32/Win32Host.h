#pragma once

#include "platform/MonitorLayout.h"
#include "platform/TimedHost.h"
#include "platform/win32/MonitorCovers.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qm::win32 {

// The saver's platform on Windows: a named mutex for the previous-instance
// flag, the message box, a top-most popup window over the primary monitor
// (the play area), registered for the console display's power state, and
// black covers over every other monitor.
class Win32Host final : public TimedHost {
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

    // The window procedures are the event loop's, one for the saver window
    // and one for the covers; they get `context` back with every message.
    void set_window_procedures(WNDPROC saver, WNDPROC cover, void* context);

    // The displays changed: the saver window takes the primary monitor's
    // area again and the covers are laid out anew. Returns the window's new
    // inner size.
    ScreenSize follow_display();

    HWND window() const { return m_window; }
    HCURSOR blank_pointer() const { return m_blank_pointer; }

private:
    HINSTANCE m_instance;
    std::string m_arguments;
    HANDLE m_mutex { nullptr };
    bool m_another_runs { false };
    HWND m_window { nullptr };
    HPOWERNOTIFY m_display_notification { nullptr };
    HCURSOR m_blank_pointer { nullptr };
    WNDPROC m_procedure { nullptr };
    WNDPROC m_cover_procedure { nullptr };
    void* m_context { nullptr };
    MonitorLayout m_layout;
    std::unique_ptr<MonitorCovers> m_covers;
};

}
