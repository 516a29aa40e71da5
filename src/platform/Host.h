#pragma once

#include "platform/Geometry.h"

#include <string>
#include <string_view>

namespace qm {

// The three timers of the saver window, in the order the window creates them.
// Ticks due at the same instant are delivered in this order.
enum class TimerId {
    Scroll, // timerScreenSaver2
    Banner, // timerBirthday
    Bounce, // timerScreenSaver
};

constexpr int timer_count = 3;

// Everything the saver asks of the platform it runs on. Each front end (the
// headless simulator, the X11 desktop, the Windows screen saver) implements
// it; the saver itself includes no header of any operating system. The clock
// is not here: the platform passes the time in with every event.
class Host {
public:
    virtual ~Host() = default;

    // Whether another process of this program is running.
    virtual bool previous_instance() const = 0;
    // The command line after the program's own name.
    virtual std::string argument_text() const = 0;
    // A modal message box; returns when the user has closed it.
    virtual void show_message_box(std::string_view text, std::string_view title, int style) = 0;
    // The inner size the saver window has when it covers the screen.
    virtual ScreenSize screen_size() const = 0;
    // Handles every event already pending, once.
    virtual void handle_pending_events() = 0;
    // Shows the loaded window, covering the screen.
    virtual void show_window() = 0;
    // Takes the window off the screen; the process is about to end.
    virtual void unload_window() = 0;
    // Starts a timer counting from now, or stops it.
    virtual void set_timer(TimerId, bool enabled, int interval_milliseconds) = 0;
};

}
