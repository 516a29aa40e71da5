#include "platform/headless/StandardStreams.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace qm {

void use_binary_standard_streams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

}
