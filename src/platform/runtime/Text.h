#pragma once

#include <string>
#include <string_view>

namespace qm {

// printf's "%.<precision>g", the same on every platform and in every locale.
std::string format_general(double value, int precision);

// The standard text of a single: at most 7 significant digits, "." as the separator.
std::string single_text(float);

// The standard conversion of a text to a double. Blanks around the number are
// allowed; anything else that is not a number raises the type-mismatch error.
double text_to_double(std::string_view);

// Upper-cases the ASCII letters and leaves every other byte as it is.
std::string upper_case(std::string_view);

}
