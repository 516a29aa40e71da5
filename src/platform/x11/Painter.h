#pragma once

#include "platform/x11/Connection.h"
#include "window/Renderer.h"

#include <cstdint>
#include <vector>

namespace qm::x11 {

// Executes the renderer's drawing operations on a window with the server's
// own means: the box and the banner live in pixmaps on the server, so a tick
// is one XCopyArea and one XFillRectangles, and only a changed picture (once
// a second, for the clock) travels as an image.
class Painter {
public:
    Painter(Connection&, Window);
    ~Painter();

    Painter(Painter const&) = delete;
    Painter& operator=(Painter const&) = delete;

    // Queues the requests that carry out the operations; the caller
    // flushes them, once for everything the round of its loop sent.
    void execute(std::vector<DrawOperation> const&, Renderer const&);

    // How many drawing requests (images, copies, fills) it has sent: a
    // diagnostic that shows when nothing is drawn.
    std::uint64_t requests_sent() const { return m_requests_sent; }

private:
    void flush_fills();

    Connection& m_connection;
    Window m_window;
    GC m_gc;
    struct Surface {
        Pixmap pixmap { None };
        int width { 0 };
        int height { 0 };
    };

    Surface& surface(Layer layer) { return layer == Layer::Box ? m_box : m_banner; }

    Surface m_box;
    Surface m_banner;
    std::vector<XRectangle> m_fills;
    std::uint64_t m_requests_sent { 0 };
};

}
