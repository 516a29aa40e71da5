#include "platform/x11/Connection.h"

#include "window/Assets.h"
#include "window/ImageFiles.h"

#include <X11/Xatom.h>
#include <X11/Xproto.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace qm::x11 {

namespace {

int on_io_error(Display*)
{
    // Named by the running program, as the saver and the module share this.
    std::fprintf(stderr, "%s: lost the connection to the X display\n", program_invocation_short_name);
    std::_Exit(1);
}

// Xlib reports errors to one process-wide function without a context; it
// hands them to the connection that is open.
Connection* g_open_connection = nullptr;

int on_error(Display* display, XErrorEvent* event)
{
    if (g_open_connection && g_open_connection->display() == display)
        g_open_connection->note_error(*event);
    return 0;
}

// The window icon as the EWMH property wants it: width, height, then ARGB pixels.
std::vector<unsigned long> icon_property()
{
    Image const icon = decode_icon(assets::window_icon()).argb;
    std::vector<unsigned long> property { static_cast<unsigned long>(icon.width()), static_cast<unsigned long>(icon.height()) };
    property.insert(property.end(), icon.pixels().begin(), icon.pixels().end());
    return property;
}

int shift_of(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}

Connection::Connection()
{
    XSetIOErrorHandler(on_io_error);
    XSetErrorHandler(on_error);
    m_display = XOpenDisplay(nullptr);
    g_open_connection = this;
    if (!m_display) {
        char const* name = std::getenv("DISPLAY");
        throw DisplayError(std::string("cannot open the X display '") + (name ? name : "") + "' (is DISPLAY set and the server running?)");
    }
    m_screen = DefaultScreen(m_display);
    XVisualInfo wanted {};
    wanted.screen = m_screen;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(m_display, VisualScreenMask | VisualClassMask, &wanted, &count);
    if (!found || count == 0) {
        if (found)
            XFree(found);
        XCloseDisplay(m_display);
        throw DisplayError("the X display has no TrueColor visual");
    }
    XVisualInfo best = found[0];
    for (int i = 0; i < count; ++i) {
        if (found[i].visual == DefaultVisual(m_display, m_screen))
            best = found[i];
    }
    XFree(found);
    m_visual = best.visual;
    m_depth = best.depth;
    m_red_shift = shift_of(best.red_mask);
    m_green_shift = shift_of(best.green_mask);
    m_blue_shift = shift_of(best.blue_mask);
    m_direct_copy = best.red_mask == 0xFF0000 && best.green_mask == 0xFF00 && best.blue_mask == 0xFF;
}

Connection::~Connection()
{
    if (g_open_connection == this)
        g_open_connection = nullptr;
    if (m_display)
        XCloseDisplay(m_display);
}

void Connection::note_error(XErrorEvent const& event)
{
    // Setting the focus can fail for a moment while the window is being
    // mapped again; the next map retries it.
    if (event.request_code == X_SetInputFocus)
        return;
    if (m_error)
        return;
    char text[256];
    XGetErrorText(m_display, event.error_code, text, sizeof text);
    m_error = "X error: " + std::string(text) + " (request " + std::to_string(event.request_code) + ")";
}

std::optional<std::string> Connection::take_error()
{
    auto error = std::move(m_error);
    m_error.reset();
    return error;
}

unsigned long Connection::pixel(Pixel colour) const
{
    return (static_cast<unsigned long>(colour >> 16 & 0xFF) << m_red_shift) | (static_cast<unsigned long>(colour >> 8 & 0xFF) << m_green_shift)
        | (static_cast<unsigned long>(colour & 0xFF) << m_blue_shift);
}

void Connection::put_image(Drawable drawable, GC gc, Image const& image, Rect source, int x, int y) const
{
    source = source.intersected(image.bounds());
    if (source.empty())
        return;
    XImage* ximage = XCreateImage(m_display, m_visual, static_cast<unsigned>(m_depth), ZPixmap, 0, nullptr,
        static_cast<unsigned>(source.width), static_cast<unsigned>(source.height), 32, 0);
    if (!ximage)
        return;
    std::vector<char> data(static_cast<std::size_t>(ximage->bytes_per_line) * source.height);
    ximage->data = data.data();
    bool const native = m_direct_copy && ximage->bits_per_pixel == 32 && ximage->byte_order == (ImageByteOrder(m_display));
    bool const host_little = [] {
        std::uint32_t const probe = 1;
        unsigned char first;
        std::memcpy(&first, &probe, 1);
        return first == 1;
    }();
    for (int row = 0; row < source.height; ++row) {
        Pixel const* from = image.row(source.y + row) + source.x;
        if (native && (ximage->byte_order == LSBFirst) == host_little) {
            std::memcpy(data.data() + static_cast<std::size_t>(row) * ximage->bytes_per_line, from, static_cast<std::size_t>(source.width) * 4);
            continue;
        }
        for (int column = 0; column < source.width; ++column)
            XPutPixel(ximage, column, row, pixel(from[column]));
    }
    XPutImage(m_display, drawable, gc, ximage, 0, 0, x, y, static_cast<unsigned>(source.width), static_cast<unsigned>(source.height));
    ximage->data = nullptr;
    XDestroyImage(ximage);
}

void Connection::set_title(Window window, std::string const& title) const
{
    XStoreName(m_display, window, title.c_str());
    XChangeProperty(m_display, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
        reinterpret_cast<unsigned char const*>(title.data()), static_cast<int>(title.size()));
}

void Connection::set_icon(Window window) const
{
    auto const icon = icon_property();
    XChangeProperty(m_display, window, atom("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char const*>(icon.data()),
        static_cast<int>(icon.size()));
}

void Connection::set_owner(Window window) const
{
    // Xlib wants 32-bit properties as longs.
    long const process = static_cast<long>(getpid());
    XChangeProperty(m_display, window, atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char const*>(&process), 1);
    // A process id means something only on its own machine, so it comes with the machine's name.
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        return;
    XChangeProperty(m_display, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace, reinterpret_cast<unsigned char const*>(host),
        static_cast<int>(std::strlen(host)));
}

}
