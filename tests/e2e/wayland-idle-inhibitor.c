// A window that holds the screen awake, as a video player does: it maps a
// small xdg_toplevel (app id "inhibitor") and puts a zwp_idle_inhibitor_v1
// on its surface. It writes "inhibiting" once the compositor has both, and
// then follows its standard input, one command a line:
//
//   release   destroys the inhibitor (the window stays); writes "released"
//
// It ends at the end of its input, or when the compositor goes away.
#define _GNU_SOURCE
#include "idle-inhibit-client.h"
#include "xdg-shell-client.h"

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

enum { size = 64 };

struct client {
    struct wl_compositor* compositor;
    struct wl_shm* shm;
    struct xdg_wm_base* wm_base;
    struct zwp_idle_inhibit_manager_v1* inhibit_manager;
    int configured;
};

static void on_global(void* data, struct wl_registry* registry, uint32_t name, char const* interface, uint32_t version)
{
    struct client* client = data;
    (void)version;
    if (strcmp(interface, wl_compositor_interface.name) == 0)
        client->compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
    else if (strcmp(interface, wl_shm_interface.name) == 0)
        client->shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    else if (strcmp(interface, xdg_wm_base_interface.name) == 0)
        client->wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    else if (strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        client->inhibit_manager = wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static struct wl_registry_listener const registry_listener = { on_global, on_global_remove };

static void on_ping(void* data, struct xdg_wm_base* wm_base, uint32_t serial)
{
    (void)data;
    xdg_wm_base_pong(wm_base, serial);
}

static struct xdg_wm_base_listener const wm_base_listener = { on_ping };

static void on_surface_configure(void* data, struct xdg_surface* surface, uint32_t serial)
{
    struct client* client = data;
    xdg_surface_ack_configure(surface, serial);
    client->configured = 1;
}

static struct xdg_surface_listener const surface_listener = { on_surface_configure };

// A grey square in shared memory.
static struct wl_buffer* make_buffer(struct wl_shm* shm)
{
    int const stride = size * 4;
    int const bytes = stride * size;
    int const fd = memfd_create("inhibitor", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, bytes) != 0)
        return NULL;
    void* pixels = mmap(NULL, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED)
        return NULL;
    memset(pixels, 0x80, bytes);
    munmap(pixels, bytes);
    struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, bytes);
    struct wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, size, size, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

static int fail(char const* text)
{
    fprintf(stderr, "wayland-idle-inhibitor: %s\n", text);
    return 2;
}

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display)
        return fail("cannot connect to the compositor");
    struct client client = { 0 };
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &client);
    if (wl_display_roundtrip(display) < 0)
        return fail("the compositor connection failed");
    if (!client.compositor || !client.shm || !client.wm_base)
        return fail("the compositor lacks wl_compositor, wl_shm or xdg_wm_base");
    if (!client.inhibit_manager)
        return fail("the compositor offers no zwp_idle_inhibit_manager_v1");
    xdg_wm_base_add_listener(client.wm_base, &wm_base_listener, NULL);

    struct wl_surface* surface = wl_compositor_create_surface(client.compositor);
    struct xdg_surface* xdg_surface = xdg_wm_base_get_xdg_surface(client.wm_base, surface);
    xdg_surface_add_listener(xdg_surface, &surface_listener, &client);
    struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg_surface);
    xdg_toplevel_set_app_id(toplevel, "inhibitor");
    xdg_toplevel_set_title(toplevel, "inhibitor");
    wl_surface_commit(surface);
    while (!client.configured) {
        if (wl_display_dispatch(display) < 0)
            return fail("the compositor connection failed");
    }
    struct wl_buffer* buffer = make_buffer(client.shm);
    if (!buffer)
        return fail("cannot make a buffer");
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, size, size);
    wl_surface_commit(surface);
    struct zwp_idle_inhibitor_v1* inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(client.inhibit_manager, surface);
    if (wl_display_roundtrip(display) < 0)
        return fail("the compositor connection failed");
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("inhibiting\n");

    char line[64];
    for (;;) {
        wl_display_flush(display);
        struct pollfd descriptors[2] = { { wl_display_get_fd(display), POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
        if (poll(descriptors, 2, -1) < 0)
            continue;
        if (descriptors[0].revents && wl_display_dispatch(display) < 0)
            return 0; // the compositor has gone
        if (!descriptors[1].revents)
            continue;
        if (!fgets(line, sizeof line, stdin))
            break;
        if (strncmp(line, "release", 7) == 0 && inhibitor) {
            zwp_idle_inhibitor_v1_destroy(inhibitor);
            inhibitor = NULL;
            wl_display_roundtrip(display);
            printf("released\n");
        }
    }
    wl_display_disconnect(display);
    return 0;
}
