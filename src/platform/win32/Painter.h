#pragma once

#include "window/Renderer.h"

#include <windows.h>

#include <vector>

namespace qm::win32 {

// Executes the renderer's drawing operations with GDI: the box and the banner
// live in memory bitmaps, so a tick is one BitBlt and a black PatBlt for the
// strip the box uncovered.
class Painter {
public:
    Painter();
    ~Painter();

    Painter(Painter const&) = delete;
    Painter& operator=(Painter const&) = delete;

    void execute(std::vector<DrawOperation> const&, Renderer const&, HDC target);

private:
    struct Surface {
        HBITMAP bitmap { nullptr };
        void* bits { nullptr };
        int width { 0 };
        int height { 0 };
    };

    Surface& surface(Layer layer) { return layer == Layer::Box ? m_box : m_banner; }
    void refresh(Surface&, Image const&, Rect changed);

    HDC m_memory;
    HGDIOBJ m_original { nullptr };
    Surface m_box;
    Surface m_banner;
};

}
