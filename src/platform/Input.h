#pragma once

#include <cstdint>

namespace qm {

// A key as the key handler sees it: the Windows virtual-key code the key
// sends, whatever platform it came from. Every front end translates its native
// keys into these once, through its key table. Only the keys some table
// names have a name here; letters, digits and function keys are ranges.
enum class VirtualKey : std::int16_t {
    Unknown = 0, // a key with no virtual-key code (X11 headers make None a macro); like every key that is not a command, it ends the saver
    Back = 8,
    Tab = 9,
    Clear = 12,
    Return = 13,
    Shift = 16,
    Control = 17,
    Menu = 18, // Alt
    Pause = 19,
    Capital = 20, // Caps Lock
    Escape = 27,
    Space = 32,
    Prior = 33, // Page Up
    Next = 34, // Page Down
    End = 35,
    Home = 36,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Select = 41,
    Execute = 43,
    Snapshot = 44, // Print Screen
    Insert = 45,
    Delete = 46,
    Help = 47,
    Digit0 = 48, // to Digit0 + 9
    A = 65,
    Q = 81,
    S = 83,
    Z = 90,
    LeftWindows = 91,
    RightWindows = 92,
    Apps = 93, // the context-menu key
    Numpad0 = 96, // to Numpad0 + 9
    Numpad1 = 97,
    Multiply = 106,
    Add = 107,
    Separator = 108,
    Subtract = 109,
    Decimal = 110,
    Divide = 111,
    F1 = 112, // to F1 + 23
    F2 = 113,
    F4 = 115,
    NumLock = 144,
    Scroll = 145, // Scroll Lock
    Oem1 = 186, // ; :
    OemPlus = 187,
    OemComma = 188,
    OemMinus = 189,
    OemPeriod = 190,
    Oem2 = 191, // / ?
    Oem3 = 192, // ` ~
    Oem4 = 219, // [ {
    Oem5 = 220, // \ |
    Oem6 = 221, // ] }
    Oem7 = 222, // ' "
};

// The key of a letter 'A' to 'Z' (either case).
constexpr VirtualKey letter_key(char letter)
{
    char const upper = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
    return static_cast<VirtualKey>(upper);
}

// The key of digit 0 to 9 on the main block, of keypad 0 to 9, and of function key F1 to F24.
constexpr VirtualKey digit_key(int digit) { return static_cast<VirtualKey>(static_cast<int>(VirtualKey::Digit0) + digit); }
constexpr VirtualKey numpad_key(int digit) { return static_cast<VirtualKey>(static_cast<int>(VirtualKey::Numpad0) + digit); }
constexpr VirtualKey function_key(int number) { return static_cast<VirtualKey>(static_cast<int>(VirtualKey::F1) + number - 1); }

constexpr int code_of(VirtualKey key) { return static_cast<int>(key); }

// A mouse button, numbered as the window's mouse handlers number them.
enum class MouseButton : std::int16_t {
    Left = 1,
    Right = 2,
    Middle = 4,
};

constexpr int code_of(MouseButton button) { return static_cast<int>(button); }

}
