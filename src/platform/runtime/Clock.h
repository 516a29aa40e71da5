#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct CivilDate {
    int year { 2000 };
    int month { 1 };
    int day { 1 };

    bool operator==(CivilDate const&) const = default;
};

// Days since 1 January 1970 in the proleptic Gregorian calendar, and back.
std::int64_t days_from_civil(CivilDate);
CivilDate civil_from_days(std::int64_t days);
bool is_valid_date(CivilDate);

constexpr std::int64_t milliseconds_per_day = 86'400'000;

// A reading of the wall clock: the local date and the milliseconds since its
// midnight. The platform takes it when an event happens and passes it in; the
// saver never reads a clock of its own.
class ClockReading {
public:
    ClockReading() = default;
    ClockReading(CivilDate, std::int64_t milliseconds_since_midnight);

    CivilDate date() const { return m_date; }
    std::int64_t milliseconds_since_midnight() const { return m_milliseconds; }

    // The reading the given number of milliseconds later, the date rolling over at midnight.
    ClockReading advanced_by(std::int64_t milliseconds) const;

    // Seconds since midnight as the nearest single.
    float timer() const;
    // mm-dd-yyyy
    std::string date_text() const;
    // hh:mm:ss, the seconds truncated.
    std::string time_text() const;

private:
    CivilDate m_date;
    std::int64_t m_milliseconds { 0 };
};

// Reads "mm-dd-yyyy" strictly; nothing for anything else.
std::optional<CivilDate> parse_date_text(std::string_view);

}
