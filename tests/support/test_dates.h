#pragma once
// Instants for test tables, written as civil UTC dates.

#include <ctime>

#include "calendar.h"

// Broken-down UTC time as gmtime() would give it for that instant.
inline std::tm utc_tm(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// Julian date (UT) of a Unix time, as the program's clock reading gives it.
inline double jd_of(std::time_t t)
{
    std::tm utc{};
    gmtime_r(&t, &utc);
    return julian_from_utc(utc);
}

// Julian date (UT) of a UTC instant, with a fraction of a second added.
inline double jd_of(int year, int month, int day, int hour, int minute, int second, double extra_seconds = 0.0)
{
    return julian_from_utc(utc_tm(year, month, day, hour, minute, second)) + extra_seconds / 86400.0;
}
