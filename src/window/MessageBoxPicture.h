#pragma once

#include "platform/Input.h"
#include "window/Image.h"

#include <string_view>

namespace qm {

// The message box as every desktop front end shows it: a sign, the text
// (one line per '\n') in the window font and an OK button, on the face
// colour. The front end puts the picture in a window of its size.
struct MessageBoxPicture {
    Image image;
    Rect button; // where a click closes the box
};

// `style` as MsgBox takes it: 16 shows the error sign, else the information sign.
MessageBoxPicture compose_message_box(std::string_view text, int style);

// Return, Escape and Space close the box, as its OK button does.
constexpr bool closes_message_box(VirtualKey key) { return key == VirtualKey::Return || key == VirtualKey::Escape || key == VirtualKey::Space; }

}
