#include "platform/x11/Painter.h"

namespace qm::x11 {

Painter::Painter(Connection& connection, Window window)
    : m_connection(connection)
    , m_window(window)
{
    XGCValues values {};
    values.foreground = connection.pixel(Renderer::black);
    values.graphics_exposures = False;
    m_gc = XCreateGC(connection.display(), window, GCForeground | GCGraphicsExposures, &values);
}

Painter::~Painter()
{
    Display* display = m_connection.display();
    for (Surface const& surface : { m_box, m_banner }) {
        if (surface.pixmap != None)
            XFreePixmap(display, surface.pixmap);
    }
    XFreeGC(display, m_gc);
}

void Painter::flush_fills()
{
    if (m_fills.empty())
        return;
    XFillRectangles(m_connection.display(), m_window, m_gc, m_fills.data(), static_cast<int>(m_fills.size()));
    ++m_requests_sent;
    m_fills.clear();
}

void Painter::execute(std::vector<DrawOperation> const& operations, Renderer const& renderer)
{
    Display* display = m_connection.display();
    for (DrawOperation const& operation : operations) {
        switch (operation.kind) {
        case DrawOperation::Kind::Refresh: {
            Image const& picture = renderer.layer(operation.layer);
            Surface& target = surface(operation.layer);
            Rect changed = operation.target;
            if (target.pixmap == None || target.width != picture.width() || target.height != picture.height()) {
                changed = picture.bounds();
                if (target.pixmap != None)
                    XFreePixmap(display, target.pixmap);
                target = { XCreatePixmap(display, m_window, static_cast<unsigned>(picture.width()), static_cast<unsigned>(picture.height()),
                               static_cast<unsigned>(m_connection.depth())),
                    picture.width(), picture.height() };
            }
            m_connection.put_image(target.pixmap, m_gc, picture, changed, changed.x, changed.y);
            ++m_requests_sent;
            break;
        }
        case DrawOperation::Kind::Fill:
            // Fills batch into one request; a copy must not overtake them.
            m_fills.push_back({ static_cast<short>(operation.target.x), static_cast<short>(operation.target.y),
                static_cast<unsigned short>(operation.target.width), static_cast<unsigned short>(operation.target.height) });
            break;
        case DrawOperation::Kind::Copy:
            flush_fills();
            XCopyArea(display, surface(operation.layer).pixmap, m_window, m_gc, operation.source_x, operation.source_y,
                static_cast<unsigned>(operation.target.width), static_cast<unsigned>(operation.target.height), operation.target.x, operation.target.y);
            ++m_requests_sent;
            break;
        }
    }
    flush_fills();
}

}
