#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace qm::wayland {

// The outputs in the order the compositor announced them. The logo plays
// on the first; every other output gets a black cover. When the playing
// output goes, the play area moves to the first that remains.
class OutputOrder {
public:
    // `name` is the output's global name in the registry.
    void add(std::uint32_t name);
    // Returns whether the output that holds the logo changed.
    bool remove(std::uint32_t name);

    std::optional<std::uint32_t> playing() const;
    bool plays(std::uint32_t name) const { return playing() == name; }
    bool empty() const { return m_names.empty(); }

private:
    std::vector<std::uint32_t> m_names;
};

}
