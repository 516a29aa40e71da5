#pragma once

#include "platform/x11/Connection.h"

#include <string_view>

namespace qm::x11 {

// A modal message box with a sign, the text (one line per '\n') and an OK
// button, drawn in the window font. Return, Escape, Space or a click on OK
// closes it, as does the window manager's close button.
void show_message_box(Connection&, std::string_view text, std::string_view title, int style);

}
