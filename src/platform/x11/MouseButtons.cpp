#include "platform/x11/MouseButtons.h"

#include <X11/X.h>

namespace qm::x11 {

std::optional<MouseButton> mouse_button_for(unsigned int button)
{
    switch (button) {
    case Button1:
        return MouseButton::Left;
    case Button2:
        return MouseButton::Middle;
    case Button3:
        return MouseButton::Right;
    default:
        return {};
    }
}

}
