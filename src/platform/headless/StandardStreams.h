#pragma once

namespace qm {

// Makes standard input and output carry bytes unchanged, so that a trace is
// byte for byte the same on every platform (no "\r\n" for "\n").
void use_binary_standard_streams();

}
