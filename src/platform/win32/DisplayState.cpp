#include "platform/win32/DisplayState.h"

#include <cstring>

namespace qm::win32 {

std::optional<Visibility> visibility_of(POWERBROADCAST_SETTING const* setting)
{
    if (!setting || setting->PowerSetting != GUID_CONSOLE_DISPLAY_STATE || setting->DataLength < sizeof(DWORD))
        return std::nullopt;
    // The state is a DWORD that follows the header unaligned.
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state);
    switch (state) {
    case 0: // off
        return Visibility::Unseen;
    case 1: // on
    case 2: // dimmed: still lit, and still looked at
        return Visibility::Seen;
    default:
        return std::nullopt;
    }
}

}
