#pragma once

#include "platform/Input.h"

#include <span>

namespace qm::posix {

// The virtual key the key handler expects for a keysym (X11 and xkbcommon
// give keys the same symbols), as the key would send it on Windows;
// VirtualKey::Unknown for a key Windows has no code for (which, like every
// key that is not a command, ends the saver).
//
// Windows gives a letter key its letter's code on every layout, so that A,
// S and Q steer the saver on a Cyrillic or Greek layout too. The same holds
// here: when `keysym`, the symbol of the active layout, is not a Latin
// letter or digit, the key counts as the first Latin letter or digit among
// `level_one_keysyms_by_group`, the symbols this key has at its first level
// in each group (layout) of the keymap, in group order. A keymap with no
// Latin group at all (a Russian layout alone) falls back on the key's place:
// `keycode`, an XKB keycode of the evdev kind that X servers and Wayland
// compositors use, counts as the letter or digit a US keyboard has there.
VirtualKey virtual_key_for(unsigned long keysym, std::span<unsigned long const> level_one_keysyms_by_group = {}, unsigned int keycode = 0);

}
