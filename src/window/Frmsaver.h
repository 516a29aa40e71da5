#pragma once

#include "platform/Host.h"
#include "platform/Input.h"
#include "platform/runtime/Numeric.h"
#include "window/Controls.h"

#include <string_view>

namespace qm {

class Global;
class Runtime;

// Who receives a pointer event at a point of the window.
enum class HitTarget {
    Form, // the window's own surface
    Box, // the logo box, its picture or clock label
    Banner, // the credits banner while it is visible
};

// The saver window with its controls, in the order the window creates them,
// and its event handlers. The handlers are defined beside the subsystem they
// belong to: window/ (load, banner), motion/ (ticks, clock), input/ (keys, mouse).
class Frmsaver {
public:
    static constexpr std::string_view title = "Screen saver";
    static constexpr std::string_view credits_line = "Quilvenmoor ScreenSaver V1.41 : Folvaren";
    static constexpr std::string_view birthday_line = "Its my Birthday! :)";
    static constexpr std::string_view clock_placeholder = "Booooooooooooooooooooooo";

    // Creates the window and its controls, not yet visible. Enabled timers count from here.
    Frmsaver(Global&, Runtime&, Host&);

    Frmsaver(Frmsaver const&) = delete;
    Frmsaver& operator=(Frmsaver const&) = delete;

    // The inner size of the window: the whole screen.
    float ScaleWidth() const { return m_scale_width; }
    float ScaleHeight() const { return m_scale_height; }
    // The screen changed size: the window follows it. The motion rules read
    // the new size from the next tick on. The box stays where it is, except
    // that a box left beyond the new bottom edge (and in bounce mode beyond
    // the new right edge) is put against that edge.
    void resize(ScreenSize);

    HitTarget hit_test(float x, float y) const;

    // Event handlers.
    void Form_Load();
    void Form_KeyDown(VirtualKey KeyCode, Integer Shift);
    void Form_MouseDown(MouseButton Button, Integer Shift, float X, float Y);
    void Form_MouseMove(Integer Button, Integer Shift, float X, float Y);
    void timerScreenSaver2_Timer();
    void timerScreenSaver_Timer();
    void timerBirthday_Timer();

    // The two random rules shared by loading, the keys and scroll mode.
    void random_course();
    void random_heading();
    void random_speed();
    void random_placement();
    void random_placement_horizontal();
    void random_placement_vertical();

    // Writes the time, six spaces and the date to the clock label.
    void show_clock_caption();

    TimerControl timerScreenSaver2;
    PictureBox picScreenSaver;
    Label Label1;
    TimerControl timerBirthday;
    TimerControl timerScreenSaver;
    Label Birthday;

    // The pointer position recorded by the move handler; (0, 0) means none.
    Integer LastMouseX { 0 };
    Integer LastMouseY { 0 };

private:
    Global& m_global;
    Runtime& m_runtime;
    float m_scale_width;
    float m_scale_height;
};

}
