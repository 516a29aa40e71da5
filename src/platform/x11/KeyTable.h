#pragma once

namespace qm::x11 {

// The Windows virtual-key code the key handler expects for an X keysym, as
// the key would send it on Windows; 0 for a key Windows has no code for
// (which, like every key that is not a command, ends the saver).
int virtual_key_for(unsigned long keysym);

}
