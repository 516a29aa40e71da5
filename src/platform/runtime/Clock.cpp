#include "platform/runtime/Clock.h"

#include <cstdio>

namespace qm {

// The conversions below are the well-known era-based civil calendar algorithms.
std::int64_t days_from_civil(CivilDate date)
{
    std::int64_t const y = date.year - (date.month <= 2 ? 1 : 0);
    std::int64_t const era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t const year_of_era = y - era * 400;
    std::int64_t const month = date.month;
    std::int64_t const day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    std::int64_t const day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

CivilDate civil_from_days(std::int64_t days)
{
    days += 719468;
    std::int64_t const era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t const day_of_era = days - era * 146097;
    std::int64_t const year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    std::int64_t const day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    std::int64_t const shifted_month = (5 * day_of_year + 2) / 153;
    int const day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
    int const month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
    int const year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
    return { year, month, day };
}

bool is_valid_date(CivilDate date)
{
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1)
        return false;
    return civil_from_days(days_from_civil(date)) == date;
}

ClockReading::ClockReading(CivilDate date, std::int64_t milliseconds_since_midnight)
    : m_date(date)
    , m_milliseconds(0)
{
    *this = advanced_by(milliseconds_since_midnight);
}

ClockReading ClockReading::advanced_by(std::int64_t milliseconds) const
{
    std::int64_t total = m_milliseconds + milliseconds;
    std::int64_t days = total / milliseconds_per_day;
    total %= milliseconds_per_day;
    if (total < 0) {
        total += milliseconds_per_day;
        --days;
    }
    ClockReading later;
    later.m_date = days == 0 ? m_date : civil_from_days(days_from_civil(m_date) + days);
    later.m_milliseconds = total;
    return later;
}

float ClockReading::timer() const { return static_cast<float>(static_cast<double>(m_milliseconds) / 1000.0); }

std::string ClockReading::date_text() const
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", m_date.month, m_date.day, m_date.year);
    return text;
}

std::string ClockReading::time_text() const
{
    auto const seconds = static_cast<int>(m_milliseconds / 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::optional<CivilDate> parse_date_text(std::string_view text)
{
    if (text.size() != 10 || text[2] != '-' || text[5] != '-')
        return std::nullopt;
    auto digits = [&](std::size_t from, std::size_t count) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    auto const month = digits(0, 2);
    auto const day = digits(3, 2);
    auto const year = digits(6, 4);
    if (!month || !day || !year)
        return std::nullopt;
    CivilDate const date { *year, *month, *day };
    if (!is_valid_date(date))
        return std::nullopt;
    return date;
}

}
