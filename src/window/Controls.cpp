#include "window/Controls.h"

#include "platform/runtime/Numeric.h"
#include "window/Font.h"

#include <cmath>

namespace qm {

TimerControl::TimerControl(Host& host, TimerId id, int interval, bool enabled)
    : m_host(host)
    , m_id(id)
    , m_interval(interval)
    , m_enabled(enabled)
{
}

void TimerControl::set_Enabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    m_host.set_timer(m_id, m_enabled, m_interval);
}

void TimerControl::start_counting()
{
    if (m_enabled)
        m_host.set_timer(m_id, true, m_interval);
}

Label::Label(int left, int top, int width, int height, Sizing sizing, std::string caption)
    : m_left(left)
    , m_top(top)
    , m_width(width)
    , m_height(height)
    , m_sizing(sizing)
{
    set_Caption(std::move(caption));
}

void Label::set_Caption(std::string caption)
{
    m_caption = std::move(caption);
    if (m_sizing == Sizing::Automatic) {
        m_width = Font::window_font().measure(m_caption);
        m_height = Font::line_height;
    }
}

bool Label::contains(float x, float y) const
{
    return x >= float(m_left) && x < float(m_left + m_width) && y >= float(m_top) && y < float(m_top + m_height);
}

PictureBox::PictureBox(float left, float top)
    : m_left(left)
    , m_top(top)
{
}

namespace {

// Whole pixels of a position that may lie far outside any screen; pinned so
// that drawing arithmetic can never overflow.
long pixel_of(float position)
{
    double const whole = round_half_even(position);
    if (whole < -1e9)
        return -1'000'000'000L;
    if (whole > 1e9)
        return 1'000'000'000L;
    return static_cast<long>(whole);
}

}

long PictureBox::pixel_left() const { return pixel_of(m_left); }

long PictureBox::pixel_top() const { return pixel_of(m_top); }

bool PictureBox::contains(float x, float y) const
{
    double const left = round_half_even(m_left);
    double const top = round_half_even(m_top);
    return x >= left && x < left + outer_width && y >= top && y < top + outer_height;
}

}
