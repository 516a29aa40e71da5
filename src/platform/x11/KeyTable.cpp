#include "platform/x11/KeyTable.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string_view>

namespace qm::x11 {

namespace {

struct Entry {
    unsigned long keysym;
    VirtualKey virtual_key;
};

// Every key with a code of its own on Windows. Letters and digits are ranges below.
constexpr Entry table[] = {
    { XK_BackSpace, VirtualKey::Back }, { XK_Tab, VirtualKey::Tab }, { XK_ISO_Left_Tab, VirtualKey::Tab }, { XK_Clear, VirtualKey::Clear }, { XK_KP_Begin, VirtualKey::Clear },
    { XK_Return, VirtualKey::Return }, { XK_KP_Enter, VirtualKey::Return },
    { XK_Shift_L, VirtualKey::Shift }, { XK_Shift_R, VirtualKey::Shift }, { XK_Control_L, VirtualKey::Control }, { XK_Control_R, VirtualKey::Control },
    { XK_Alt_L, VirtualKey::Menu }, { XK_Alt_R, VirtualKey::Menu }, { XK_Meta_L, VirtualKey::Menu }, { XK_Meta_R, VirtualKey::Menu }, { XK_ISO_Level3_Shift, VirtualKey::Menu }, { XK_Mode_switch, VirtualKey::Menu },
    { XK_Pause, VirtualKey::Pause }, { XK_Caps_Lock, VirtualKey::Capital }, { XK_Escape, VirtualKey::Escape }, { XK_space, VirtualKey::Space }, { XK_KP_Space, VirtualKey::Space },
    { XK_Prior, VirtualKey::Prior }, { XK_KP_Prior, VirtualKey::Prior }, { XK_Next, VirtualKey::Next }, { XK_KP_Next, VirtualKey::Next },
    { XK_End, VirtualKey::End }, { XK_KP_End, VirtualKey::End }, { XK_Home, VirtualKey::Home }, { XK_KP_Home, VirtualKey::Home },
    { XK_Left, VirtualKey::Left }, { XK_KP_Left, VirtualKey::Left }, { XK_Up, VirtualKey::Up }, { XK_KP_Up, VirtualKey::Up },
    { XK_Right, VirtualKey::Right }, { XK_KP_Right, VirtualKey::Right }, { XK_Down, VirtualKey::Down }, { XK_KP_Down, VirtualKey::Down },
    { XK_Select, VirtualKey::Select }, { XK_Print, VirtualKey::Snapshot }, { XK_Execute, VirtualKey::Execute }, { XK_Insert, VirtualKey::Insert }, { XK_KP_Insert, VirtualKey::Insert },
    { XK_Delete, VirtualKey::Delete }, { XK_KP_Delete, VirtualKey::Delete }, { XK_Help, VirtualKey::Help },
    { XK_Super_L, VirtualKey::LeftWindows }, { XK_Super_R, VirtualKey::RightWindows }, { XK_Menu, VirtualKey::Apps },
    { XK_KP_Multiply, VirtualKey::Multiply }, { XK_KP_Add, VirtualKey::Add }, { XK_KP_Separator, VirtualKey::Separator }, { XK_KP_Subtract, VirtualKey::Subtract },
    { XK_KP_Decimal, VirtualKey::Decimal }, { XK_KP_Divide, VirtualKey::Divide },
    { XK_Num_Lock, VirtualKey::NumLock }, { XK_Scroll_Lock, VirtualKey::Scroll },
    { XK_semicolon, VirtualKey::Oem1 }, { XK_colon, VirtualKey::Oem1 }, { XK_equal, VirtualKey::OemPlus }, { XK_plus, VirtualKey::OemPlus },
    { XK_comma, VirtualKey::OemComma }, { XK_less, VirtualKey::OemComma }, { XK_minus, VirtualKey::OemMinus }, { XK_underscore, VirtualKey::OemMinus },
    { XK_period, VirtualKey::OemPeriod }, { XK_greater, VirtualKey::OemPeriod }, { XK_slash, VirtualKey::Oem2 }, { XK_question, VirtualKey::Oem2 },
    { XK_grave, VirtualKey::Oem3 }, { XK_asciitilde, VirtualKey::Oem3 }, { XK_bracketleft, VirtualKey::Oem4 }, { XK_braceleft, VirtualKey::Oem4 },
    { XK_backslash, VirtualKey::Oem5 }, { XK_bar, VirtualKey::Oem5 }, { XK_bracketright, VirtualKey::Oem6 }, { XK_braceright, VirtualKey::Oem6 },
    { XK_apostrophe, VirtualKey::Oem7 }, { XK_quotedbl, VirtualKey::Oem7 },
};

bool is_latin_letter_or_digit(unsigned long keysym)
{
    return (keysym >= XK_a && keysym <= XK_z) || (keysym >= XK_A && keysym <= XK_Z) || (keysym >= XK_0 && keysym <= XK_9);
}

// The letter or digit a US keyboard has on an XKB keycode of the evdev kind
// (the kernel's key number plus 8), or NoSymbol.
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
    return NoSymbol;
}

}

VirtualKey virtual_key_for(unsigned long keysym, std::span<unsigned long const> level_one_keysyms_by_group, unsigned int keycode)
{
    if (!is_latin_letter_or_digit(keysym)) {
        auto const latin = std::ranges::find_if(level_one_keysyms_by_group, is_latin_letter_or_digit);
        if (latin != level_one_keysyms_by_group.end())
            keysym = *latin;
        else if (unsigned long const at_place = us_keysym_at(keycode); at_place != NoSymbol)
            keysym = at_place;
    }
    if (keysym >= XK_a && keysym <= XK_z)
        return letter_key(static_cast<char>('a' + (keysym - XK_a)));
    if (keysym >= XK_A && keysym <= XK_Z)
        return letter_key(static_cast<char>('A' + (keysym - XK_A)));
    if (keysym >= XK_0 && keysym <= XK_9)
        return digit_key(static_cast<int>(keysym - XK_0));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return numpad_key(static_cast<int>(keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return function_key(static_cast<int>(keysym - XK_F1) + 1);
    for (Entry const& entry : table) {
        if (entry.keysym == keysym)
            return entry.virtual_key;
    }
    return VirtualKey::Unknown;
}

std::optional<MouseButton> mouse_button_for(unsigned int button)
{
    switch (button) {
    case Button1:
        return MouseButton::Left;
    case Button2:
        return MouseButton::Middle;
    case Button3:
        return MouseButton::Right;
    default:
        return {};
    }
}

}
