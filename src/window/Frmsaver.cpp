#include "window/Frmsaver.h"

#include "platform/runtime/Runtime.h"
#include "start/Global.h"

#include <string>

namespace qm {

Frmsaver::Frmsaver(Global& global, Runtime& runtime, Host& host)
    : timerScreenSaver2(host, TimerId::Scroll, 30, true)
    , picScreenSaver(116, 32)
    , Label1(0, 308, 282, 13, Label::Sizing::Fixed, std::string(clock_placeholder))
    , timerBirthday(host, TimerId::Banner, 2000, true)
    , timerScreenSaver(host, TimerId::Bounce, 30, false)
    , Birthday(8, 8, 302, 13, Label::Sizing::Automatic, std::string(credits_line))
    , m_global(global)
    , m_runtime(runtime)
{
    resize(host.screen_size());
    timerScreenSaver2.start_counting();
    timerBirthday.start_counting();
    timerScreenSaver.start_counting();
}

void Frmsaver::resize(ScreenSize screen)
{
    m_scale_width = float(screen.width);
    m_scale_height = float(screen.height);
    // Bounce mode reflects a box at or beyond an edge on every tick, so a box
    // left far beyond a new, nearer edge would turn back and forth out of
    // sight for ever. It is put against that edge instead, to reflect off it
    // with the next tick. Scroll mode needs nothing: it wraps the box round.
    if (!timerScreenSaver.Enabled())
        return;
    double const box_width = picScreenSaver.ScaleWidth();
    double const box_height = picScreenSaver.ScaleHeight();
    if (to_single(box_width + double(picScreenSaver.Left())) > m_scale_width)
        picScreenSaver.set_Left(to_single(double(m_scale_width) - box_width));
    if (to_single(box_height + double(picScreenSaver.Top())) > m_scale_height)
        picScreenSaver.set_Top(to_single(double(m_scale_height) - box_height));
}

HitTarget Frmsaver::hit_test(float x, float y) const
{
    if (picScreenSaver.contains(x, y))
        return HitTarget::Box;
    if (Birthday.Visible() && Birthday.contains(x, y))
        return HitTarget::Banner;
    return HitTarget::Form;
}

}
