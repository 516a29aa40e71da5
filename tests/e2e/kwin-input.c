// Keys and a pointer for a KWin that has no input devices (a virtual one):
// it binds org_kde_kwin_fake_input (KWin must run with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1) and then types, moves and clicks as
// told on standard input, one command a line:
//
//   key CODE        press and release (CODE as in linux/input-event-codes.h)
//   press CODE      press only
//   release CODE    release only
//   move X Y        to X, Y of the compositor's space (absolute)
//   by DX DY        by a distance
//   click           press and release the left button
//
// It writes "ready" once bound and "done" after each command, when the
// compositor has taken it in, so that a test can wait for either. It ends
// at the end of its input.
#include "kwin-fake-input-client.h"

#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

enum { left_button = 0x110, pressed = 1, released = 0 };

static void on_global(void* data, struct wl_registry* registry, uint32_t name, char const* interface, uint32_t version)
{
    struct org_kde_kwin_fake_input** input = data;
    // Keys came with version 4.
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        *input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static struct wl_registry_listener const registry_listener = { on_global, on_global_remove };

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kwin-input: cannot connect to the compositor\n");
        return 2;
    }
    struct org_kde_kwin_fake_input* input = NULL;
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &input);
    if (wl_display_roundtrip(display) < 0 || !input) {
        fprintf(stderr, "kwin-input: the compositor offers no org_kde_kwin_fake_input of version 4\n");
        return 2;
    }
    org_kde_kwin_fake_input_authenticate(input, "quilvenmoor tests", "types and moves for end-to-end tests");
    if (wl_display_roundtrip(display) < 0)
        return 2;
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        unsigned code;
        double x, y;
        if (sscanf(line, "key %u", &code) == 1) {
            org_kde_kwin_fake_input_keyboard_key(input, code, pressed);
            org_kde_kwin_fake_input_keyboard_key(input, code, released);
        } else if (sscanf(line, "press %u", &code) == 1) {
            org_kde_kwin_fake_input_keyboard_key(input, code, pressed);
        } else if (sscanf(line, "release %u", &code) == 1) {
            org_kde_kwin_fake_input_keyboard_key(input, code, released);
        } else if (sscanf(line, "move %lf %lf", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_double(x), wl_fixed_from_double(y));
        } else if (sscanf(line, "by %lf %lf", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_double(x), wl_fixed_from_double(y));
        } else if (strncmp(line, "click", 5) == 0) {
            org_kde_kwin_fake_input_button(input, left_button, pressed);
            org_kde_kwin_fake_input_button(input, left_button, released);
        } else {
            fprintf(stderr, "kwin-input: not a command: %s", line);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "kwin-input: the compositor connection failed\n");
            return 2;
        }
        printf("done\n");
    }
    org_kde_kwin_fake_input_destroy(input);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
