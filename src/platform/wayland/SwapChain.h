#pragma once

#include "platform/Geometry.h"
#include "window/Renderer.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace qm::wayland {

// Which of a surface's buffers to draw the next frame into, and what that
// buffer must have repainted first. The compositor holds a buffer while it
// shows or reads it; a buffer that comes back free has missed every change
// drawn into the others since it was last used. Each buffer keeps that
// missed damage, so a frame repaints only the changed places, never the
// whole surface, in whichever buffer it lands.
class SwapChain {
public:
    // Buffers of this many pixels; every buffer starts wholly out of date.
    explicit SwapChain(ScreenSize, std::size_t maximum_buffers = 4);

    // A free buffer for the next frame: the first free one, or a new one
    // while fewer than the maximum exist. None when all are held, in which
    // case the frame waits for the next tick.
    std::optional<std::size_t> acquire();
    // The buffers that exist (acquire may add one).
    std::size_t size() const { return m_buffers.size(); }

    // What buffer `index` must repaint for a frame whose changes are
    // `changed`: the changes plus whatever it missed. The buffer is then up
    // to date and held by the compositor until `release`; the other buffers
    // note `changed` as missed.
    std::vector<Rect> submit(std::size_t index, std::vector<Rect> const& changed);
    void release(std::size_t index);

    bool held(std::size_t index) const { return m_buffers[index].held; }
    // Whether the compositor holds every buffer there may be: no frame can
    // go until it releases one.
    bool exhausted() const;

private:
    struct Buffer {
        bool held { false };
        std::vector<Rect> missed;
    };

    void note_missed(Buffer&, Rect const&) const;

    Rect m_bounds;
    std::size_t m_maximum;
    std::vector<Buffer> m_buffers;
};

// The places a frame's operations change: its fills and copies.
std::vector<Rect> changed_places(std::vector<DrawOperation> const&);

// Brings buffer `index` up to the frame the renderer last presented, whose
// changes were `changed`: each place the buffer missed and each change is
// repainted as presented, through `paint(operations)` into that buffer.
template<typename Paint>
void repair(SwapChain& chain, std::size_t index, std::vector<Rect> const& changed, Renderer& renderer, Frmsaver const& form, Paint&& paint)
{
    for (Rect const& area : chain.submit(index, changed))
        paint(renderer.redraw(form, area));
}

}
