#include "platform/runtime/Numeric.h"
#include "start/Global.h"
#include "window/Frmsaver.h"

namespace qm {

namespace {

// Heading <- base - Heading. Where that would leave the 16-bit range, the
// heading is first folded into 0..359, which keeps the direction (up to the
// small drift of the 3.142 constant) and lets a box stuck in a corner go on
// reflecting forever instead of ending the saver with an overflow.
void reflect(Integer& heading, Integer base)
{
    int const reflected = int(base) - int(heading);
    if (reflected < integer_min || reflected > integer_max)
        heading = static_cast<Integer>((int(heading) % 360 + 360) % 360);
    heading = subtract(base, heading);
}

}

void Frmsaver::timerScreenSaver_Timer()
{
    Integer& heading = m_global.Heading;

    // The edge tests look at the position before this tick's move and ignore
    // the direction of travel: a box at or beyond an edge is reflected again.
    float const top = picScreenSaver.Top();
    bool const at_top = top <= 0;
    bool const at_bottom = to_single(double(picScreenSaver.ScaleHeight()) + double(top)) >= ScaleHeight();
    if (at_top || at_bottom)
        reflect(heading, 180);

    float const left = picScreenSaver.Left();
    bool const at_left = left <= 0;
    bool const at_right = to_single(double(picScreenSaver.ScaleWidth()) + double(left)) >= ScaleWidth();
    if (at_left || at_right)
        reflect(heading, 360);

    // Both moves use the heading as it stands after the reflections.
    double const speed = m_global.Speed;
    double const radians = m_global.heading_radians();
    double const sine = portable_sin(radians);
    double const moved_left = checked(double(left) + checked(speed * sine));
    double const unit_left = checked(sine * speed);
    double const minutes_left = checked(m_global.elapsed_seconds() / 60.0);
    picScreenSaver.set_Left(to_single(checked(moved_left + checked(m_global.SpeedUp.times_double(unit_left) * minutes_left))));

    double const cosine = portable_cos(radians);
    double const moved_top = checked(double(picScreenSaver.Top()) - checked(speed * cosine));
    double const unit_top = checked(cosine * speed);
    double const minutes_top = checked(m_global.elapsed_seconds() / 60.0);
    picScreenSaver.set_Top(to_single(checked(moved_top - checked(m_global.SpeedUp.times_double(unit_top) * minutes_top))));

    show_clock_caption();
}

}
