#include "platform/wayland/SwapChain.h"

#include <algorithm>

namespace qm::wayland {

namespace {

// Beyond this many separate places, a buffer's missed damage becomes the
// one rectangle that holds them all: cheaper to track, rarely much larger.
constexpr std::size_t missed_places = 8;

Rect bounding(Rect const& a, Rect const& b)
{
    int const left = std::min(a.x, b.x);
    int const top = std::min(a.y, b.y);
    return { left, top, std::max(a.right(), b.right()) - left, std::max(a.bottom(), b.bottom()) - top };
}

}

SwapChain::SwapChain(ScreenSize size, std::size_t maximum_buffers)
    : m_bounds { 0, 0, size.width, size.height }
    , m_maximum(std::max<std::size_t>(1, maximum_buffers))
{
}

std::optional<std::size_t> SwapChain::acquire()
{
    for (std::size_t index = 0; index < m_buffers.size(); ++index) {
        if (!m_buffers[index].held)
            return index;
    }
    if (m_buffers.size() >= m_maximum)
        return {};
    m_buffers.push_back({ false, { m_bounds } });
    return m_buffers.size() - 1;
}

void SwapChain::note_missed(Buffer& buffer, Rect const& area) const
{
    Rect const clipped = area.intersected(m_bounds);
    if (clipped.empty())
        return;
    for (Rect& missed : buffer.missed) {
        if (missed.intersected(clipped) == clipped)
            return;
        if (clipped.intersected(missed) == missed) {
            missed = clipped;
            return;
        }
    }
    if (buffer.missed.size() < missed_places) {
        buffer.missed.push_back(clipped);
        return;
    }
    Rect all = clipped;
    for (Rect const& missed : buffer.missed)
        all = bounding(all, missed);
    buffer.missed = { all };
}

std::vector<Rect> SwapChain::submit(std::size_t index, std::vector<Rect> const& changed)
{
    Buffer& target = m_buffers[index];
    std::vector<Rect> repaint = std::move(target.missed);
    target.missed.clear();
    for (Rect const& area : changed) {
        Rect const clipped = area.intersected(m_bounds);
        if (!clipped.empty())
            repaint.push_back(clipped);
    }
    target.held = true;
    for (std::size_t other = 0; other < m_buffers.size(); ++other) {
        if (other == index)
            continue;
        for (Rect const& area : changed)
            note_missed(m_buffers[other], area);
    }
    return repaint;
}

bool SwapChain::exhausted() const
{
    return m_buffers.size() >= m_maximum && std::all_of(m_buffers.begin(), m_buffers.end(), [](Buffer const& buffer) { return buffer.held; });
}

void SwapChain::release(std::size_t index)
{
    if (index < m_buffers.size())
        m_buffers[index].held = false;
}

std::vector<Rect> changed_places(std::vector<DrawOperation> const& operations)
{
    std::vector<Rect> places;
    for (DrawOperation const& operation : operations) {
        if (operation.kind != DrawOperation::Kind::Refresh)
            places.push_back(operation.target);
    }
    return places;
}

}
