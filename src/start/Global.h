#pragma once

#include "platform/Host.h"
#include "platform/runtime/Numeric.h"
#include "platform/runtime/Variant.h"
#include "window/Frmsaver.h"

#include <optional>
#include <string_view>

namespace qm {

class Runtime;

// The start-up module: the entry procedure, the one way out, and the motion
// state that the load handler, the keys and the ticks share.
class Global {
public:
    static constexpr std::string_view configuration_text = "There are no configuration options for the screensaver 'Quilvenmoor'";
    static constexpr std::string_view configuration_title = "S C R E E N   S A V E R";
    static constexpr int information_style = 64;

    Global(Host&, Runtime&);

    Global(Global const&) = delete;
    Global& operator=(Global const&) = delete;

    // Decides from the previous-instance flag and the argument text whether
    // to run; for "/S" loads and shows the window and returns, otherwise ends
    // the process (by throwing ProcessEnd).
    void Main();

    // Unloads the window and ends the process; never returns.
    [[noreturn]] void EndSaver();

    bool loaded() const { return m_form.has_value(); }
    Frmsaver& form() { return *m_form; }
    Frmsaver const& form() const { return *m_form; }

    // The motion state, zeroed at process start.
    Integer Heading { 0 };
    float Speed { 0 };
    Variant SpeedUp;

    // The speed-up clock is the Tag of timerScreenSaver: the text of Timer when restarted.
    void restart_speed_up_clock();
    // SpeedUp <- (SpeedUp - 1) ^ 2: from empty 1, then 0, 1, ...
    void toggle_speed_up();
    // Seconds since the speed-up clock was restarted, a day added when the
    // clock has passed midnight since, so that elapsed time stays elapsed time.
    double elapsed_seconds() const;
    // Heading in radians, with the constant 3.142 that the motion has always used.
    double heading_radians() const;

private:
    Host& m_host;
    Runtime& m_runtime;
    std::optional<Frmsaver> m_form;
};

}
