#include "platform/wayland/ShmBuffer.h"

#include "platform/wayland/Connection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace qm::wayland {

namespace {

void on_release(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->released(); }

wl_buffer_listener const buffer_listener { on_release };

}

ShmBuffer::ShmBuffer(wl_shm* shm, ScreenSize size, std::function<void()> on_release_callback)
    : m_size(size)
    , m_on_release(std::move(on_release_callback))
{
    int const stride = size.width * 4;
    m_bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height);
    int const descriptor = memfd_create("quilvenmoor-buffer", MFD_CLOEXEC);
    if (descriptor < 0)
        throw CompositorError("cannot make shared memory for the screen: " + std::string(std::strerror(errno)));
    if (ftruncate(descriptor, static_cast<off_t>(m_bytes)) != 0) {
        int const error = errno;
        close(descriptor);
        throw CompositorError("cannot make shared memory for the screen: " + std::string(std::strerror(error)));
    }
    void* memory = mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (memory == MAP_FAILED) {
        int const error = errno;
        close(descriptor);
        throw CompositorError("cannot map shared memory for the screen: " + std::string(std::strerror(error)));
    }
    m_pixels = static_cast<Pixel*>(memory);
    wl_shm_pool* pool = wl_shm_create_pool(shm, descriptor, static_cast<std::int32_t>(m_bytes));
    m_buffer = wl_shm_pool_create_buffer(pool, 0, size.width, size.height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(descriptor);
    wl_buffer_add_listener(m_buffer, &buffer_listener, this);
}

ShmBuffer::~ShmBuffer()
{
    wl_buffer_destroy(m_buffer);
    munmap(m_pixels, m_bytes);
}

void ShmBuffer::fill(Rect area, Pixel pixel)
{
    Rect const clipped = area.intersected({ 0, 0, m_size.width, m_size.height });
    for (int y = clipped.y; y < clipped.bottom(); ++y)
        std::fill_n(row(y) + clipped.x, clipped.width, pixel);
}

void ShmBuffer::copy(Image const& source, int source_x, int source_y, Rect target)
{
    // Only the part of the target that has a source pixel under it and lies in the buffer.
    Rect const source_area { target.x - source_x, target.y - source_y, source.width(), source.height() };
    Rect const clipped = target.intersected({ 0, 0, m_size.width, m_size.height }).intersected(source_area);
    for (int y = clipped.y; y < clipped.bottom(); ++y)
        std::copy_n(source.row(y - source_area.y) + (clipped.x - source_area.x), clipped.width, row(y) + clipped.x);
}

}
