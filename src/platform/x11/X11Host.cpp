#include "platform/x11/X11Host.h"

#include "platform/x11/MessageBox.h"
#include "window/Assets.h"
#include "window/Frmsaver.h"
#include "window/ImageFiles.h"
#include "window/Renderer.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace qm::x11 {

namespace {

// How long another program may hold the keyboard or the pointer (a menu
// that is closing, a drag) before the saver gives up, and how often it asks.
constexpr int grab_attempts = 100;
constexpr long grab_pause_nanoseconds = 20'000'000;

// The built-in blank pointer: its mask makes every pixel transparent.
Cursor create_blank_pointer(Connection& connection, Window window)
{
    IconImage const pointer = decode_icon(assets::blank_pointer());
    int const width = pointer.argb.width();
    int const height = pointer.argb.height();
    Display* display = connection.display();
    // X bitmaps keep the leftmost pixel in the least significant bit, and a set bit is a visible one.
    int const row_bytes = (width + 7) / 8;
    std::vector<char> source(static_cast<std::size_t>(row_bytes) * height);
    std::vector<char> mask(source.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!pointer.transparent(x, y))
                mask[static_cast<std::size_t>(y) * row_bytes + x / 8] |= static_cast<char>(1 << (x % 8));
        }
    }
    Pixmap const source_bitmap = XCreateBitmapFromData(display, window, source.data(), width, height);
    Pixmap const mask_bitmap = XCreateBitmapFromData(display, window, mask.data(), width, height);
    XColor black {};
    Cursor const cursor = XCreatePixmapCursor(display, source_bitmap, mask_bitmap, &black, &black, 0, 0);
    XFreePixmap(display, source_bitmap);
    XFreePixmap(display, mask_bitmap);
    return cursor;
}

// A full-screen override-redirect window: above everything, with or without a window manager.
Window create_black_window(Connection& x, Rect area, long event_mask)
{
    XSetWindowAttributes attributes {};
    attributes.background_pixel = x.pixel(Renderer::black);
    attributes.override_redirect = True;
    attributes.event_mask = event_mask;
    return XCreateWindow(x.display(), x.root(), area.x, area.y, static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), 0, x.depth(),
        InputOutput, x.visual(), CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
}

// The windows a property of the root window lists (_NET_ACTIVE_WINDOW,
// _NET_CLIENT_LIST_STACKING): none where it is missing or of another type.
std::vector<Window> windows_listed_on_root(Connection& x, char const* property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Window> windows;
    if (XGetWindowProperty(x.display(), x.root(), x.atom(property), 0, 65536, False, XA_WINDOW, &type, &format, &count, &remaining, &data) == Success
        && type == XA_WINDOW && format == 32) {
        // Xlib hands 32-bit items over as longs.
        auto const* values = reinterpret_cast<unsigned long const*>(data);
        windows.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return windows;
}

}

X11Host::X11Host(std::string argument_text, std::string const& session_name)
    : m_arguments(std::move(argument_text))
    , m_lock("quilvenmoor", session_name)
{
}

X11Host::~X11Host()
{
    if (m_connection)
        unload_window();
}

void X11Host::show_message_box(std::string_view text, std::string_view title, int style)
{
    x11::show_message_box(connection(), text, title, style);
}

MonitorLayout X11Host::current_layout() const
{
    Connection& x = connection();
    Display* display = x.display();
    Rect const screen { 0, 0, x.width(), x.height() };
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base) || !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 5))
        return lay_out_monitors({}, screen);
    int count = 0;
    XRRMonitorInfo* found = XRRGetMonitors(display, x.root(), True, &count);
    std::vector<Monitor> monitors;
    for (int i = 0; found && i < count; ++i)
        monitors.push_back({ { found[i].x, found[i].y, found[i].width, found[i].height }, found[i].primary != 0 });
    if (found)
        XRRFreeMonitors(found);
    return lay_out_monitors(monitors, screen);
}

ScreenSize X11Host::screen_size() const
{
    Rect const play_area = current_layout().play_area;
    return { play_area.width, play_area.height };
}

void X11Host::handle_pending_events()
{
    // Nothing of the window can be pending before it is shown; send what is queued.
    if (m_connection)
        XFlush(m_connection->display());
}

void X11Host::end_server_saver()
{
    // Started by an idle timer at the moment the server's own screen saver
    // came on, the logo would play behind the server's blanking. Resetting
    // that saver once ends it and starts its timer again from now; nothing
    // is suspended, so the desktop's blanking and power saving still follow
    // as the user set them.
    Connection& x = connection();
    int event_base = 0;
    int error_base = 0;
    if (!XScreenSaverQueryExtension(x.display(), &event_base, &error_base))
        return;
    XScreenSaverInfo info {};
    if (XScreenSaverQueryInfo(x.display(), x.root(), &info) && info.state == ScreenSaverOn)
        XForceScreenSaver(x.display(), ScreenSaverReset);
}

void X11Host::show_window()
{
    Connection& x = connection();
    Display* display = x.display();
    end_server_saver();
    m_layout = current_layout();
    m_window = create_black_window(x, m_layout.play_area,
        KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask | StructureNotifyMask | VisibilityChangeMask | FocusChangeMask);
    // Window managers leave an override-redirect window alone, so it carries
    // no state or icon for them; some (weston's, under Xwayland) even abort
    // on a full-screen state there. The name and the owning process are for
    // tools that list windows and ask what covers the screen.
    x.set_title(m_window, std::string(Frmsaver::title));
    x.set_owner(m_window);
    m_blank_pointer = create_blank_pointer(x, m_window);
    XDefineCursor(display, m_window, m_blank_pointer);
    place_covers(m_layout.covers);

    // Other windows that appear or move, and changes of the screen's size.
    XSelectInput(display, x.root(), SubstructureNotifyMask | StructureNotifyMask);
    int error_base = 0;
    if (XRRQueryExtension(display, &m_randr_event_base, &error_base))
        XRRSelectInput(display, x.root(), RRScreenChangeNotifyMask);
    else
        m_randr_event_base = -1;

    KeyboardFocus found;
    XGetInputFocus(display, &found.window, &found.revert_to);
    m_focus_found = found;
    XMapRaised(display, m_window);
    if (auto const failure = grab_input())
        throw DisplayError(*failure);
    XFlush(display);
}

void X11Host::place_covers(std::vector<Rect> const& areas)
{
    destroy_covers();
    Connection& x = connection();
    for (Rect const& area : areas) {
        // Painted by the server from its background; input goes to the grab.
        Window const cover = create_black_window(x, area, NoEventMask);
        XDefineCursor(x.display(), cover, m_blank_pointer);
        XMapRaised(x.display(), cover);
        m_covers.push_back(cover);
    }
}

void X11Host::destroy_covers()
{
    for (Window cover : m_covers)
        XDestroyWindow(m_connection->display(), cover);
    m_covers.clear();
}

bool X11Host::is_ours(Window window) const
{
    return window == m_window || std::find(m_covers.begin(), m_covers.end(), window) != m_covers.end();
}

void X11Host::raise_all()
{
    Display* display = m_connection->display();
    for (Window cover : m_covers)
        XRaiseWindow(display, cover);
    XRaiseWindow(display, m_window);
}

void X11Host::follow_screen()
{
    // Xlib keeps its own copy of the screen's size; bring it up to date first.
    MonitorLayout const layout = current_layout();
    if (layout == m_layout)
        return;
    m_layout = layout;
    Rect const& area = m_layout.play_area;
    XMoveResizeWindow(m_connection->display(), m_window, area.x, area.y, static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
    place_covers(m_layout.covers);
    raise_all();
}

std::optional<std::string> X11Host::handle_window_event(XEvent const& event)
{
    if (m_window == None)
        return {};
    Window const root = m_connection->root();
    if (m_randr_event_base >= 0 && event.type == m_randr_event_base + RRScreenChangeNotify) {
        XEvent copy = event;
        XRRUpdateConfiguration(&copy);
        follow_screen();
        return {};
    }
    switch (event.type) {
    case ConfigureNotify:
        if (event.xconfigure.window == root) {
            XEvent copy = event;
            XRRUpdateConfiguration(&copy);
            follow_screen();
        } else if (event.xconfigure.event == root && !is_ours(event.xconfigure.window)) {
            // Another window moved or was restacked, perhaps above ours.
            raise_all();
        }
        break;
    case MapNotify:
        if (event.xmap.window == m_window && m_regrab_on_map) {
            m_regrab_on_map = false;
            raise_all();
            return grab_input();
        }
        if (event.xmap.event == root && !is_ours(event.xmap.window))
            raise_all();
        break;
    case UnmapNotify:
        // Another program took the window off the screen: the grabs went with
        // it. Put it back; the grabs follow once it shows again.
        if (event.xunmap.window == m_window && event.xunmap.event == m_window) {
            m_regrab_on_map = true;
            XMapRaised(m_connection->display(), m_window);
        }
        break;
    case FocusIn:
    case FocusOut:
        // The grab's own focus events say nothing about who has the keyboard.
        if (event.xfocus.window == m_window && event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab)
            follow_focus();
        break;
    case VisibilityNotify:
        if (event.xvisibility.window == m_window && event.xvisibility.state != VisibilityUnobscured)
            raise_all();
        break;
    default:
        break;
    }
    return {};
}

std::optional<std::string> X11Host::grab_input()
{
    // Another client may hold a grab for a moment (a menu that is closing):
    // ask again for a while, as screen lockers do, then give up with a
    // message rather than run where no input could end the saver.
    Display* display = m_connection->display();
    bool keyboard = false;
    bool pointer = false;
    for (int attempt = 0; attempt < grab_attempts; ++attempt) {
        if (!keyboard)
            keyboard = XGrabKeyboard(display, m_window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        if (!pointer)
            pointer = XGrabPointer(display, m_window, False, ButtonPressMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None, m_blank_pointer,
                          CurrentTime)
                == GrabSuccess;
        if (keyboard && pointer)
            break;
        timespec const pause { 0, grab_pause_nanoseconds };
        nanosleep(&pause, nullptr);
    }
    // Should the process die without giving the focus back, keys then go
    // nowhere rather than to whatever lies under the pointer.
    XSetInputFocus(display, m_window, RevertToNone, CurrentTime);
    if (!keyboard && !pointer)
        return "another program holds the keyboard and the pointer";
    if (!keyboard)
        return "another program holds the keyboard";
    if (!pointer)
        return "another program holds the pointer";
    return {};
}

void X11Host::follow_focus()
{
    Display* display = m_connection->display();
    KeyboardFocus now;
    XGetInputFocus(display, &now.window, &now.revert_to);
    auto holder = FocusWatch::Holder::Other;
    if (is_ours(now.window))
        holder = FocusWatch::Holder::Saver;
    else if (now.window == None || now.window == PointerRoot || now.window == m_connection->root())
        holder = FocusWatch::Holder::Nobody;
    switch (m_focus_watch.observe(holder, this->now())) {
    case FocusWatch::Action::TakeBack:
        // Once, without the wait of the first grab: the answer is the focus
        // that holds when the watch's time is up.
        XSetInputFocus(display, m_window, RevertToNone, CurrentTime);
        XGrabKeyboard(display, m_window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        break;
    case FocusWatch::Action::End:
        m_keyboard_taken = true;
        break;
    case FocusWatch::Action::Nothing:
        break;
    }
}

bool X11Host::keyboard_taken(std::int64_t now)
{
    if (m_focus_watch.check(now) == FocusWatch::Action::End)
        m_keyboard_taken = true;
    return m_keyboard_taken;
}

void X11Host::return_focus()
{
    if (!m_focus_found)
        return;
    Connection& x = *m_connection;
    Display* display = x.display();
    KeyboardFocus now;
    XGetInputFocus(display, &now.window, &now.revert_to);
    WindowManagerWindows window_manager;
    if (auto const active = windows_listed_on_root(x, "_NET_ACTIVE_WINDOW"); !active.empty())
        window_manager.active = active.front();
    window_manager.stacking = windows_listed_on_root(x, "_NET_CLIENT_LIST_STACKING");
    auto const viewable = [&](Window window) {
        XWindowAttributes attributes {};
        if (XGetWindowAttributes(display, window, &attributes))
            return attributes.map_state == IsViewable;
        x.take_error(); // the window has gone: that error is this answer's
        return false;
    };
    FocusReturn const decision = focus_to_return(*m_focus_found, now, m_window, x.root(), window_manager, viewable);
    if (decision.action == FocusReturn::Action::Set)
        XSetInputFocus(display, decision.focus.window, decision.focus.revert_to, CurrentTime);
    m_focus_found.reset();
}

void X11Host::unload_window()
{
    if (!m_connection || m_window == None)
        return;
    Display* display = m_connection->display();
    XUngrabPointer(display, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    return_focus();
    destroy_covers();
    XDestroyWindow(display, m_window);
    if (m_blank_pointer != None)
        XFreeCursor(display, m_blank_pointer);
    m_window = None;
    m_blank_pointer = None;
    XFlush(display);
}

}
