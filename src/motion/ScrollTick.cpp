#include "platform/runtime/Numeric.h"
#include "start/Global.h"
#include "window/Frmsaver.h"

namespace qm {

void Frmsaver::timerScreenSaver2_Timer()
{
    double const box_width = picScreenSaver.ScaleWidth();
    double const window_width = ScaleWidth();

    // Past the right edge by one more box width: re-enter from the left at a new height.
    if (to_single(box_width + double(picScreenSaver.Left())) >= to_single(2 * box_width + window_width)) {
        random_placement_vertical();
        picScreenSaver.set_Left(to_single(-2 * box_width));
    }

    // Past the left edge by one more box width: re-enter from the right.
    if (picScreenSaver.Left() < to_single(-2 * box_width)) {
        random_placement_vertical();
        picScreenSaver.set_Left(to_single(2 * box_width + window_width - box_width));
    }

    double const base = to_single(double(m_global.Speed) + double(picScreenSaver.Left()));
    double const extra = checked(checked(m_global.SpeedUp.times_single(m_global.Speed) * m_global.elapsed_seconds()) / 60.0);
    picScreenSaver.set_Left(to_single(checked(base + extra)));

    show_clock_caption();
}

}
