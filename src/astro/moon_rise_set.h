#pragma once
// Moonrise and moonset for an observer, from libnova's lunar positions.

#include <optional>
#include <vector>

struct observer_place {
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
};

// The altitude of the moon's centre at rise and set, degrees: libnova's
// LN_LUNAR_STANDART_HORIZON, which allows for the horizontal parallax,
// refraction and the semidiameter (Meeus, Astronomical Algorithms, ch. 15).
inline constexpr double moon_standard_altitude = 0.125;

// How far ahead the search looks, days. The moon stays above (or below) the
// horizon for at most about 14 days, at the poles.
inline constexpr double rise_set_search_days = 15.0;

// The geocentric altitude of the moon's centre for the observer, degrees,
// straight from libnova (ln_get_lunar_equ_coords, ln_get_hrz_from_equ).
// jd is a Julian date in UT.
double moon_altitude(double jd, const observer_place& place);

struct rise_set_events {
    double from = 0.0;             // the search covered from..until (Julian dates)
    double until = 0.0;
    bool up_at_start = false;      // above the standard altitude at from
    std::optional<double> rise;    // the first rise after from, if within span_days
    std::optional<double> set;     // the first set after from, if within span_days
};

// The next moonrise and moonset after jd (Julian dates, UT), each to within
// a second. The altitude is sampled every 10 minutes and every crossing of the
// standard altitude is refined by bisection (Meeus, ch. 15, done by search
// rather than by his interpolation of three daily positions, so that it also
// holds at high latitudes, where the moon can stay up or down for days). A
// rise and a set less than 10 minutes apart (a graze) may be missed.
rise_set_events find_rise_set(double jd, const observer_place& place, double span_days = rise_set_search_days);

struct horizon_crossing {
    double jd = 0.0;  // Julian date, UT
    bool rise = false;
};

// Every rise and set from one Julian date to another, in order, each found
// by find_rise_set from just after the one before.
std::vector<horizon_crossing> rises_and_sets(double from, double to, const observer_place& place);
