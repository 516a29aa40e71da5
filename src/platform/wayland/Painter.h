#pragma once

#include "platform/wayland/ShmBuffer.h"
#include "platform/wayland/SwapChain.h"
#include "window/Renderer.h"

#include <memory>
#include <vector>

struct wl_shm;
struct wl_surface;

namespace qm::wayland {

// What brings the surface the logo plays on up to date from the renderer.
class FramePainter {
public:
    virtual ~FramePainter() = default;
    // The play area's size in the buffers' pixels.
    virtual ScreenSize size() const = 0;
    // Puts the renderer's changes into the surface's pending state. Without
    // a free buffer nothing is taken from the renderer, so the frame is owed
    // and the next call sends it. Returns whether the surface has a new
    // frame; the caller commits it, so that it can pace the commits.
    virtual bool present(Renderer&, Frmsaver const&) = 0;
    // Whether no frame can go before the compositor gives a buffer back,
    // as it may not while the output is hidden.
    virtual bool waiting_for_buffer() const { return false; }
};

// Brings the surface the logo plays on up to date from the renderer: each
// frame goes into a free shared-memory buffer, which first gets back what
// it missed while the compositor held it, and the compositor is told only
// the places that changed. The buffers are at the output's physical size.
class Painter final : public FramePainter {
public:
    Painter(wl_shm*, wl_surface*, ScreenSize);

    Painter(Painter const&) = delete;
    Painter& operator=(Painter const&) = delete;

    ScreenSize size() const override { return m_size; }
    bool present(Renderer&, Frmsaver const&) override;
    bool waiting_for_buffer() const override { return m_chain.exhausted(); }

private:
    void execute(ShmBuffer&, std::vector<DrawOperation> const&, Renderer const&);

    wl_shm* m_shm;
    wl_surface* m_surface;
    ScreenSize m_size;
    SwapChain m_chain;
    std::vector<std::unique_ptr<ShmBuffer>> m_buffers;
    bool m_shown { false };
};

}
