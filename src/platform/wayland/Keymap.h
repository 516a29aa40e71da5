#pragma once

#include <cstdint>
#include <vector>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace qm::wayland {

// The compositor's keymap and the modifier state, through xkbcommon: what
// symbol a key produces now. Key numbers are the compositor's (evdev) codes.
class Keymap {
public:
    Keymap();
    ~Keymap();

    Keymap(Keymap const&) = delete;
    Keymap& operator=(Keymap const&) = delete;

    // Reads the keymap the compositor sent and closes the descriptor. A
    // keymap that cannot be read leaves the previous one in place.
    void load(int descriptor, std::uint32_t size);
    void set_modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group);

    // The keysym the key produces with the current modifiers (NoSymbol
    // before any keymap arrived), and whether the keymap repeats the key.
    std::uint32_t keysym(std::uint32_t key) const;
    bool repeats(std::uint32_t key) const;
    // The symbol the key has at its first level in each layout of the
    // keymap, in layout order, as the key table reads a letter key on a
    // layout without Latin letters.
    std::vector<unsigned long> level_one_keysyms(std::uint32_t key) const;
    // The keymap's own number for a key: evdev codes are eight below it.
    static constexpr std::uint32_t xkb_keycode(std::uint32_t key) { return key + 8; }

private:
    xkb_context* m_context { nullptr };
    xkb_keymap* m_keymap { nullptr };
    xkb_state* m_state { nullptr };
};

}
