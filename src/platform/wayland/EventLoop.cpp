#include "platform/wayland/EventLoop.h"

#include "platform/TickDelivery.h"
#include "platform/posix/KeyTable.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <linux/input-event-codes.h>
#include <poll.h>

namespace qm::wayland {

namespace {

EventLoop& loop_of(void* data) { return *static_cast<EventLoop*>(data); }

void on_keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t descriptor, std::uint32_t size)
{
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
        loop_of(data).keymap().load(descriptor, size);
    else
        close(descriptor);
}
void on_keyboard_enter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) { loop_of(data).keyboard_entered(surface); }
void on_keyboard_leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) { loop_of(data).keyboard_left(); }
void on_key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state)
{
    loop_of(data).key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}
void on_modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    loop_of(data).keymap().set_modifiers(depressed, latched, locked, group);
}
void on_repeat_info(void* data, wl_keyboard*, std::int32_t rate, std::int32_t delay) { loop_of(data).repeat_info(rate, delay); }
wl_keyboard_listener const keyboard_listener { on_keymap, on_keyboard_enter, on_keyboard_leave, on_key, on_modifiers, on_repeat_info };

void on_pointer_enter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    loop_of(data).pointer_entered(serial, surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void on_pointer_leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) { loop_of(data).pointer_left(); }
void on_motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    loop_of(data).pointer_moved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void on_button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state)
{
    loop_of(data).button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
wl_pointer_listener const pointer_listener = pointer_listener_for(on_pointer_enter, on_pointer_leave, on_motion, on_button);

// A fullscreen window gets the keyboard once the compositor has mapped it,
// which takes a frame or a few on a busy machine; one never given it leaves
// the keys with the window under it.
constexpr std::int64_t keyboard_arrival_limit = 1000;

}

EventLoop::EventLoop(WaylandHost& host, Saver& saver, posix::TerminationSignals const& signals)
    : m_host(host)
    , m_saver(saver)
    , m_signals(signals)
    , m_size(host.play_size())
    , m_renderer(m_size)
    , m_trace_ticks(std::getenv("QUILVENMOOR_TICK_TRACE") != nullptr)
{
    m_saver.resize(m_size);
    Connection& connection = m_host.connection();
    seat_capabilities(connection.seat_capabilities());
    connection.on_seat_change([this](std::uint32_t capabilities) { seat_capabilities(capabilities); });
}

EventLoop::~EventLoop()
{
    m_host.connection().on_seat_change({});
    if (m_keyboard)
        release(m_keyboard);
    if (m_pointer)
        release(m_pointer);
}

EventLoop::Outcome EventLoop::run()
{
    wl_display* display = m_host.connection().display();
    present();
    expect_keyboard();
    while (m_saver.running()) {
        if (m_signals.requested())
            return Outcome::Signalled;
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);

        // While the play area's last frame is not called back, nobody may be
        // looking: the ticks that fall due wait for the call back, or for
        // the next wake a second on, and then run in a batch.
        m_visibility = m_host.frame_owed() ? Visibility::Unseen : Visibility::Seen;
        std::optional<std::int64_t> due = next_tick_wake(m_host.scheduler(), m_visibility, m_last_tick_wake);
        for (auto const other : { m_repeat.next_due(), m_hold.deadline() }) {
            if (other && (!due || *other < *due))
                due = other;
        }
        int timeout = -1;
        if (due)
            timeout = static_cast<int>(std::max<std::int64_t>(0, *due - posix::monotonic_milliseconds()));
        pollfd descriptors[2] = { { wl_display_get_fd(display), POLLIN, 0 }, { m_signals.descriptor(), POLLIN, 0 } };
        poll(descriptors, m_signals.descriptor() >= 0 ? 2 : 1, timeout);
        if (descriptors[0].revents & (POLLIN | POLLERR | POLLHUP))
            wl_display_read_events(display);
        else
            wl_display_cancel_read(display);
        if (m_signals.requested())
            return Outcome::Signalled;

        dispatch();
        if (auto failure = m_host.connection().failure())
            m_failure = std::move(*failure);
        else if (m_host.failure())
            m_failure = *m_host.failure();
        if (!m_failure.empty())
            return Outcome::Failed;
        keep_keyboard();
        deliver_due();
        present();
    }
    return Outcome::SaverEnded;
}

void EventLoop::dispatch()
{
    wl_display_dispatch_pending(m_host.connection().display());
    if (!m_host.connection().failure())
        m_host.settle();
    follow_play_size();
}

void EventLoop::follow_play_size()
{
    ScreenSize const size = m_host.play_size();
    if (size == m_size || size.width <= 0 || size.height <= 0)
        return;
    m_size = size;
    m_saver.resize(m_size);
    m_renderer.resize(m_size);
}

// Another client has the keyboard when none of our surfaces has it, after
// a leave or when the surface that had it is gone. The saver asks for it
// back, and ends when it does not come back in time: keys typed meanwhile
// would reach a window the user cannot see.
void EventLoop::keep_keyboard()
{
    std::int64_t const now = posix::monotonic_milliseconds();
    if (m_keyboard_surface && !m_host.shows(m_keyboard_surface)) {
        m_keyboard_surface = nullptr;
        m_hold.lost(now);
    }
    if (m_hold.take_reclaim()) {
        if (m_trace_ticks)
            std::fprintf(stderr, "keyboard asked back %lld\n", static_cast<long long>(now));
        m_host.reclaim_keyboard();
    }
    if (m_hold.expired(now) && m_saver.running()) {
        if (m_trace_ticks)
            std::fprintf(stderr, "keyboard not back %lld\n", static_cast<long long>(now));
        deliver_at(now, [&](ClockReading clock) { m_saver.dismiss(clock); });
    }
}

void EventLoop::deliver_due()
{
    std::int64_t const now = posix::monotonic_milliseconds();
    end_if_displaced(now);
    deliver_due_ticks_by(now);
    if (auto const key = m_repeat.take_due(now); key && m_saver.running())
        deliver_key(*key);
}

// Ticks that fell due while the loop waited on a frame's call back run at
// their own due times, so the motion is where it would be had every frame
// been drawn; otherwise a tick runs when the loop wakes for it.
void EventLoop::deliver_due_ticks_by(std::int64_t now)
{
    TickTrace const trace = m_trace_ticks ? TickTrace::On : TickTrace::Off;
    int const delivered = m_visibility == Visibility::Unseen ? deliver_due_ticks_in_batch(m_host, m_saver, now, posix::wall_clock(), trace)
                                                             : deliver_due_ticks(m_host, m_saver, now, posix::wall_clock, trace);
    if (delivered > 0)
        m_last_tick_wake = now;
}

void EventLoop::end_if_displaced(std::int64_t now)
{
    if (!m_saver.running())
        return;
    if (m_host.close_requested())
        deliver_at(now, [&](ClockReading clock) { m_saver.dismiss(clock); });
}

void EventLoop::present()
{
    Frmsaver const* form = m_saver.form();
    if (!form || !m_host.present(m_renderer, *form))
        return;
    if (m_trace_ticks && !m_presented)
        std::fprintf(stderr, "frame %lld\n", static_cast<long long>(posix::monotonic_milliseconds()));
    m_presented = true;
}

void EventLoop::seat_capabilities(std::uint32_t capabilities)
{
    wl_seat* seat = m_host.connection().seat();
    bool const keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    bool const pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (keyboard && !m_keyboard) {
        m_keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(m_keyboard, &keyboard_listener, this);
        if (m_presented)
            expect_keyboard();
    } else if (!keyboard && m_keyboard) {
        release(m_keyboard);
        m_keyboard = nullptr;
        m_keyboard_surface = nullptr;
        m_repeat.reset();
        m_hold.gone();
        if (m_trace_ticks)
            std::fprintf(stderr, "keyboard gone from the seat %lld\n", static_cast<long long>(posix::monotonic_milliseconds()));
    }
    if (pointer && !m_pointer) {
        m_pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(m_pointer, &pointer_listener, this);
    } else if (!pointer && m_pointer) {
        release(m_pointer);
        m_pointer = nullptr;
        m_pointer_surface = nullptr;
    }
}

// A fullscreen window is given the keyboard like any other window, or not:
// once it shows, the keyboard of the seat must come within a moment. A layer
// surface that asks for the keyboard has it at once.
void EventLoop::expect_keyboard()
{
    if (m_host.shell() == Shell::Toplevel && m_keyboard)
        m_hold.expect_arrival(posix::monotonic_milliseconds() + keyboard_arrival_limit);
}

void EventLoop::keyboard_entered(wl_surface* surface)
{
    // Keys already held when the keyboard arrives are no presses (see KeyRepeat).
    m_repeat.reset();
    m_keyboard_surface = surface;
    m_hold.arrived();
    if (m_trace_ticks)
        std::fprintf(stderr, "keyboard entered %lld\n", static_cast<long long>(posix::monotonic_milliseconds()));
}

void EventLoop::keyboard_left()
{
    m_repeat.reset();
    m_keyboard_surface = nullptr;
    std::int64_t const now = posix::monotonic_milliseconds();
    m_hold.lost(now);
    if (m_trace_ticks)
        std::fprintf(stderr, "keyboard left %lld\n", static_cast<long long>(now));
}

void EventLoop::key(std::uint32_t key, bool pressed)
{
    if (!pressed) {
        m_repeat.release(key);
        return;
    }
    m_repeat.press(key, m_keymap.repeats(key) ? Repetition::Repeats : Repetition::Single, posix::monotonic_milliseconds());
    deliver_key(key);
}

void EventLoop::deliver_key(std::uint32_t key)
{
    if (!m_saver.running())
        return;
    // A key pressed before any keymap arrived still ends the saver, as an
    // unknown key does everywhere.
    std::vector<unsigned long> const by_layout = m_keymap.level_one_keysyms(key);
    VirtualKey const virtual_key = posix::virtual_key_for(m_keymap.keysym(key), by_layout, Keymap::xkb_keycode(key));
    std::int64_t const now = posix::monotonic_milliseconds();
    // A diagnostic for watching presses and their repeats from outside.
    if (m_trace_ticks)
        std::fprintf(stderr, "key %d %lld\n", code_of(virtual_key), static_cast<long long>(now));
    deliver_at(now, [&](ClockReading clock) { m_saver.key_down(virtual_key, clock); });
}

template<typename Deliver>
void EventLoop::deliver_at(std::int64_t now, Deliver&& deliver)
{
    // Ticks held back for a batch come first: the saver's time never goes back.
    if (m_visibility == Visibility::Unseen)
        deliver_due_ticks_by(now);
    if (!m_saver.running())
        return;
    m_host.set_now(now);
    deliver(posix::wall_clock());
}

void EventLoop::pointer_entered(std::uint32_t serial, wl_surface* surface, double x, double y)
{
    // No pointer over any of the saver's surfaces.
    wl_pointer_set_cursor(m_pointer, serial, nullptr, 0, 0);
    m_pointer_surface = surface;
    // The entry is the pointer's first position, also when it comes back
    // after a leave (an output that changes scale sends both, for the same
    // spot in new units); a move from there is real.
    m_saver.pointer_returned();
    if (m_trace_ticks)
        std::fprintf(stderr, "pointer entered %lld\n", static_cast<long long>(posix::monotonic_milliseconds()));
    pointer_moved(x, y);
}

void EventLoop::pointer_moved(double x, double y)
{
    auto const position = m_host.play_position(m_pointer_surface, x, y);
    if (!position || !m_saver.running())
        return;
    deliver_at(posix::monotonic_milliseconds(), [&](ClockReading clock) { m_saver.mouse_move(position->first, position->second, clock); });
    m_last_pointer = position;
}

void EventLoop::button(std::uint32_t button, bool pressed)
{
    if (!pressed || !m_last_pointer || !m_saver.running())
        return;
    // Left, middle and right; the other buttons are no clicks, as on X11.
    std::optional<MouseButton> const clicked = button == BTN_LEFT ? MouseButton::Left
        : button == BTN_MIDDLE                                    ? MouseButton::Middle
        : button == BTN_RIGHT                                     ? std::optional(MouseButton::Right)
                                                                  : std::nullopt;
    if (!clicked)
        return;
    deliver_at(posix::monotonic_milliseconds(), [&](ClockReading clock) { m_saver.mouse_down(*clicked, m_last_pointer->first, m_last_pointer->second, clock); });
}

}
