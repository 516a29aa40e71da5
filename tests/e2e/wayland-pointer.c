// A pointer device for compositors that have none (a headless one): it
// creates a virtual pointer on the default seat, which gives the seat its
// pointer capability, and then moves and clicks as told on standard input,
// one command a line:
//
//   move X Y WIDTH HEIGHT   to X, Y of a WIDTH x HEIGHT layout (absolute)
//   by DX DY                by a distance
//   click [BUTTON]          press and release (BUTTON as in linux/input-event-codes.h; default the left one)
//
// It writes "ready" once the device exists and "done" after each command,
// when the compositor has taken it in, so that a test can wait for either.
// It ends at the end of its input.
#include "wayland-virtual-pointer-client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

enum { left_button = 0x110, pressed = 1, released = 0 };

struct globals {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* manager;
};

static void on_global(void* data, struct wl_registry* registry, uint32_t name, char const* interface, uint32_t version)
{
    struct globals* globals = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static struct wl_registry_listener const registry_listener = { on_global, on_global_remove };

static uint32_t now_milliseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

// Sends what is queued and waits until the compositor has handled it.
static int settle(struct wl_display* display)
{
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "wayland-pointer: the compositor connection failed\n");
        return 0;
    }
    return 1;
}

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "wayland-pointer: cannot connect to the compositor\n");
        return 2;
    }
    struct globals globals = { NULL, NULL };
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    if (!settle(display))
        return 2;
    if (!globals.manager) {
        fprintf(stderr, "wayland-pointer: the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 2;
    }
    struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    if (!settle(display))
        return 2;
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        unsigned x, y, width, height, button = left_button;
        double dx, dy;
        if (sscanf(line, "move %u %u %u %u", &x, &y, &width, &height) == 4 && width > 0 && height > 0) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now_milliseconds(), x, y, width, height);
        } else if (sscanf(line, "by %lf %lf", &dx, &dy) == 2) {
            zwlr_virtual_pointer_v1_motion(pointer, now_milliseconds(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
        } else if (strncmp(line, "click", 5) == 0) {
            sscanf(line, "click %u", &button);
            zwlr_virtual_pointer_v1_button(pointer, now_milliseconds(), button, pressed);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, now_milliseconds(), button, released);
        } else {
            fprintf(stderr, "wayland-pointer: not a command: %s", line);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (!settle(display))
            return 2;
        printf("done\n");
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
