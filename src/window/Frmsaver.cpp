#include "window/Frmsaver.h"

#include "platform/Runtime.h"
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
    ScreenSize const screen = host.screen_size();
    m_scale_width = float(screen.width);
    m_scale_height = float(screen.height);
    timerScreenSaver2.start_counting();
    timerBirthday.start_counting();
    timerScreenSaver.start_counting();
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
