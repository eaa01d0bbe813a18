#pragma once
// Conversions between the civil (proleptic Gregorian) calendar in UT and the
// astronomical Julian date, whose days begin at noon UT.

#include <ctime>

// A civil date and time of day in UT, as civil_from_julian gives it.
struct civil_time {
    int year;    // full year, e.g. 2024
    int month;   // 1 = January .. 12 = December
    int day;     // 1 .. 31
    int hour;    // 0 .. 23
    int minute;  // 0 .. 59
    int second;  // 0 .. 59
};

// In:  utc, broken-down UTC time as gmtime() fills it; only tm_year, tm_mon,
//      tm_mday, tm_hour, tm_min and tm_sec are read.
// Out: the Julian date (UT) of that instant.
// Day number by the March-based year (Fliegel & van Flandern style), in
// signed 64-bit integers with truncating division; exact for positive years.
double julian_from_utc(const std::tm& utc);

// In:  jd, a Julian date (UT).
// Out: its civil date and time of day in UT; the time of day is truncated to
//      the second, never rounded.
civil_time civil_from_julian(double jd);
