#include "platform/x11/MessageBox.h"

#include "platform/posix/KeyTable.h"
#include "window/MessageBoxPicture.h"

#include <X11/Xatom.h>

#include <string>

namespace qm::x11 {

void show_message_box(Connection& connection, std::string_view text, std::string_view title, int style)
{
    Display* display = connection.display();
    MessageBoxPicture const picture = compose_message_box(text, style);
    Image const& image = picture.image;
    Rect const button = picture.button;
    int const width = image.width();
    int const height = image.height();

    XSetWindowAttributes attributes {};
    attributes.background_pixel = connection.pixel(image.at(0, 0)); // the face colour
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
            if (closes_message_box(posix::virtual_key_for(XLookupKeysym(&event.xkey, 0))))
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
