#pragma once

#include "platform/Input.h"

#include <optional>

namespace qm::x11 {

// The virtual key the key handler expects for an X keysym, as the key would
// send it on Windows; VirtualKey::Unknown for a key Windows has no code for
// (which, like every key that is not a command, ends the saver).
VirtualKey virtual_key_for(unsigned long keysym);

// The mouse button of an X button number; none for the wheel and the
// buttons beyond it, which are no clicks.
std::optional<MouseButton> mouse_button_for(unsigned int button);

}
