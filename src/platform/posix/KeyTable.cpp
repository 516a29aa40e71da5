#include "platform/posix/KeyTable.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <string_view>

namespace qm::posix {

namespace {

struct Entry {
    unsigned long keysym;
    VirtualKey virtual_key;
};

// Every key with a code of its own on Windows. Letters and digits are ranges below.
constexpr Entry table[] = {
    { XKB_KEY_BackSpace, VirtualKey::Back }, { XKB_KEY_Tab, VirtualKey::Tab }, { XKB_KEY_ISO_Left_Tab, VirtualKey::Tab }, { XKB_KEY_Clear, VirtualKey::Clear }, { XKB_KEY_KP_Begin, VirtualKey::Clear },
    { XKB_KEY_Return, VirtualKey::Return }, { XKB_KEY_KP_Enter, VirtualKey::Return },
    { XKB_KEY_Shift_L, VirtualKey::Shift }, { XKB_KEY_Shift_R, VirtualKey::Shift }, { XKB_KEY_Control_L, VirtualKey::Control }, { XKB_KEY_Control_R, VirtualKey::Control },
    { XKB_KEY_Alt_L, VirtualKey::Menu }, { XKB_KEY_Alt_R, VirtualKey::Menu }, { XKB_KEY_Meta_L, VirtualKey::Menu }, { XKB_KEY_Meta_R, VirtualKey::Menu }, { XKB_KEY_ISO_Level3_Shift, VirtualKey::Menu }, { XKB_KEY_Mode_switch, VirtualKey::Menu },
    { XKB_KEY_Pause, VirtualKey::Pause }, { XKB_KEY_Caps_Lock, VirtualKey::Capital }, { XKB_KEY_Escape, VirtualKey::Escape }, { XKB_KEY_space, VirtualKey::Space }, { XKB_KEY_KP_Space, VirtualKey::Space },
    { XKB_KEY_Prior, VirtualKey::Prior }, { XKB_KEY_KP_Prior, VirtualKey::Prior }, { XKB_KEY_Next, VirtualKey::Next }, { XKB_KEY_KP_Next, VirtualKey::Next },
    { XKB_KEY_End, VirtualKey::End }, { XKB_KEY_KP_End, VirtualKey::End }, { XKB_KEY_Home, VirtualKey::Home }, { XKB_KEY_KP_Home, VirtualKey::Home },
    { XKB_KEY_Left, VirtualKey::Left }, { XKB_KEY_KP_Left, VirtualKey::Left }, { XKB_KEY_Up, VirtualKey::Up }, { XKB_KEY_KP_Up, VirtualKey::Up },
    { XKB_KEY_Right, VirtualKey::Right }, { XKB_KEY_KP_Right, VirtualKey::Right }, { XKB_KEY_Down, VirtualKey::Down }, { XKB_KEY_KP_Down, VirtualKey::Down },
    { XKB_KEY_Select, VirtualKey::Select }, { XKB_KEY_Print, VirtualKey::Snapshot }, { XKB_KEY_Execute, VirtualKey::Execute }, { XKB_KEY_Insert, VirtualKey::Insert }, { XKB_KEY_KP_Insert, VirtualKey::Insert },
    { XKB_KEY_Delete, VirtualKey::Delete }, { XKB_KEY_KP_Delete, VirtualKey::Delete }, { XKB_KEY_Help, VirtualKey::Help },
    { XKB_KEY_Super_L, VirtualKey::LeftWindows }, { XKB_KEY_Super_R, VirtualKey::RightWindows }, { XKB_KEY_Menu, VirtualKey::Apps },
    { XKB_KEY_KP_Multiply, VirtualKey::Multiply }, { XKB_KEY_KP_Add, VirtualKey::Add }, { XKB_KEY_KP_Separator, VirtualKey::Separator }, { XKB_KEY_KP_Subtract, VirtualKey::Subtract },
    { XKB_KEY_KP_Decimal, VirtualKey::Decimal }, { XKB_KEY_KP_Divide, VirtualKey::Divide },
    { XKB_KEY_Num_Lock, VirtualKey::NumLock }, { XKB_KEY_Scroll_Lock, VirtualKey::Scroll },
    { XKB_KEY_semicolon, VirtualKey::Oem1 }, { XKB_KEY_colon, VirtualKey::Oem1 }, { XKB_KEY_equal, VirtualKey::OemPlus }, { XKB_KEY_plus, VirtualKey::OemPlus },
    { XKB_KEY_comma, VirtualKey::OemComma }, { XKB_KEY_less, VirtualKey::OemComma }, { XKB_KEY_minus, VirtualKey::OemMinus }, { XKB_KEY_underscore, VirtualKey::OemMinus },
    { XKB_KEY_period, VirtualKey::OemPeriod }, { XKB_KEY_greater, VirtualKey::OemPeriod }, { XKB_KEY_slash, VirtualKey::Oem2 }, { XKB_KEY_question, VirtualKey::Oem2 },
    { XKB_KEY_grave, VirtualKey::Oem3 }, { XKB_KEY_asciitilde, VirtualKey::Oem3 }, { XKB_KEY_bracketleft, VirtualKey::Oem4 }, { XKB_KEY_braceleft, VirtualKey::Oem4 },
    { XKB_KEY_backslash, VirtualKey::Oem5 }, { XKB_KEY_bar, VirtualKey::Oem5 }, { XKB_KEY_bracketright, VirtualKey::Oem6 }, { XKB_KEY_braceright, VirtualKey::Oem6 },
    { XKB_KEY_apostrophe, VirtualKey::Oem7 }, { XKB_KEY_quotedbl, VirtualKey::Oem7 },
};

bool is_latin_letter_or_digit(unsigned long keysym)
{
    return (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) || (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) || (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9);
}

// The letter or digit a US keyboard has on an XKB keycode of the evdev kind
// (the kernel's key number plus 8), or XKB_KEY_NoSymbol.
unsigned long us_keysym_at(unsigned int keycode)
{
    // Each row of the main block, from the kernel's number of its first key.
    struct Row {
        unsigned int first;
        char const* keys;
    };
    constexpr unsigned int evdev_offset = 8;
    constexpr Row rows[] = { { 2, "1234567890" }, { 16, "qwertyuiop" }, { 30, "asdfghjkl" }, { 44, "zxcvbnm" } };
    for (Row const& row : rows) {
        std::string_view const keys(row.keys);
        unsigned int const first = row.first + evdev_offset;
        if (keycode >= first && keycode < first + keys.size())
            return static_cast<unsigned long>(keys[keycode - first]); // Latin keysyms are their ASCII codes
    }
    return XKB_KEY_NoSymbol;
}

}

VirtualKey virtual_key_for(unsigned long keysym, std::span<unsigned long const> level_one_keysyms_by_group, unsigned int keycode)
{
    if (!is_latin_letter_or_digit(keysym)) {
        auto const latin = std::ranges::find_if(level_one_keysyms_by_group, is_latin_letter_or_digit);
        if (latin != level_one_keysyms_by_group.end())
            keysym = *latin;
        else if (unsigned long const at_place = us_keysym_at(keycode); at_place != XKB_KEY_NoSymbol)
            keysym = at_place;
    }
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z)
        return letter_key(static_cast<char>('a' + (keysym - XKB_KEY_a)));
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        return letter_key(static_cast<char>('A' + (keysym - XKB_KEY_A)));
    if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9)
        return digit_key(static_cast<int>(keysym - XKB_KEY_0));
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9)
        return numpad_key(static_cast<int>(keysym - XKB_KEY_KP_0));
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F24)
        return function_key(static_cast<int>(keysym - XKB_KEY_F1) + 1);
    for (Entry const& entry : table) {
        if (entry.keysym == keysym)
            return entry.virtual_key;
    }
    return VirtualKey::Unknown;
}

}
