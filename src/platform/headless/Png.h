#pragma once

#include "window/Image.h"

#include <optional>
#include <string>

namespace qm {

// Writes an image as an 8-bit RGB PNG; throws std::runtime_error on failure.
void write_png(Image const&, std::string const& path);

// Reads an 8-bit RGB or RGBA PNG; nothing if the file is missing or not such a PNG.
std::optional<Image> read_png(std::string const& path);

}
