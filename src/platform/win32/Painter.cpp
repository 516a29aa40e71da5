#include "platform/win32/Painter.h"

#include <cstring>

namespace qm::win32 {

Painter::Painter()
    : m_memory(CreateCompatibleDC(nullptr))
{
}

Painter::~Painter()
{
    if (m_original)
        SelectObject(m_memory, m_original);
    for (Surface const& surface : { m_box, m_banner }) {
        if (surface.bitmap)
            DeleteObject(surface.bitmap);
    }
    DeleteDC(m_memory);
}

void Painter::refresh(Surface& surface, Image const& picture, Rect changed)
{
    if (!surface.bitmap || surface.width != picture.width() || surface.height != picture.height()) {
        changed = picture.bounds();
        if (surface.bitmap) {
            if (m_original)
                SelectObject(m_memory, m_original);
            m_original = nullptr;
            DeleteObject(surface.bitmap);
        }
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture.width();
        info.bmiHeader.biHeight = -picture.height(); // rows from the top, as the image holds them
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        surface = { CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &surface.bits, nullptr, 0), surface.bits, picture.width(), picture.height() };
    }
    GdiFlush();
    // 0x00RRGGBB in memory is blue, green, red, 0: exactly a 32-bit DIB's pixel.
    changed = changed.intersected(picture.bounds());
    if (!surface.bits)
        return;
    auto* rows = static_cast<Pixel*>(surface.bits);
    for (int y = changed.y; y < changed.bottom(); ++y)
        std::memcpy(rows + static_cast<std::size_t>(y) * picture.width() + changed.x, picture.row(y) + changed.x, static_cast<std::size_t>(changed.width) * sizeof(Pixel));
}

void Painter::execute(std::vector<DrawOperation> const& operations, Renderer const& renderer, HDC target)
{
    for (DrawOperation const& operation : operations) {
        Rect const& area = operation.target;
        switch (operation.kind) {
        case DrawOperation::Kind::Refresh:
            refresh(surface(operation.layer), renderer.layer(operation.layer), operation.target);
            break;
        case DrawOperation::Kind::Fill:
            PatBlt(target, area.x, area.y, area.width, area.height, BLACKNESS);
            break;
        case DrawOperation::Kind::Copy: {
            HGDIOBJ const previous = SelectObject(m_memory, surface(operation.layer).bitmap);
            if (!m_original)
                m_original = previous;
            BitBlt(target, area.x, area.y, area.width, area.height, m_memory, operation.source_x, operation.source_y, SRCCOPY);
            break;
        }
        }
    }
    GdiFlush();
}

}
