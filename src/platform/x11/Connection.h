#pragma once

#include "window/Image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace qm::x11 {

class DisplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The connection to the X server: the display, its default screen and
// TrueColor visual, and the conversion of our 32-bit images to its pixels.
// A lost connection ends the process with a message instead of a hang;
// other X errors are collected for the event loop to act on.
class Connection {
public:
    // Throws DisplayError when no display can be opened.
    Connection();
    ~Connection();

    Connection(Connection const&) = delete;
    Connection& operator=(Connection const&) = delete;

    Display* display() const { return m_display; }
    int screen() const { return m_screen; }
    Window root() const { return RootWindow(m_display, m_screen); }
    Visual* visual() const { return m_visual; }
    int depth() const { return m_depth; }
    int width() const { return DisplayWidth(m_display, m_screen); }
    int height() const { return DisplayHeight(m_display, m_screen); }
    int file_descriptor() const { return ConnectionNumber(m_display); }
    Atom atom(char const* name) const { return XInternAtom(m_display, name, False); }

    unsigned long pixel(Pixel) const;

    // Sends part of an image to a drawable, its point (source.x, source.y) at (x, y).
    void put_image(Drawable, GC, Image const&, Rect source, int x, int y) const;

    // X errors arrive asynchronously; the first one since the last call is
    // kept, so that the program can end on it with one message instead of
    // printing a line for every request that fails after it.
    void note_error(XErrorEvent const&);
    std::optional<std::string> take_error();

    // The window's name in both the old and the EWMH property, so every tool finds it.
    void set_title(Window, std::string const&) const;
    // The built-in icon, for window managers and task bars (_NET_WM_ICON).
    void set_icon(Window) const;
    // The process and the machine that own the window (_NET_WM_PID and
    // WM_CLIENT_MACHINE), so that the desktop can tell whose window it is.
    void set_owner(Window) const;

private:
    Display* m_display { nullptr };
    int m_screen { 0 };
    Visual* m_visual { nullptr };
    int m_depth { 0 };
    int m_red_shift { 16 };
    int m_green_shift { 8 };
    int m_blue_shift { 0 };
    bool m_direct_copy { false };
    std::optional<std::string> m_error;
};

}
