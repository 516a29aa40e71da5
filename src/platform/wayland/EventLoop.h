#pragma once

#include "platform/KeyboardHold.h"
#include "platform/TickDelivery.h"
#include "platform/wayland/KeyRepeat.h"
#include "platform/wayland/Keymap.h"
#include "platform/wayland/WaylandHost.h"
#include "platform/posix/Process.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <string>

struct wl_keyboard;
struct wl_pointer;
struct wl_surface;

namespace qm::wayland {

// The one loop of the Wayland front end. It waits on the compositor and the
// termination signals with a timeout to the next due tick or key repeat,
// translates each input event once (keys by keysym through the shared key
// table, the pointer into the play area's pixels), follows the play area's
// size, and after each round sends the renderer's changes.
class EventLoop {
public:
    enum class Outcome {
        SaverEnded, // see Saver::ending()
        Signalled, // SIGTERM, SIGINT or SIGHUP
        Failed, // the compositor is gone or refused us: see failure()
    };

    EventLoop(WaylandHost&, Saver&, posix::TerminationSignals const&);
    ~EventLoop();

    EventLoop(EventLoop const&) = delete;
    EventLoop& operator=(EventLoop const&) = delete;

    Outcome run();
    std::string const& failure() const { return m_failure; }

    // For the seat's listeners.
    void seat_capabilities(std::uint32_t capabilities);
    Keymap& keymap() { return m_keymap; }
    void key(std::uint32_t key, bool pressed);
    // The keyboard arrived on one of our surfaces, or went elsewhere: no key
    // held before counts, and the keyboard rule hears of it.
    void keyboard_entered(wl_surface*);
    void keyboard_left();
    void repeat_info(int rate, int delay) { m_repeat.set_rate(rate, delay); }
    void pointer_entered(std::uint32_t serial, wl_surface*, double x, double y);
    void pointer_left() { m_pointer_surface = nullptr; }
    void pointer_moved(double x, double y);
    void button(std::uint32_t button, bool pressed);

private:
    void dispatch();
    // Hands an input event to the saver with the host's time at `now` and
    // the clock reading of this moment.
    template<typename Deliver>
    void deliver_at(std::int64_t now, Deliver&&);
    void deliver_key(std::uint32_t key);
    void deliver_due();
    void deliver_due_ticks_by(std::int64_t now);
    // The compositor asked the saver's window to close: the saver ends as a
    // dismissing key ends it.
    void end_if_displaced(std::int64_t now);
    void follow_play_size();
    void keep_keyboard();
    void expect_keyboard();
    void present();

    WaylandHost& m_host;
    Saver& m_saver;
    posix::TerminationSignals const& m_signals;
    ScreenSize m_size;
    Renderer m_renderer;
    KeyRepeat m_repeat;
    KeyboardHold m_hold;
    wl_keyboard* m_keyboard { nullptr };
    wl_surface* m_keyboard_surface { nullptr };
    wl_pointer* m_pointer { nullptr };
    wl_surface* m_pointer_surface { nullptr };
    std::optional<std::pair<float, float>> m_last_pointer;
    Keymap m_keymap;
    std::string m_failure;
    bool m_trace_ticks;
    // What the loop knew when it last went to sleep, and when it last ran ticks.
    Visibility m_visibility { Visibility::Seen };
    std::int64_t m_last_tick_wake { 0 };
    bool m_presented { false };
};

}
