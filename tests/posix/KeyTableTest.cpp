#include "platform/posix/KeyTable.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <gtest/gtest.h>

#include <array>

namespace qm::posix {

struct Pair {
    unsigned long keysym;
    VirtualKey key;
};

TEST(KeyTable, LettersDigitsKeypadAndFunctionKeys)
{
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        EXPECT_EQ(virtual_key_for(XKB_KEY_a + (letter - 'a')), letter_key(letter)) << letter;
        EXPECT_EQ(virtual_key_for(XKB_KEY_A + (letter - 'a')), letter_key(letter)) << letter;
    }
    for (int digit = 0; digit <= 9; ++digit) {
        EXPECT_EQ(virtual_key_for(XKB_KEY_0 + digit), digit_key(digit)) << digit;
        // Keypad digits as Num Lock on makes them read.
        EXPECT_EQ(virtual_key_for(XKB_KEY_KP_0 + digit), numpad_key(digit)) << digit;
    }
    EXPECT_EQ(virtual_key_for(XKB_KEY_KP_1), VirtualKey::Numpad1);
    // The same keys with Num Lock off are the keys printed beside the digits.
    for (Pair const pair : { Pair { XKB_KEY_KP_End, VirtualKey::End }, Pair { XKB_KEY_KP_Down, VirtualKey::Down }, Pair { XKB_KEY_KP_Begin, VirtualKey::Clear },
             Pair { XKB_KEY_KP_Insert, VirtualKey::Insert }, Pair { XKB_KEY_KP_Delete, VirtualKey::Delete } })
        EXPECT_EQ(virtual_key_for(pair.keysym), pair.key) << pair.keysym;
    EXPECT_EQ(virtual_key_for(XKB_KEY_F1), VirtualKey::F1);
    EXPECT_EQ(virtual_key_for(XKB_KEY_F2), VirtualKey::F2);
    EXPECT_EQ(virtual_key_for(XKB_KEY_F4), VirtualKey::F4);
    EXPECT_EQ(virtual_key_for(XKB_KEY_F24), function_key(24));
}

TEST(KeyTable, NamedKeysAndKeysWithoutACode)
{
    // The command keys, both Enter keys, and keys whose code other keys share.
    for (Pair const pair : { Pair { XKB_KEY_space, VirtualKey::Space }, Pair { XKB_KEY_Return, VirtualKey::Return }, Pair { XKB_KEY_KP_Enter, VirtualKey::Return },
             Pair { XKB_KEY_Left, VirtualKey::Left }, Pair { XKB_KEY_Up, VirtualKey::Up }, Pair { XKB_KEY_Right, VirtualKey::Right }, Pair { XKB_KEY_Down, VirtualKey::Down },
             Pair { XKB_KEY_Escape, VirtualKey::Escape }, Pair { XKB_KEY_ISO_Left_Tab, VirtualKey::Tab }, Pair { XKB_KEY_Shift_R, VirtualKey::Shift },
             Pair { XKB_KEY_ISO_Level3_Shift, VirtualKey::Menu }, Pair { XKB_KEY_Num_Lock, VirtualKey::NumLock }, Pair { XKB_KEY_colon, VirtualKey::Oem1 } })
        EXPECT_EQ(virtual_key_for(pair.keysym), pair.key) << pair.keysym;
    // Keys Windows has no code for end the saver like any other key.
    // (XKB_KEY_NoSymbol, a Latin-1 letter, a Cyrillic one, a media key, a Unicode symbol)
    for (unsigned long keysym : { 0ul, 0xE9ul, 0x6C6ul, 0x1008FF12ul, 0x1000416ul })
        EXPECT_EQ(virtual_key_for(keysym), VirtualKey::Unknown) << keysym;
}

TEST(KeyTable, LettersOnANonLatinLayoutCountAsTheLetterOfTheFirstLatinGroup)
{
    // The A, S, Q, 1 and Escape keys of a keymap of two groups, us and ru;
    // the second array of each has the groups the other way round.
    struct Key {
        unsigned long active;
        std::array<unsigned long, 2> us_ru;
        std::array<unsigned long, 2> ru_us;
        VirtualKey expected;
    };
    Key const keys[] = {
        { XKB_KEY_Cyrillic_ef, { XKB_KEY_a, XKB_KEY_Cyrillic_ef }, { XKB_KEY_Cyrillic_ef, XKB_KEY_a }, VirtualKey::A },
        { XKB_KEY_Cyrillic_EF, { XKB_KEY_a, XKB_KEY_Cyrillic_ef }, { XKB_KEY_Cyrillic_ef, XKB_KEY_a }, VirtualKey::A },
        { XKB_KEY_Cyrillic_yeru, { XKB_KEY_s, XKB_KEY_Cyrillic_yeru }, { XKB_KEY_Cyrillic_yeru, XKB_KEY_s }, VirtualKey::S },
        { XKB_KEY_Cyrillic_shorti, { XKB_KEY_q, XKB_KEY_Cyrillic_shorti }, { XKB_KEY_Cyrillic_shorti, XKB_KEY_q }, VirtualKey::Q },
        // Shift+1 on the ru layout: the digit's key, as Windows gives it.
        { XKB_KEY_quotedbl, { XKB_KEY_1, XKB_KEY_1 }, { XKB_KEY_1, XKB_KEY_1 }, digit_key(1) },
    };
    for (Key const& key : keys) {
        EXPECT_EQ(virtual_key_for(key.active, key.us_ru), key.expected) << key.active;
        EXPECT_EQ(virtual_key_for(key.active, key.ru_us), key.expected) << key.active;
    }
    // Without the groups, a Cyrillic letter has no code: the rule needs them.
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ef), VirtualKey::Unknown);

    // A Latin letter or digit that is active wins over the groups (a layout
    // that moves letters, such as a French one, keeps its own letters).
    std::array<unsigned long, 2> const azerty_a_key { XKB_KEY_q, XKB_KEY_a };
    EXPECT_EQ(virtual_key_for(XKB_KEY_q, azerty_a_key), VirtualKey::Q);
    // Keys without a Latin letter in any group keep their own symbol: the
    // keypad with Num Lock on and off, Escape, and a Cyrillic-only key.
    std::array<unsigned long, 2> const keypad_one { XKB_KEY_KP_End, XKB_KEY_KP_End };
    EXPECT_EQ(virtual_key_for(XKB_KEY_KP_1, keypad_one), VirtualKey::Numpad1);
    EXPECT_EQ(virtual_key_for(XKB_KEY_KP_End, keypad_one), VirtualKey::End);
    std::array<unsigned long, 2> const escape { XKB_KEY_Escape, XKB_KEY_Escape };
    EXPECT_EQ(virtual_key_for(XKB_KEY_Escape, escape), VirtualKey::Escape);
    std::array<unsigned long, 1> const ru_only { XKB_KEY_Cyrillic_ef };
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ef, ru_only), VirtualKey::Unknown);
}

TEST(KeyTable, WithoutALatinGroupALetterKeyCountsAsTheUSLetterAtItsPlace)
{
    // XKB keycodes of the evdev kind: the kernel's key number plus 8.
    constexpr unsigned int key_1 = 10, key_0 = 19, key_q = 24, key_p = 33, key_a = 38, key_l = 46, key_z = 52, key_m = 58;
    std::array<unsigned long, 1> const ru_only { XKB_KEY_Cyrillic_ef };
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ef, ru_only, key_a), VirtualKey::A);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_shorti, {}, key_q), VirtualKey::Q);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ze, {}, key_p), letter_key('P'));
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_de, {}, key_l), letter_key('L'));
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ya, {}, key_z), VirtualKey::Z);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_softsign, {}, key_m), letter_key('M'));
    EXPECT_EQ(virtual_key_for(XKB_KEY_exclam, {}, key_1), digit_key(1));
    EXPECT_EQ(virtual_key_for(XKB_KEY_parenright, {}, key_0), digit_key(0));

    // A Latin group still comes before the place (a layout that moves
    // letters keeps them), and so does an active Latin letter.
    std::array<unsigned long, 2> const ru_azerty { XKB_KEY_Cyrillic_ef, XKB_KEY_q };
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ef, ru_azerty, key_a), VirtualKey::Q);
    EXPECT_EQ(virtual_key_for(XKB_KEY_w, {}, key_z), letter_key('W'));
    // Keys beside the rows and outside the main block have no letter there.
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_ha, {}, key_p + 1), VirtualKey::Unknown);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_zhe, {}, key_l + 1), VirtualKey::Unknown);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_be, {}, key_m + 1), VirtualKey::Unknown);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Cyrillic_io, {}, key_1 - 2), VirtualKey::Unknown);
    EXPECT_EQ(virtual_key_for(XKB_KEY_Escape, {}, 9), VirtualKey::Escape);
}

}
