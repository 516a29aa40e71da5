#pragma once

#include "platform/x11/ModuleOptions.h"
#include "platform/x11/X11HostBase.h"

#include <optional>
#include <stdexcept>
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
// grabs and leaves the pointer alone. A window that is not its own keeps its
// attributes: the module only listens to it for size changes, exposure and
// destruction, which is its own business and changes nothing another client
// sees.
class ModuleHost final : public X11HostBase {
public:
    // Opens the display and checks that the window exists and takes the
    // display's pixels. Throws DisplayError or TargetError when it cannot.
    ModuleHost(ModuleTarget, std::optional<unsigned long> window_id);
    ~ModuleHost() override;

    bool previous_instance() const override { return false; }
    std::string argument_text() const override { return "/S"; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override { return m_size; }
    void handle_pending_events() override;
    void show_window() override;
    void unload_window() override;

    std::optional<std::string> handle_window_event(XEvent const&) override;
    bool takes_input_from(Window window) const override { return m_owned && window == m_window; }

    // Whether the module made its window itself.
    bool owns_window() const { return m_owned; }
    // Whether the loop stopped because the user closed the module's own window.
    bool closed_by_user() const { return m_closed_by_user; }

    // The size of the window the module opens for itself.
    static constexpr ScreenSize own_window_size { 800, 600 };

private:
    void adopt(Window);
    void create_own_window();

    bool m_owned { false };
    bool m_shown { false };
    bool m_closed_by_user { false };
    ScreenSize m_size;
    Atom m_protocols { None };
    Atom m_delete_window { None };
};

}
