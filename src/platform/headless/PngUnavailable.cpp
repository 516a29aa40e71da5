#include "platform/headless/Png.h"

#include <stdexcept>

namespace qm {

// Builds without libpng (the Windows cross build) write and read no frames.
void write_png(Image const&, std::string const& path) { throw std::runtime_error("cannot write " + path + ": this build has no PNG support"); }

std::optional<Image> read_png(std::string const&) { return std::nullopt; }

}
