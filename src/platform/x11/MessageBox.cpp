#include "platform/x11/MessageBox.h"

#include "window/Font.h"
#include "window/Renderer.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace qm::x11 {

namespace {

constexpr Pixel face = rgb(212, 208, 200);
constexpr Pixel light = rgb(255, 255, 255);
constexpr Pixel shadow = rgb(128, 128, 128);
constexpr Pixel dark = rgb(64, 64, 64);
constexpr Pixel ink = rgb(0, 0, 0);

std::vector<std::string_view> lines_of(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (true) {
        auto const end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return lines;
        text.remove_prefix(end + 1);
    }
}

// The information sign (a blue disc with an "i"), or for an error a red disc with an "x".
void draw_sign(Image& image, int left, int top, bool error)
{
    Pixel const disc = error ? rgb(200, 24, 24) : rgb(24, 72, 200);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            double const distance = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
            if (distance <= 15)
                image.set(left + x, top + y, distance > 13.5 ? dark : disc);
        }
    }
    if (error) {
        for (int i = -6; i <= 6; ++i) {
            for (int thick = 0; thick < 3; ++thick) {
                image.set(left + 16 + i + thick - 1, top + 16 + i, light);
                image.set(left + 16 + i + thick - 1, top + 16 - i, light);
            }
        }
        return;
    }
    image.fill({ left + 14, top + 7, 4, 4 }, light);
    image.fill({ left + 14, top + 13, 4, 12 }, light);
    image.fill({ left + 12, top + 13, 2, 2 }, light);
    image.fill({ left + 12, top + 23, 8, 2 }, light);
}

void draw_bevel(Image& image, Rect rect)
{
    image.fill(rect, dark);
    image.fill({ rect.x, rect.y, rect.width - 1, rect.height - 1 }, light);
    image.fill({ rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2 }, shadow);
    image.fill({ rect.x + 1, rect.y + 1, rect.width - 3, rect.height - 3 }, face);
}

}

void show_message_box(Connection& connection, std::string_view text, std::string_view title, int style)
{
    Display* display = connection.display();
    Font const& font = Font::window_font();
    auto const lines = lines_of(text);
    int text_width = 0;
    for (auto line : lines)
        text_width = std::max(text_width, font.measure(line));
    int const text_height = static_cast<int>(lines.size()) * Font::line_height;
    int const width = std::max(16 + 32 + 14 + text_width + 24, 120);
    int const content = std::max(32, text_height);
    int const height = 18 + content + 18 + 23 + 12;
    Rect const button { (width - 75) / 2, height - 12 - 23, 75, 23 };

    Image image(width, height, face);
    draw_sign(image, 16, 18, (style & 0x70) == 16);
    for (std::size_t i = 0; i < lines.size(); ++i)
        draw_text(image, 16 + 32 + 14, 18 + (content - text_height) / 2 + static_cast<int>(i) * Font::line_height, lines[i], ink, image.bounds());
    draw_bevel(image, button);
    draw_text(image, button.x + (button.width - font.measure("OK")) / 2, button.y + 5, "OK", ink, button);

    XSetWindowAttributes attributes {};
    attributes.background_pixel = connection.pixel(face);
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    Window const window = XCreateWindow(display, connection.root(), (connection.width() - width) / 2, (connection.height() - height) / 2,
        static_cast<unsigned>(width), static_cast<unsigned>(height), 0, connection.depth(), InputOutput, connection.visual(), CWBackPixel | CWEventMask, &attributes);
    connection.set_title(window, std::string(title));
    Atom const delete_window = connection.atom("WM_DELETE_WINDOW");
    XSetWMProtocols(display, window, const_cast<Atom*>(&delete_window), 1);
    Atom const dialog = connection.atom("_NET_WM_WINDOW_TYPE_DIALOG");
    XChangeProperty(display, window, connection.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char const*>(&dialog), 1);
    XSizeHints hints {};
    hints.flags = PPosition | PMinSize | PMaxSize;
    hints.x = (connection.width() - width) / 2;
    hints.y = (connection.height() - height) / 2;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(display, window, &hints);
    XMapRaised(display, window);
    GC const gc = XCreateGC(display, window, 0, nullptr);

    bool pressed_on_button = false;
    bool open = true;
    while (open) {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case MapNotify:
            // Without a window manager nobody else gives the box the keyboard.
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            break;
        case Expose:
            if (event.xexpose.count == 0)
                connection.put_image(window, gc, image, image.bounds(), 0, 0);
            break;
        case KeyPress: {
            KeySym const key = XLookupKeysym(&event.xkey, 0);
            if (key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space)
                open = false;
            break;
        }
        case ButtonPress:
            pressed_on_button = event.xbutton.button == Button1 && button.contains(event.xbutton.x, event.xbutton.y);
            break;
        case ButtonRelease:
            if (pressed_on_button && event.xbutton.button == Button1 && button.contains(event.xbutton.x, event.xbutton.y))
                open = false;
            pressed_on_button = false;
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == delete_window)
                open = false;
            break;
        default:
            break;
        }
    }
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    XSync(display, False);
}

}
