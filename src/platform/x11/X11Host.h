#pragma once

#include "platform/MonitorLayout.h"
#include "platform/posix/InstanceLock.h"
#include "platform/x11/FocusReturn.h"
#include "platform/x11/FocusWatch.h"
#include "platform/x11/X11HostBase.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::x11 {

// The stand-alone saver's platform on an X11 desktop: a window over the
// primary monitor that the logo plays in, plain black covers over the other
// monitors, both grabs, and a window that stays on top and in place while
// other programs come and go.
class X11Host final : public X11HostBase {
public:
    // `session_name` names the one copy that may run per user and session.
    X11Host(std::string argument_text, std::string const& session_name);
    ~X11Host() override;

    bool previous_instance() const override { return m_lock.another_runs(); }
    std::string argument_text() const override { return m_arguments; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override;
    void handle_pending_events() override;
    // Throws DisplayError, naming what holds it, when the keyboard or the
    // pointer cannot be grabbed within two seconds.
    void show_window() override;
    void unload_window() override;

    std::optional<std::string> handle_window_event(XEvent const&) override;
    bool keyboard_taken(std::int64_t now) override;
    std::optional<std::int64_t> keyboard_deadline() const override { return m_focus_watch.deadline(); }

private:
    MonitorLayout current_layout() const;
    void follow_screen();
    void place_covers(std::vector<Rect> const&);
    void destroy_covers();
    void raise_all();
    bool is_ours(Window) const;
    std::optional<std::string> grab_input();
    void return_focus();
    void follow_focus();
    void end_server_saver();

    std::string m_arguments;
    posix::InstanceLock m_lock;
    Cursor m_blank_pointer { None };
    std::vector<Window> m_covers;
    MonitorLayout m_layout;
    int m_randr_event_base { -1 };
    bool m_regrab_on_map { false };
    // The keyboard focus as the saver found it, to give back when it ends.
    std::optional<KeyboardFocus> m_focus_found;
    FocusWatch m_focus_watch;
    bool m_keyboard_taken { false };
};

}
