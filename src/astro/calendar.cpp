#include "calendar.h"

#include <cmath>
#include <cstdint>

double julian_from_utc(const std::tm& utc)
{
    std::int64_t year = std::int64_t{utc.tm_year} + 1900;
    std::int64_t month = std::int64_t{utc.tm_mon} + 1;
    // Start the year in March so that the leap day is the year's last day.
    if (month > 2) {
        month -= 3;
    } else {
        month += 9;
        year -= 1;
    }
    const std::int64_t century = year / 100;
    const std::int64_t year_in_century = year - 100 * century;
    const std::int64_t day_number = (146097 * century) / 4 + (1461 * year_in_century) / 4 +
                                    (153 * month + 2) / 5 + utc.tm_mday + 1721119;
    const int seconds = (utc.tm_hour * 60 + utc.tm_min) * 60 + utc.tm_sec;
    return (static_cast<double>(day_number) - 0.5) + seconds / 86400.0;
}

civil_time civil_from_julian(double jd)
{
    // Day number counted from midnight, then centuries, years within the
    // century and days within the March-based year, all by floor division.
    const double j = jd + 0.5;
    const double z = std::floor(j);
    const double a = 4.0 * (z - 1721119.0);
    const double b = std::floor((a - 1.0) / 146097.0);
    const double r = std::floor((a - (146097.0 * b + 1.0)) / 4.0);
    const double d = 4.0 * r + 3.0;
    const double yc = std::floor(d / 1461.0);
    const double e = std::floor((d - 1461.0 * yc + 4.0) / 4.0);
    const double m = std::floor((5.0 * e - 3.0) / 153.0);
    const double day = std::floor((5.0 * e - (153.0 * m + 3.0) + 5.0) / 5.0);
    double year = 100.0 * b + yc;
    double month = 0.0;
    if (m < 10.0) {
        month = m + 3.0;
    } else {
        month = m - 9.0;
        year += 1.0;
    }

    const auto t = static_cast<std::int64_t>((j - z) * 86400.0);
    civil_time out{};
    out.year = static_cast<int>(year);
    out.month = static_cast<int>(month);
    out.day = static_cast<int>(day);
    out.hour = static_cast<int>(t / 3600);
    out.minute = static_cast<int>((t / 60) % 60);
    out.second = static_cast<int>(t % 60);
    return out;
}
