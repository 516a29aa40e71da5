#include "platform/runtime/Runtime.h"
#include "window/Frmsaver.h"

namespace qm {

void Frmsaver::show_clock_caption()
{
    // The time is read before the date, so a tick at midnight may pair the
    // old day's last second with the new date.
    std::string caption = m_runtime.time_text();
    caption += "      ";
    caption += m_runtime.date_text();
    Label1.set_Caption(std::move(caption));
}

}
