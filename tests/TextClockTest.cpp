#include "platform/runtime/Clock.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/Text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace qm {

TEST(NumberText, MatchesPrintfGeneralFormat)
{
    for (double value : { 0.0, -0.0, 0.5, 43200.0, 86399.99, 1e-5, 1.5e10, 123456789.0, -7.25, 3.4028234663852886e38 }) {
        for (int precision : { 7, 9, 17 }) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "%.*g", precision, value);
            EXPECT_EQ(format_general(value, precision), expected) << value << " at " << precision;
        }
    }
}

TEST(NumberText, SingleHasAtMostSevenSignificantDigits)
{
    EXPECT_EQ(single_text(43200.0f), "43200");
    EXPECT_EQ(single_text(0.5f), "0.5");
    EXPECT_EQ(single_text(43200.123f), "43200.12");
    EXPECT_EQ(single_text(86399.999f), "86400");
}

TEST(NumberText, ReadsBackAsADouble)
{
    EXPECT_EQ(text_to_double("43200.12"), 43200.12);
    EXPECT_EQ(text_to_double(" 12 "), 12.0);
    EXPECT_EQ(text_to_double("-1.5"), -1.5);
    EXPECT_EQ(text_to_double("+2"), 2.0);
    for (char const* bad : { "", " ", "12x", "1,5", "abc", "1e999" }) {
        try {
            text_to_double(bad);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (RuntimeError const& error) {
            EXPECT_EQ(error.code(), 13);
            EXPECT_STREQ(error.description(), "Type mismatch");
        }
    }
}

TEST(NumberText, UpperCasesOnlyAsciiLetters)
{
    EXPECT_EQ(upper_case("/s"), "/S");
    EXPECT_EQ(upper_case("/c:123 x\xe9"), "/C:123 X\xe9");
}

TEST(Clock, TextsHaveFixedFormats)
{
    ClockReading const reading({ 2000, 3, 7 }, (9 * 3600 + 5 * 60 + 3) * 1000 + 999);
    EXPECT_EQ(reading.time_text(), "09:05:03");
    EXPECT_EQ(reading.date_text(), "03-07-2000");
    EXPECT_EQ(reading.timer(), 32703.999f);
}

TEST(Clock, TheDayRollsOverAtMidnightInTheGregorianCalendar)
{
    ClockReading const last_second({ 1999, 12, 31 }, 86'399'500);
    ClockReading const next = last_second.advanced_by(500);
    EXPECT_EQ(next.date_text(), "01-01-2000");
    EXPECT_EQ(next.time_text(), "00:00:00");
    EXPECT_EQ(next.timer(), 0.0f);
    EXPECT_EQ(ClockReading({ 2000, 2, 28 }, 0).advanced_by(milliseconds_per_day).date_text(), "02-29-2000");
    EXPECT_EQ(ClockReading({ 1900, 2, 28 }, 0).advanced_by(milliseconds_per_day).date_text(), "03-01-1900");
    EXPECT_EQ(ClockReading({ 2026, 12, 7 }, 0).advanced_by(2 * milliseconds_per_day + 5).date_text(), "12-09-2026");
}

TEST(Clock, DateTextsAreParsedStrictly)
{
    EXPECT_EQ(parse_date_text("05-12-2024"), (CivilDate { 2024, 5, 12 }));
    EXPECT_EQ(parse_date_text("02-29-2024"), (CivilDate { 2024, 2, 29 }));
    for (char const* bad : { "02-29-2023", "13-01-2000", "5-12-2024", "05/12/2024", "00-10-2000", "01-01-0000", "" })
        EXPECT_FALSE(parse_date_text(bad)) << bad;
}

}
