#pragma once

#include <string>
#include <string_view>

namespace qm::win32 {

// The argument text of a Windows command line: everything after the
// program's own name (quoted or not) and the blanks that follow it, so that
// `"C:\Quilvenmoor.scr" /s` gives exactly "/s".
std::wstring_view argument_text(std::wstring_view command_line);

std::string to_utf8(std::wstring_view);
std::wstring from_utf8(std::string_view);

}
