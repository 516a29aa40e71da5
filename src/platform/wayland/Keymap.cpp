#include "platform/wayland/Keymap.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

namespace qm::wayland {

Keymap::Keymap()
    : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
}

Keymap::~Keymap()
{
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    if (m_context)
        xkb_context_unref(m_context);
}

void Keymap::load(int descriptor, std::uint32_t size)
{
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
    close(descriptor);
    xkb_keymap* keymap = nullptr;
    if (text != MAP_FAILED && m_context) {
        keymap = xkb_keymap_new_from_string(m_context, static_cast<char const*>(text), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        munmap(text, size);
    }
    if (!keymap) {
        // Keys still end the saver through the keymap it had, or as unknown keys.
        std::fprintf(stderr, "quilvenmoor: the compositor sent a keymap that cannot be read; keeping the previous one\n");
        return;
    }
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_state = xkb_state_new(keymap);
}

void Keymap::set_modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    if (m_state)
        xkb_state_update_mask(m_state, depressed, latched, locked, 0, 0, group);
}

std::uint32_t Keymap::keysym(std::uint32_t key) const
{
    return m_state ? xkb_state_key_get_one_sym(m_state, xkb_keycode(key)) : XKB_KEY_NoSymbol;
}

std::vector<unsigned long> Keymap::level_one_keysyms(std::uint32_t key) const
{
    std::vector<unsigned long> keysyms;
    if (!m_keymap)
        return keysyms;
    xkb_layout_index_t const layouts = xkb_keymap_num_layouts_for_key(m_keymap, xkb_keycode(key));
    for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
        xkb_keysym_t const* symbols = nullptr;
        int const count = xkb_keymap_key_get_syms_by_level(m_keymap, xkb_keycode(key), layout, 0, &symbols);
        keysyms.push_back(count > 0 ? symbols[0] : XKB_KEY_NoSymbol);
    }
    return keysyms;
}

bool Keymap::repeats(std::uint32_t key) const { return m_keymap && xkb_keymap_key_repeats(m_keymap, xkb_keycode(key)); }

}
