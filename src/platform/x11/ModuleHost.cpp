#include "platform/x11/ModuleHost.h"

#include "window/Renderer.h"

#include <cstdio>

namespace qm::x11 {

namespace {

std::string hexadecimal(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// The pixel layout of a visual: two visuals with the same depth and masks
// take the same pixels, so the painter's pixmaps can be copied between them.
struct Layout {
    int depth { 0 };
    unsigned long red { 0 };
    unsigned long green { 0 };
    unsigned long blue { 0 };
    bool operator==(Layout const&) const = default;
};

std::optional<Layout> layout_of(Display* display, Visual* visual)
{
    XVisualInfo wanted {};
    wanted.visualid = XVisualIDFromVisual(visual);
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (!found)
        return std::nullopt;
    Layout const layout { found[0].depth, found[0].red_mask, found[0].green_mask, found[0].blue_mask };
    XFree(found);
    return layout;
}

}

ModuleHost::ModuleHost(ModuleTarget target, std::optional<unsigned long> window_id)
{
    Connection& x = connection();
    switch (target) {
    case ModuleTarget::OwnWindow:
        m_size = own_window_size;
        break;
    case ModuleTarget::GivenWindow:
    case ModuleTarget::Root:
        adopt(window_id ? static_cast<Window>(*window_id) : x.root());
        break;
    }
}

ModuleHost::~ModuleHost() { unload_window(); }

void ModuleHost::adopt(Window window)
{
    Connection& x = connection();
    Display* display = x.display();
    XWindowAttributes attributes {};
    // A window that does not exist fails the request; the connection keeps
    // that error, which is this answer's and no one else's.
    Status const found = XGetWindowAttributes(display, window, &attributes);
    x.take_error();
    if (!found)
        throw TargetError("there is no window " + hexadecimal(window) + " on this display");
    if (attributes.c_class != InputOutput)
        throw TargetError("window " + hexadecimal(window) + " cannot be drawn into (it is input-only)");
    if (attributes.root != x.root())
        throw TargetError("window " + hexadecimal(window) + " is on another screen of the display");
    auto const theirs = layout_of(display, attributes.visual);
    if (!theirs || theirs != layout_of(display, x.visual()))
        throw TargetError("window " + hexadecimal(window) + " has a visual whose pixels differ from the display's own");
    m_window = window;
    m_size = { attributes.width, attributes.height };
}

void ModuleHost::show_message_box(std::string_view text, std::string_view, int)
{
    // A framework's window is no place for a dialog: the text goes to standard error.
    std::fprintf(stderr, "quilvenmoor-module: %.*s\n", static_cast<int>(text.size()), text.data());
}

void ModuleHost::handle_pending_events()
{
    if (connected())
        XFlush(connection().display());
}

void ModuleHost::show_window()
{
    if (m_shown)
        return;
    m_shown = true;
    if (m_window == None) {
        create_own_window();
    } else {
        // Our own event mask on someone else's window: the masks of other
        // clients and the window's attributes stay as they are.
        XSelectInput(connection().display(), m_window, StructureNotifyMask | ExposureMask | VisibilityChangeMask);
    }
    XFlush(connection().display());
}

void ModuleHost::create_own_window()
{
    Connection& x = connection();
    Display* display = x.display();
    XSetWindowAttributes attributes {};
    attributes.background_pixel = x.pixel(Renderer::black);
    attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask | StructureNotifyMask | VisibilityChangeMask;
    m_window = XCreateWindow(display, x.root(), 0, 0, static_cast<unsigned>(m_size.width), static_cast<unsigned>(m_size.height), 0, x.depth(),
        InputOutput, x.visual(), CWBackPixel | CWEventMask, &attributes);
    m_owned = true;
    x.set_title(m_window, "Quilvenmoor");
    x.set_icon(m_window);
    x.set_owner(m_window);
    XClassHint class_hint {};
    char name[] = "quilvenmoor-module";
    char class_name[] = "Quilvenmoor";
    class_hint.res_name = name;
    class_hint.res_class = class_name;
    XSetClassHint(display, m_window, &class_hint);
    // The window manager's close button asks instead of cutting the connection.
    m_protocols = x.atom("WM_PROTOCOLS");
    m_delete_window = x.atom("WM_DELETE_WINDOW");
    XSetWMProtocols(display, m_window, &m_delete_window, 1);
    XMapWindow(display, m_window);
}

std::optional<std::string> ModuleHost::handle_window_event(XEvent const& event)
{
    if (m_owned && event.type == ClientMessage && event.xclient.window == m_window && event.xclient.message_type == m_protocols
        && static_cast<Atom>(event.xclient.data.l[0]) == m_delete_window) {
        m_closed_by_user = true;
        return "the window was closed";
    }
    return {};
}

void ModuleHost::unload_window()
{
    if (m_window == None || !m_shown || !connected())
        return;
    Display* display = connection().display();
    if (m_owned)
        XDestroyWindow(display, m_window);
    else
        XSelectInput(display, m_window, NoEventMask);
    m_window = None;
    m_shown = false;
    XFlush(display);
}

}
