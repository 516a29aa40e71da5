#pragma once

#include <cstdint>

namespace qm {

// The platform's random generator, bit for bit: a 24-bit linear congruential
// state, so that equal seeds give equal courses and placements everywhere.
class RandomGenerator {
public:
    static constexpr std::uint32_t initial_state = 0x50000;

    // The next value, uniform in [0, 1) with 24 bits.
    float next();

    // Mixes the seed's upper 32 bits into the middle 16 bits of the state.
    void randomize(double seed);

    std::uint32_t state() const { return m_state & 0xFFFFFF; }

private:
    std::uint32_t m_state { initial_state };
};

}
