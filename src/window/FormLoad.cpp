#include "platform/runtime/Numeric.h"
#include "platform/runtime/Runtime.h"
#include "start/Global.h"
#include "window/Frmsaver.h"

namespace qm {

void Frmsaver::Form_Load()
{
    // Seed from the product of two clock readings, reduced to a single.
    float const first = m_runtime.timer();
    float const second = m_runtime.timer();
    m_runtime.randomize(to_single(checked(double(second) * double(first))));

    if (m_runtime.date_text().substr(0, 5) == "05-12")
        Birthday.set_Caption(std::string(birthday_line));

    random_course();
    random_placement();
    m_global.restart_speed_up_clock();
}

void Frmsaver::random_course()
{
    random_heading();
    random_speed();
}

void Frmsaver::random_heading() { m_global.Heading = to_integer(checked(double(m_runtime.rnd()) * 360.0)); }

void Frmsaver::random_speed() { store_single_then_check(m_global.Speed, double(m_runtime.rnd()) * 5.0); }

void Frmsaver::random_placement()
{
    random_placement_horizontal();
    random_placement_vertical();
}

void Frmsaver::random_placement_horizontal()
{
    double const free_width = double(ScaleWidth()) - double(picScreenSaver.ScaleWidth());
    picScreenSaver.set_Left(to_single(checked(double(m_runtime.rnd()) * free_width)));
}

void Frmsaver::random_placement_vertical()
{
    double const free_height = double(ScaleHeight()) - double(picScreenSaver.ScaleHeight());
    picScreenSaver.set_Top(to_single(checked(double(m_runtime.rnd()) * free_height)));
}

void Frmsaver::timerBirthday_Timer()
{
    Birthday.set_Visible(false);
    timerBirthday.set_Enabled(false);
}

}
