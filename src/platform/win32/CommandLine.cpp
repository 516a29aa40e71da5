#include "platform/win32/CommandLine.h"

#include <windows.h>

namespace qm::win32 {

std::wstring_view argument_text(std::wstring_view line)
{
    std::size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        // A quoted name runs to the closing quote (or the end of the line).
        i = line.find(L'"', 1);
        i = i == std::wstring_view::npos ? line.size() : i + 1;
    }
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t')
        ++i;
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
        ++i;
    return line.substr(i);
}

std::string to_utf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    int const size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring from_utf8(std::string_view text)
{
    if (text.empty())
        return {};
    int const size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

}
