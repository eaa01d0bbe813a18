#pragma once
// Checks of a shown moonrise or moonset row against the physics, shared by
// the in-process and the end-to-end tests.

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>

#include "moon_rise_set.h"
#include "test_dates.h"

// A Unix time from a civil UTC date and hour.
inline std::time_t utc_hour(int year, int month, int day, int hour)
{
    std::tm t = utc_tm(year, month, day, hour);
    return timegm(&t);
}

// "<dd Mon yyyy hh:mm>" in a row text, read in the local zone (TZ) with the
// abbreviation after it left out: the Julian date of that minute.
inline std::optional<double> shown_minute(const std::string& text)
{
    const std::size_t digits = text.find_first_of("0123456789");
    std::tm local{};
    if (digits == std::string::npos || strptime(text.c_str() + digits, "%d %b %Y %H:%M", &local) == nullptr) {
        return std::nullopt;
    }
    local.tm_isdst = -1;
    return jd_of(std::mktime(&local));
}

// The minute shown is after the clock, and in it the moon's altitude, from
// libnova, crosses the standard altitude upwards (a rise) or downwards.
inline void expect_crossing_in(const std::string& text, const observer_place& place, bool rise, double clock)
{
    SCOPED_TRACE(text);
    const std::optional<double> minute = shown_minute(text);
    ASSERT_TRUE(minute);
    EXPECT_GT(*minute + 1.0 / 1440.0, clock);
    const double at_start = moon_altitude(*minute, place) - moon_standard_altitude;
    const double at_end = moon_altitude(*minute + 1.0 / 1440.0, place) - moon_standard_altitude;
    EXPECT_EQ(at_start < 0.0, rise);
    EXPECT_EQ(at_end > 0.0, rise);
}
