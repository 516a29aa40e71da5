#pragma once

#include "platform/TickDelivery.h"

#include <windows.h>

#include <optional>

namespace qm::win32 {

// What a power-setting notification (WM_POWERBROADCAST with
// PBT_POWERSETTINGCHANGE) says about whether anybody can see the saver: the
// console display switched off makes it unseen; on or dimmed, it is seen.
// Nothing for a notification about another setting, one too short to hold
// the display state, or a state the system has not defined.
std::optional<Visibility> visibility_of(POWERBROADCAST_SETTING const*);

}
