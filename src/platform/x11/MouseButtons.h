#pragma once

#include "platform/Input.h"

#include <optional>

namespace qm::x11 {

// The mouse button of an X button number; none for the wheel and the
// buttons beyond it, which are no clicks.
std::optional<MouseButton> mouse_button_for(unsigned int button);

}
