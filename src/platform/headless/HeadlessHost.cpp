#include "platform/headless/HeadlessHost.h"

namespace qm {

void HeadlessHost::show_message_box(std::string_view text, std::string_view title, int style)
{
    if (m_message_box_observer)
        m_message_box_observer(text, title, style);
}

}
