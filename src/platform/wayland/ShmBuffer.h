#pragma once

#include "platform/Geometry.h"
#include "window/Image.h"

#include <cstddef>
#include <functional>

struct wl_buffer;
struct wl_shm;

namespace qm::wayland {

// A buffer of 32-bit pixels (0x00RRGGBB, the compositor's XRGB8888) in
// memory shared with the compositor. The compositor hands it back with a
// release event when it no longer reads it.
class ShmBuffer {
public:
    // Throws CompositorError when the memory cannot be had.
    ShmBuffer(wl_shm*, ScreenSize, std::function<void()> on_release);
    ~ShmBuffer();

    ShmBuffer(ShmBuffer const&) = delete;
    ShmBuffer& operator=(ShmBuffer const&) = delete;

    wl_buffer* buffer() const { return m_buffer; }
    ScreenSize size() const { return m_size; }

    // Both clip to the buffer, as Image's do.
    void fill(Rect, Pixel);
    void copy(Image const& source, int source_x, int source_y, Rect target);

    void released() { m_on_release(); }

private:
    Pixel* row(int y) { return m_pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_size.width); }

    ScreenSize m_size;
    std::size_t m_bytes { 0 };
    Pixel* m_pixels { nullptr };
    wl_buffer* m_buffer { nullptr };
    std::function<void()> m_on_release;
};

}
