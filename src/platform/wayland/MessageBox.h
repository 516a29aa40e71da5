#pragma once

#include "platform/wayland/Connection.h"

#include <string_view>

namespace qm::wayland {

// A modal message box as an ordinary window of the compositor, with the
// same picture as on X11: Return, Escape, Space, a click on OK or the
// compositor's close ends it. Throws CompositorError when the compositor
// cannot show windows (no xdg-shell) or the connection fails.
void show_message_box(Connection&, std::string_view text, std::string_view title, int style);

}
