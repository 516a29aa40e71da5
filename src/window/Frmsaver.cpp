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
    // The window is made as large as the screen; no box has a place yet.
    ScreenSize const screen = host.screen_size();
    m_scale_width = float(screen.width);
    m_scale_height = float(screen.height);
    timerScreenSaver2.start_counting();
    timerBirthday.start_counting();
    timerScreenSaver.start_counting();
}

void Frmsaver::resize(ScreenSize screen)
{
    m_scale_width = float(screen.width);
    m_scale_height = float(screen.height);
    // A box left below a new bottom edge would stay out of sight: bounce mode
    // would reflect it back and forth beyond that edge for ever, and scroll
    // mode would carry it along unseen until its next wrap, which at a low
    // speed takes minutes. In both modes it is put against that edge.
    double const box_height = picScreenSaver.ScaleHeight();
    if (to_single(box_height + double(picScreenSaver.Top())) > m_scale_height)
        picScreenSaver.set_Top(to_single(double(m_scale_height) - box_height));
    // Beyond a new right edge, bounce mode puts the box against it too, to
    // reflect off it with the next tick. Scroll mode carries it on and wraps
    // it round as usual, so it needs nothing there.
    if (!timerScreenSaver.Enabled())
        return;
    double const box_width = picScreenSaver.ScaleWidth();
    if (to_single(box_width + double(picScreenSaver.Left())) > m_scale_width)
        picScreenSaver.set_Left(to_single(double(m_scale_width) - box_width));
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
