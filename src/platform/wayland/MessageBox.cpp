#include "platform/wayland/MessageBox.h"

#include "platform/wayland/Keymap.h"
#include "platform/wayland/ShmBuffer.h"
#include "platform/posix/KeyTable.h"
#include "window/MessageBoxPicture.h"

#include "xdg-shell-client.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>
#include <string>
#include <unistd.h>

namespace qm::wayland {

namespace {

// The box's window and what it hears from the compositor until it closes.
struct BoxWindow {
    Rect button;
    wl_surface* surface { nullptr };
    Keymap keymap;
    double pointer_x { -1 };
    double pointer_y { -1 };
    bool pressed_on_button { false };
    bool configured { false };
    bool open { true };

    bool over_button() const { return button.contains(static_cast<int>(pointer_x), static_cast<int>(pointer_y)); }
};

BoxWindow& box_of(void* data) { return *static_cast<BoxWindow*>(data); }

void on_surface_configure(void* data, xdg_surface* surface, std::uint32_t serial)
{
    xdg_surface_ack_configure(surface, serial);
    box_of(data).configured = true;
}
xdg_surface_listener const surface_listener { on_surface_configure };

void on_toplevel_configure(void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) { }
void on_toplevel_close(void* data, xdg_toplevel*) { box_of(data).open = false; }
void on_configure_bounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) { }
void on_capabilities(void*, xdg_toplevel*, wl_array*) { }
xdg_toplevel_listener const toplevel_listener { on_toplevel_configure, on_toplevel_close, on_configure_bounds, on_capabilities };

void on_keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t descriptor, std::uint32_t size)
{
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
        box_of(data).keymap.load(descriptor, size);
    else
        close(descriptor);
}
void on_keyboard_enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) { }
void on_keyboard_leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) { }
void on_key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state)
{
    BoxWindow& box = box_of(data);
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED && closes_message_box(posix::virtual_key_for(box.keymap.keysym(key))))
        box.open = false;
}
void on_modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    box_of(data).keymap.set_modifiers(depressed, latched, locked, group);
}
void on_repeat_info(void*, wl_keyboard*, std::int32_t, std::int32_t) { }
wl_keyboard_listener const keyboard_listener { on_keymap, on_keyboard_enter, on_keyboard_leave, on_key, on_modifiers, on_repeat_info };

void on_pointer_enter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    BoxWindow& box = box_of(data);
    if (surface != box.surface)
        return;
    box.pointer_x = wl_fixed_to_double(x);
    box.pointer_y = wl_fixed_to_double(y);
}
void on_pointer_leave(void* data, wl_pointer*, std::uint32_t, wl_surface*)
{
    BoxWindow& box = box_of(data);
    box.pointer_x = box.pointer_y = -1;
    box.pressed_on_button = false;
}
void on_motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    box_of(data).pointer_x = wl_fixed_to_double(x);
    box_of(data).pointer_y = wl_fixed_to_double(y);
}
// A press and a release of the left button both over OK close the box.
void on_button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state)
{
    BoxWindow& box = box_of(data);
    if (button != BTN_LEFT)
        return;
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
        box.pressed_on_button = box.over_button();
        return;
    }
    if (box.pressed_on_button && box.over_button())
        box.open = false;
    box.pressed_on_button = false;
}
wl_pointer_listener const pointer_listener = pointer_listener_for(on_pointer_enter, on_pointer_leave, on_motion, on_button);

}

void show_message_box(Connection& connection, std::string_view text, std::string_view title, int style)
{
    if (!connection.window_manager() || !connection.compositor() || !connection.shm())
        throw CompositorError("the Wayland compositor offers no windows (xdg_wm_base) to show a message in");
    MessageBoxPicture const picture = compose_message_box(text, style);
    Image const& image = picture.image;
    BoxWindow box;
    box.button = picture.button;

    box.surface = wl_compositor_create_surface(connection.compositor());
    xdg_surface* window = xdg_wm_base_get_xdg_surface(connection.window_manager(), box.surface);
    xdg_surface_add_listener(window, &surface_listener, &box);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(window);
    xdg_toplevel_add_listener(toplevel, &toplevel_listener, &box);
    xdg_toplevel_set_title(toplevel, std::string(title).c_str());
    xdg_toplevel_set_app_id(toplevel, "quilvenmoor");
    // A dialog of fixed size: tiling compositors float it.
    xdg_toplevel_set_min_size(toplevel, image.width(), image.height());
    xdg_toplevel_set_max_size(toplevel, image.width(), image.height());

    // The keyboard and the pointer, also when they appear later.
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    auto follow_seat = [&](std::uint32_t capabilities) {
        wl_seat* seat = connection.seat();
        if (seat && (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !keyboard) {
            keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(keyboard, &keyboard_listener, &box);
        }
        if (seat && (capabilities & WL_SEAT_CAPABILITY_POINTER) && !pointer) {
            pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(pointer, &pointer_listener, &box);
        }
    };
    follow_seat(connection.seat_capabilities());
    connection.on_seat_change(follow_seat);

    // The first commit carries no buffer; the picture follows the first configure.
    wl_surface_commit(box.surface);
    ShmBuffer buffer(connection.shm(), { image.width(), image.height() }, [] { });
    buffer.copy(image, 0, 0, image.bounds());
    bool drawn = false;
    while (box.open) {
        if (box.configured && !drawn) {
            wl_surface_attach(box.surface, buffer.buffer(), 0, 0);
            wl_surface_damage_buffer(box.surface, 0, 0, image.width(), image.height());
            wl_surface_commit(box.surface);
            drawn = true;
        }
        if (wl_display_dispatch(connection.display()) < 0)
            break;
    }
    auto const failure = connection.failure();
    connection.on_seat_change({});

    if (keyboard)
        release(keyboard);
    if (pointer)
        release(pointer);
    xdg_toplevel_destroy(toplevel);
    xdg_surface_destroy(window);
    wl_surface_destroy(box.surface);
    wl_display_flush(connection.display());
    if (failure)
        throw CompositorError(*failure);
}

}
