#pragma once
// True times of the phases of a lunation: the lunar-phase series of Meeus,
// Astronomical Formulae for Calculators, with epoch 1900 January 0.5.
// All dates are Julian dates in UT; no delta-T is applied.

#include <array>

// The mean length of the synodic month, days.
inline constexpr double synodic_month = 29.53058868;

// Indices of a phase_table.
enum phase_index { last_new = 0, first_quarter = 1, full = 2, last_quarter = 3, next_new = 4 };

// Five Julian dates (UT): last new moon, first quarter, full moon, last quarter,
// next new moon.
using phase_table = std::array<double, 5>;

// In:  date, Julian date (UT) at which the slowly varying terms are taken;
//      k, lunation count (whole number; 0 = mean new moon of 1900 Jan 1).
// Out: Julian date of mean new moon k.   Meeus (AFC), ch. 32.
double mean_new_moon(double date, double k);

// In:  k, lunation count (whole number); phase, 0 new, 0.25 first quarter,
//      0.5 full, 0.75 last quarter.
// Out: Julian date (UT) of that true phase of lunation k.   Meeus (AFC), ch. 32.
// Any other selector is a programming error: a message on stderr and abort().
double truephase(double k, double phase);

// In:  jd, Julian date (UT).
// Out: phase_dates, the phases of the lunation whose two mean new moons
//      enclose jd.  The true new moons may lie up to ~14 h from the mean ones,
//      so phase_dates[0] can fall after jd or phase_dates[4] at or before it;
//      the caller retries at jd -/+ 1.5 days.
void find_phase_dates(double jd, phase_table& phase_dates);
