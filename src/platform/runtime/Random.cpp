#include "platform/runtime/Random.h"

#include <cstring>

namespace qm {

float RandomGenerator::next()
{
    m_state = (m_state * 1140671485u + 12820163u) & 0xFFFFFFu;
    return static_cast<float>(m_state) / 16777216.0f;
}

void RandomGenerator::randomize(double seed)
{
    std::uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    auto const high = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
    // An arithmetic shift, written so that it is one whatever the compiler.
    std::int32_t const shifted = high >= 0 ? high >> 16 : ~(~high >> 16);
    std::uint32_t const mixed = static_cast<std::uint32_t>((high & 0xFFFF) ^ shifted) << 8;
    m_state = (m_state & 0xFF0000FFu) | mixed;
}

}
