#include "platform/win32/DisplayState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qm::win32 {
namespace {

// A notification as the system lays it out: the setting's GUID, the data's
// length, then the data (a DWORD, little-endian), with no padding between.
std::vector<std::uint8_t> notification(GUID const& setting, std::vector<std::uint8_t> const& data)
{
    std::size_t const header = sizeof(GUID) + sizeof(DWORD);
    // The declared one-byte array may overlap the padding: keep reads of the
    // whole structure inside the buffer.
    std::vector<std::uint8_t> bytes(std::max(header + data.size(), sizeof(POWERBROADCAST_SETTING)));
    std::memcpy(bytes.data(), &setting, sizeof setting);
    DWORD const length = static_cast<DWORD>(data.size());
    std::memcpy(bytes.data() + sizeof(GUID), &length, sizeof length);
    std::copy(data.begin(), data.end(), bytes.begin() + header);
    return bytes;
}

std::optional<Visibility> visibility_from(std::vector<std::uint8_t> const& bytes)
{
    return visibility_of(reinterpret_cast<POWERBROADCAST_SETTING const*>(bytes.data()));
}

TEST(DisplayState, OffIsUnseenOnAndDimmedAreSeen)
{
    // GUID_CONSOLE_DISPLAY_STATE, 6fe69556-704a-47a0-8f24-c28d936fda47, as it lies in memory.
    std::vector<std::uint8_t> const console_display {
        0x56, 0x95, 0xe6, 0x6f, 0x4a, 0x70, 0xa0, 0x47, 0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47
    };
    auto with_state = [&](std::uint8_t state) {
        std::vector<std::uint8_t> bytes = console_display;
        for (std::uint8_t byte : { 4, 0, 0, 0, static_cast<int>(state), 0, 0, 0 })
            bytes.push_back(byte);
        return bytes;
    };
    EXPECT_EQ(visibility_from(with_state(0)), Visibility::Unseen);
    EXPECT_EQ(visibility_from(with_state(1)), Visibility::Seen);
    EXPECT_EQ(visibility_from(with_state(2)), Visibility::Seen);
    EXPECT_EQ(visibility_from(with_state(3)), std::nullopt);
    EXPECT_EQ(visibility_from(notification(GUID_CONSOLE_DISPLAY_STATE, { 0, 0, 0, 0 })), Visibility::Unseen);
}

TEST(DisplayState, OtherSettingsAndShortDataSayNothing)
{
    // The monitor power setting of older systems carries the same values, but is not registered for.
    EXPECT_EQ(visibility_from(notification(GUID_MONITOR_POWER_ON, { 0, 0, 0, 0 })), std::nullopt);
    EXPECT_EQ(visibility_from(notification(GUID_CONSOLE_DISPLAY_STATE, { 0 })), std::nullopt);
    EXPECT_EQ(visibility_from(notification(GUID_CONSOLE_DISPLAY_STATE, {})), std::nullopt);
    EXPECT_EQ(visibility_of(nullptr), std::nullopt);
}

}
}
