#include "platform/wayland/Painter.h"

#include <wayland-client.h>

namespace qm::wayland {

Painter::Painter(wl_shm* shm, wl_surface* surface, ScreenSize size)
    : m_shm(shm)
    , m_surface(surface)
    , m_size(size)
    , m_chain(size)
{
}

bool Painter::present(Renderer& renderer, Frmsaver const& form)
{
    auto const index = m_chain.acquire();
    if (!index)
        return false;
    while (m_buffers.size() < m_chain.size())
        m_buffers.push_back(std::make_unique<ShmBuffer>(m_shm, m_size, [this, released = m_buffers.size()] { m_chain.release(released); }));

    std::vector<Rect> const changed = changed_places(renderer.update(form));
    if (changed.empty() && m_shown)
        return false;

    ShmBuffer& buffer = *m_buffers[*index];
    // The renderer repaints any place as last presented, so a buffer's
    // missed places and this frame's changes come from the same source.
    repair(m_chain, *index, changed, renderer, form, [&](std::vector<DrawOperation> const& operations) { execute(buffer, operations, renderer); });

    wl_surface_attach(m_surface, buffer.buffer(), 0, 0);
    if (!m_shown) {
        wl_surface_damage_buffer(m_surface, 0, 0, m_size.width, m_size.height);
    } else {
        for (Rect const& area : changed)
            wl_surface_damage_buffer(m_surface, area.x, area.y, area.width, area.height);
    }
    m_shown = true;
    return true;
}

void Painter::execute(ShmBuffer& buffer, std::vector<DrawOperation> const& operations, Renderer const& renderer)
{
    for (DrawOperation const& operation : operations) {
        switch (operation.kind) {
        case DrawOperation::Kind::Refresh:
            break;
        case DrawOperation::Kind::Fill:
            buffer.fill(operation.target, Renderer::black);
            break;
        case DrawOperation::Kind::Copy:
            buffer.copy(renderer.layer(operation.layer), operation.source_x, operation.source_y, operation.target);
            break;
        }
    }
}

}
