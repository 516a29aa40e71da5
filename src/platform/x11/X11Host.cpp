#include "platform/x11/X11Host.h"

#include "platform/x11/MessageBox.h"
#include "window/Assets.h"
#include "window/Frmsaver.h"
#include "window/Renderer.h"

#include <X11/Xatom.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace qm::x11 {

namespace {

std::string display_name()
{
    char const* name = std::getenv("DISPLAY");
    return name ? name : "";
}

// The built-in blank pointer: its mask makes every pixel transparent.
Cursor create_blank_pointer(Connection& connection, Window window)
{
    auto const bytes = assets::blank_pointer();
    Display* display = connection.display();
    // Rows are stored bottom first: 512 bytes of 4-bit colour, then the 1-bit mask.
    char source[32 * 4] = {};
    char mask[32 * 4] = {};
    for (int y = 0; y < 32; ++y) {
        for (int byte = 0; byte < 4; ++byte) {
            std::uint8_t const transparent = bytes[22 + 40 + 64 + 512 + (31 - y) * 4 + byte];
            std::uint8_t visible = 0;
            for (int bit = 0; bit < 8; ++bit)
                visible |= ((transparent >> (7 - bit) & 1) ? 0 : 1) << bit; // X bitmaps are least significant bit first
            mask[y * 4 + byte] = static_cast<char>(visible);
        }
    }
    Pixmap const source_bitmap = XCreateBitmapFromData(display, window, source, 32, 32);
    Pixmap const mask_bitmap = XCreateBitmapFromData(display, window, mask, 32, 32);
    XColor black {};
    Cursor const cursor = XCreatePixmapCursor(display, source_bitmap, mask_bitmap, &black, &black, 0, 0);
    XFreePixmap(display, source_bitmap);
    XFreePixmap(display, mask_bitmap);
    return cursor;
}

// The window icon as the EWMH property wants it: width, height, then ARGB pixels.
std::vector<unsigned long> icon_property()
{
    auto const bytes = assets::window_icon();
    std::vector<unsigned long> property { 32, 32 };
    for (int y = 0; y < 32; ++y) {
        int const row = 31 - y;
        for (int x = 0; x < 32; ++x) {
            std::uint8_t const pair = bytes[22 + 40 + 64 + row * 16 + x / 2];
            int const index = x % 2 == 0 ? pair >> 4 : pair & 15;
            bool const transparent = bytes[22 + 40 + 64 + 512 + row * 4 + x / 8] >> (7 - x % 8) & 1;
            std::size_t const entry = 22 + 40 + 4 * static_cast<std::size_t>(index);
            unsigned long const argb = (transparent ? 0ul : 0xFF000000ul) | static_cast<unsigned long>(bytes[entry + 2]) << 16
                | static_cast<unsigned long>(bytes[entry + 1]) << 8 | bytes[entry];
            property.push_back(argb);
        }
    }
    return property;
}

}

X11Host::X11Host(std::string argument_text)
    : m_arguments(std::move(argument_text))
    , m_lock(display_name())
{
}

X11Host::~X11Host()
{
    if (m_connection)
        unload_window();
}

Connection& X11Host::connection() const
{
    if (!m_connection)
        m_connection = std::make_unique<Connection>();
    return *m_connection;
}

void X11Host::show_message_box(std::string_view text, std::string_view title, int style)
{
    x11::show_message_box(connection(), text, title, style);
}

ScreenSize X11Host::screen_size() const { return { connection().width(), connection().height() }; }

void X11Host::handle_pending_events()
{
    // Nothing of the window can be pending before it is shown; send what is queued.
    if (m_connection)
        XFlush(m_connection->display());
}

void X11Host::show_window()
{
    Connection& x = connection();
    Display* display = x.display();
    XSetWindowAttributes attributes {};
    attributes.background_pixel = x.pixel(Renderer::black);
    attributes.override_redirect = True; // above everything, with or without a window manager
    attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask | StructureNotifyMask;
    m_window = XCreateWindow(display, x.root(), 0, 0, static_cast<unsigned>(x.width()), static_cast<unsigned>(x.height()), 0, x.depth(), InputOutput,
        x.visual(), CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    x.set_title(m_window, std::string(Frmsaver::title));
    Atom const fullscreen = x.atom("_NET_WM_STATE_FULLSCREEN");
    XChangeProperty(display, m_window, x.atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char const*>(&fullscreen), 1);
    auto const icon = icon_property();
    XChangeProperty(display, m_window, x.atom("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char const*>(icon.data()),
        static_cast<int>(icon.size()));
    m_blank_pointer = create_blank_pointer(x, m_window);
    XDefineCursor(display, m_window, m_blank_pointer);
    XMapRaised(display, m_window);
    grab_input();
    XFlush(display);
}

void X11Host::grab_input()
{
    // Another client may hold a grab for a moment (a menu that is closing):
    // try for a short while, then go on with the focus alone.
    Display* display = m_connection->display();
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (XGrabKeyboard(display, m_window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess)
            break;
        timespec const pause { 0, 10'000'000 };
        nanosleep(&pause, nullptr);
    }
    XGrabPointer(display, m_window, False, ButtonPressMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None, m_blank_pointer, CurrentTime);
    XSetInputFocus(display, m_window, RevertToParent, CurrentTime);
}

void X11Host::unload_window()
{
    if (!m_connection || m_window == None)
        return;
    Display* display = m_connection->display();
    XUngrabPointer(display, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    XDestroyWindow(display, m_window);
    if (m_blank_pointer != None)
        XFreeCursor(display, m_blank_pointer);
    m_window = None;
    m_blank_pointer = None;
    XFlush(display);
}

}
