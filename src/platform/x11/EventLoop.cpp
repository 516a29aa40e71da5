#include "platform/x11/EventLoop.h"

#include "platform/TickDelivery.h"
#include "platform/posix/KeyTable.h"
#include "platform/x11/MouseButtons.h"

#include <X11/XKBlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

namespace qm::x11 {

namespace {

// The symbols a key has at its first level, one for each group (layout) of
// the keymap, for the key table's rule for letters on non-Latin layouts.
struct LevelOneKeysyms {
    std::array<unsigned long, XkbNumKbdGroups> keysyms {};
    std::size_t count { 0 };
};

LevelOneKeysyms level_one_keysyms(XKeyEvent const& event)
{
    LevelOneKeysyms found;
    // Groups are numbered without gaps; a key has none beyond its last.
    for (int group = 0; group < XkbNumKbdGroups; ++group) {
        KeySym const keysym = XkbKeycodeToKeysym(event.display, static_cast<KeyCode>(event.keycode), group, 0);
        if (keysym == NoSymbol)
            break;
        found.keysyms[found.count++] = keysym;
    }
    return found;
}

ScreenSize window_size(Connection& connection, Window window)
{
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(connection.display(), window, &attributes))
        return {};
    return { attributes.width, attributes.height };
}

// A window that is not viewable now (someone else's, not yet mapped) shows
// by a VisibilityNotify once it is.
Visibility window_visibility(Connection& connection, Window window)
{
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(connection.display(), window, &attributes))
        return Visibility::Seen;
    return attributes.map_state == IsViewable ? Visibility::Seen : Visibility::Unseen;
}

}

EventLoop::EventLoop(X11HostBase& host, Saver& saver, posix::TerminationSignals const& signals)
    : m_host(host)
    , m_saver(saver)
    , m_size(window_size(host.connection(), host.window()))
    , m_renderer(m_size)
    , m_painter(host.connection(), host.window())
    , m_signals(signals)
    , m_power(host.connection())
    , m_trace_ticks(std::getenv("QUILVENMOOR_TICK_TRACE") != nullptr)
    , m_window_visibility(window_visibility(host.connection(), host.window()))
{
    // The window may already differ from the size the saver loaded with
    // (someone else's window, resized in between).
    m_saver.resize(m_size);
}

bool EventLoop::fail(std::string message)
{
    m_failure = std::move(message);
    return false;
}

EventLoop::Outcome EventLoop::run()
{
    Display* display = m_host.connection().display();
    m_last_tick_wake = posix::monotonic_milliseconds();
    follow_visibility(m_last_tick_wake);
    present();
    while (m_saver.running()) {
        if (m_signals.requested())
            return Outcome::Signalled;
        // Xlib reads the connection only when it may have something: the
        // loop's wake-ups are mostly the ticks', and each read attempt is a
        // system call or two.
        while (m_saver.running() && (m_connection_readable || XQLength(display) > 0) && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            // An unseen loop learns of an event up to a second after the
            // ticks due before it: those run first, as they would have on time.
            if (m_loop_visibility == Visibility::Unseen)
                deliver_batch(posix::monotonic_milliseconds());
            if (!m_saver.running())
                break;
            if (!handle(event))
                return Outcome::Failed;
        }
        if (auto error = m_host.connection().take_error()) {
            fail(std::move(*error));
            return Outcome::Failed;
        }
        if (std::int64_t const now = posix::monotonic_milliseconds(); m_host.keyboard_taken(now)) {
            // Keys typed now would reach another program, unseen behind the saver.
            deliver_at(now, [&](ClockReading clock) { m_saver.dismiss(clock); });
        }
        if (!m_saver.running())
            break;
        follow_visibility(posix::monotonic_milliseconds());
        if (!m_saver.running())
            break;
        present();
        flush();

        auto const wake = next_wake();
        int timeout = -1;
        if (wake)
            timeout = static_cast<int>(std::max<std::int64_t>(0, *wake - posix::monotonic_milliseconds()));
        // Events Xlib has already read (with a reply, or while flushing)
        // are handled at once.
        if (XQLength(display) > 0)
            timeout = 0;
        pollfd descriptors[2] = { { m_host.connection().file_descriptor(), POLLIN, 0 }, { m_signals.descriptor(), POLLIN, 0 } };
        poll(descriptors, m_signals.descriptor() >= 0 ? 2 : 1, timeout);
        m_connection_readable = (descriptors[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
        if (m_signals.requested())
            return Outcome::Signalled;
        if (descriptors[0].revents & (POLLERR | POLLHUP))
            XNoOp(display); // lets Xlib notice the lost connection and end the process
        if (m_loop_visibility == Visibility::Seen) {
            deliver_due_ticks();
        } else {
            std::int64_t const now = posix::monotonic_milliseconds();
            auto const tick_wake = next_tick_wake(m_host.scheduler(), Visibility::Unseen, m_last_tick_wake);
            if (tick_wake && *tick_wake <= now)
                deliver_batch(now);
        }
    }
    return Outcome::SaverEnded;
}

Visibility EventLoop::visibility() const
{
    return m_window_visibility == Visibility::Seen && m_power.visibility() == Visibility::Seen ? Visibility::Seen : Visibility::Unseen;
}

std::optional<std::int64_t> EventLoop::next_wake() const
{
    auto wake = next_tick_wake(m_host.scheduler(), m_loop_visibility, m_last_tick_wake);
    // The monitor's power is asked on the wake-ups the ticks bring; only a
    // loop with no timer running would wake for it alone.
    if (!wake)
        wake = m_power.next_query();
    if (auto const keyboard = m_host.keyboard_deadline(); keyboard && (!wake || *keyboard < *wake))
        wake = keyboard;
    return wake;
}

void EventLoop::follow_visibility(std::int64_t now)
{
    m_power.refresh(now);
    Visibility const current = visibility();
    if (current == m_loop_visibility)
        return;
    m_loop_visibility = current;
    if (current == Visibility::Unseen) {
        trace("unseen", now);
        return;
    }
    // Seen again: the ticks due meanwhile run first, each at its due time;
    // then the whole window is painted from the model, whatever it showed.
    deliver_batch(now);
    m_renderer.repaint_all();
    m_presented = false;
    trace("seen", now);
}

void EventLoop::trace(char const* what, std::int64_t now) const
{
    if (m_trace_ticks)
        std::fprintf(stderr, "%s %lld drawn %llu\n", what, static_cast<long long>(now), static_cast<unsigned long long>(m_painter.requests_sent()));
}

void EventLoop::deliver_due_ticks()
{
    std::int64_t const now = posix::monotonic_milliseconds();
    m_last_tick_wake = now;
    qm::deliver_due_ticks(m_host, m_saver, now, posix::wall_clock, m_trace_ticks ? TickTrace::On : TickTrace::Off);
}

void EventLoop::deliver_batch(std::int64_t now)
{
    m_last_tick_wake = now;
    deliver_due_ticks_in_batch(m_host, m_saver, now, posix::wall_clock(), m_trace_ticks ? TickTrace::On : TickTrace::Off);
}

template<typename Deliver>
void EventLoop::deliver_at(std::int64_t now, Deliver&& deliver)
{
    m_host.set_now(now);
    deliver(posix::wall_clock());
}

bool EventLoop::handle(XEvent& event)
{
    std::int64_t const now = posix::monotonic_milliseconds();
    Window const window = m_host.window();
    switch (event.type) {
    case KeyPress: {
        if (!m_host.takes_input_from(event.xkey.window))
            return true;
        KeySym keysym = NoSymbol;
        char text[8];
        // XLookupString applies Num Lock, so keypad 1 reads as KP_1 or KP_End.
        XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
        if (keysym == NoSymbol)
            keysym = XLookupKeysym(&event.xkey, 0);
        LevelOneKeysyms const by_group = level_one_keysyms(event.xkey);
        VirtualKey const key = posix::virtual_key_for(keysym, std::span(by_group.keysyms.data(), by_group.count), event.xkey.keycode);
        deliver_at(now, [&](ClockReading clock) { m_saver.key_down(key, clock); });
        return true;
    }
    case MotionNotify:
        if (m_host.takes_input_from(event.xmotion.window))
            deliver_at(now, [&](ClockReading clock) { m_saver.mouse_move(float(event.xmotion.x), float(event.xmotion.y), clock); });
        return true;
    case ButtonPress: {
        if (!m_host.takes_input_from(event.xbutton.window))
            return true;
        if (auto const button = mouse_button_for(event.xbutton.button))
            deliver_at(now, [&](ClockReading clock) { m_saver.mouse_down(*button, float(event.xbutton.x), float(event.xbutton.y), clock); });
        return true;
    }
    case Expose:
        if (event.xexpose.window == window) {
            // Nothing is drawn while unseen; the window is painted whole once it is seen.
            if (m_loop_visibility == Visibility::Unseen)
                return true;
            if (Frmsaver const* form = m_saver.form())
                m_painter.execute(m_renderer.redraw(*form, { event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height }), m_renderer);
            return true;
        }
        break;
    case ConfigureNotify:
        // The play area is the window's size, whoever changed it.
        if (event.xconfigure.window == window && (event.xconfigure.width != m_size.width || event.xconfigure.height != m_size.height)) {
            m_size = { event.xconfigure.width, event.xconfigure.height };
            m_saver.resize(m_size);
            m_renderer.resize(m_size);
        }
        break;
    case VisibilityNotify:
        // Also sent when the window becomes viewable, after its MapNotify.
        if (event.xvisibility.window == window)
            m_window_visibility = event.xvisibility.state == VisibilityFullyObscured ? Visibility::Unseen : Visibility::Seen;
        break;
    case UnmapNotify:
        if (event.xunmap.window == window)
            m_window_visibility = Visibility::Unseen;
        break;
    case MappingNotify:
        // Another keyboard layout or keymap: Xlib reads it again before the next key.
        XRefreshKeyboardMapping(&event.xmapping);
        return true;
    case DestroyNotify:
        if (event.xdestroywindow.window == window)
            return fail("the window was destroyed by another program");
        break;
    default:
        if (m_power.take_notice(event))
            return true;
        break;
    }
    m_host.set_now(now);
    if (auto const failure = m_host.handle_window_event(event))
        return fail(*failure);
    return true;
}

// Everything asked of the server since the last flush goes in one write
// before the loop sleeps; a round with no request writes nothing.
void EventLoop::flush()
{
    Display* display = m_host.connection().display();
    if (XNextRequest(display) == m_flushed_request)
        return;
    XFlush(display);
    m_flushed_request = XNextRequest(display);
}

void EventLoop::present()
{
    Frmsaver const* form = m_saver.form();
    if (!form || m_loop_visibility == Visibility::Unseen)
        return;
    m_painter.execute(m_renderer.update(*form), m_renderer);
    if (m_trace_ticks && !m_presented)
        std::fprintf(stderr, "frame %lld\n", static_cast<long long>(posix::monotonic_milliseconds()));
    m_presented = true;
}

}
