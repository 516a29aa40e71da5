#include "platform/headless/StandardStreams.h"

namespace qm {

// POSIX streams never translate line ends.
void use_binary_standard_streams() { }

}
