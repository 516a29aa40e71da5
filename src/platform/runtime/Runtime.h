#pragma once

#include "platform/runtime/Clock.h"
#include "platform/runtime/Random.h"

#include <string>

namespace qm {

// The clock, calendar and random generator as the handlers see them. The
// clock reading is the one the platform passed in with the event being
// handled, so every reading within one event is the same.
class Runtime {
public:
    void set_now(ClockReading now) { m_now = now; }

    // Seconds since midnight, as a single.
    float timer() const { return m_now.timer(); }
    std::string date_text() const { return m_now.date_text(); }
    std::string time_text() const { return m_now.time_text(); }

    float rnd() { return m_random.next(); }
    void randomize(float seed)
    {
        m_last_seed = seed;
        m_random.randomize(seed);
    }

    float last_seed() const { return m_last_seed; }
    RandomGenerator const& random() const { return m_random; }

private:
    ClockReading m_now;
    RandomGenerator m_random;
    float m_last_seed { 0 };
};

}
