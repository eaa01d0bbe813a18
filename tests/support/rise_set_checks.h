#pragma once
// Checks of a shown moonrise or moonset row against the physics, shared by
// the in-process and the end-to-end tests.

#include <gtest/gtest.h>

#include <libnova/lunar.h>
#include <libnova/sidereal_time.h>

#include <cmath>
#include <ctime>
#include <optional>
#include <string>

#include "moon_rise_set.h"
#include "test_dates.h"

// The altitude of the moon's centre, degrees, worked out here rather than by
// the code under test: the moon's right ascension and declination from
// libnova, the hour angle from Greenwich mean sidereal time and the east
// longitude, and sin h = sin phi sin delta + cos phi cos delta cos H (Meeus,
// Astronomical Algorithms, eq. 13.6). A wrong sign of the longitude or a
// swapped latitude in the program's observer would show here.
inline double reference_altitude(double jd, const observer_place& place)
{
    constexpr double rad = 3.14159265358979323846 / 180.0;
    ln_equ_posn moon{};
    ln_get_lunar_equ_coords(jd, &moon);
    const double hour_angle = 15.0 * ln_get_mean_sidereal_time(jd) + place.longitude - moon.ra;
    const double phi = place.latitude * rad;
    const double delta = moon.dec * rad;
    return std::asin(std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::cos(hour_angle * rad)) /
           rad;
}

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

// The minute shown is after the clock, and in it the moon's altitude
// (reference_altitude) crosses the standard altitude upwards (a rise) or downwards.
inline void expect_crossing_in(const std::string& text, const observer_place& place, bool rise, double clock)
{
    SCOPED_TRACE(text);
    const std::optional<double> minute = shown_minute(text);
    ASSERT_TRUE(minute);
    EXPECT_GT(*minute + 1.0 / 1440.0, clock);
    const double at_start = reference_altitude(*minute, place) - moon_standard_altitude;
    const double at_end = reference_altitude(*minute + 1.0 / 1440.0, place) - moon_standard_altitude;
    EXPECT_EQ(at_start < 0.0, rise);
    EXPECT_EQ(at_end > 0.0, rise);
}
