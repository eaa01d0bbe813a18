// Civil time <-> Julian date: fixed points, the Gregorian leap rules, the
// truncated time of day, and sweeps against libc's own calendar.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <string>

#include "calendar.h"
#include "test_dates.h"

namespace {

// Well below one second (1.16e-5 day), a few ulps of a present-day date.
constexpr double day_tolerance = 1e-9;

// Julian date of the Unix epoch, 1970-01-01 00:00 UT.
constexpr double unix_epoch_jd = 2440587.5;

std::string text(const civil_time& c)
{
    std::ostringstream out;
    out << std::setfill('0') << std::setw(4) << c.year << '-' << std::setw(2) << c.month << '-' << std::setw(2)
        << c.day << ' ' << std::setw(2) << c.hour << ':' << std::setw(2) << c.minute << ':' << std::setw(2)
        << c.second;
    return out.str();
}

std::string text(const std::tm& t)
{
    return text(civil_time{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec});
}

std::string full(double v)
{
    std::ostringstream out;
    out << std::setprecision(17) << v;
    return out.str();
}

struct fixed_point {
    int year, month, day, hour, minute, second;
    double jd;
};

// Instants whose Julian dates are exact in a double; both directions hold.
constexpr fixed_point fixed_points[] = {
    {1899, 12, 31, 12, 0, 0, 2415020.0},  // the epoch of the phase series
    {1923, 1, 16, 12, 0, 0, 2423436.0},
    {1900, 1, 1, 0, 0, 0, 2415020.5},
    {1858, 11, 17, 0, 0, 0, 2400000.5},  // modified Julian date 0
    {1970, 1, 1, 0, 0, 0, 2440587.5},
    {2000, 1, 1, 12, 0, 0, 2451545.0},  // J2000.0
    {2024, 1, 15, 0, 0, 0, 2460324.5},
    {2024, 2, 29, 18, 0, 0, 2460370.25},
    {2100, 3, 1, 6, 0, 0, 2488128.75},
    {1582, 10, 15, 0, 0, 0, 2299160.5},  // Gregorian throughout, no switch
};

TEST(Calendar, FixedPointsBothWays)
{
    for (const fixed_point& p : fixed_points) {
        const std::tm t = utc_tm(p.year, p.month, p.day, p.hour, p.minute, p.second);
        SCOPED_TRACE(text(t) + " <-> " + full(p.jd));
        EXPECT_NEAR(julian_from_utc(t), p.jd, day_tolerance);
        EXPECT_EQ(text(civil_from_julian(p.jd)), text(t));
    }
}

TEST(Calendar, MidnightAndAHairBeforeIt)
{
    const double midnight = 2460324.5;  // 2024-01-15 00:00:00
    EXPECT_EQ(text(civil_from_julian(midnight)), "2024-01-15 00:00:00");
    EXPECT_EQ(text(civil_from_julian(std::nextafter(midnight, 0.0))), "2024-01-14 23:59:59");
    // The same at the end of a year and of a leap February.
    EXPECT_EQ(text(civil_from_julian(std::nextafter(2460310.5, 0.0))), "2023-12-31 23:59:59");
    EXPECT_EQ(text(civil_from_julian(std::nextafter(2460370.5, 0.0))), "2024-02-29 23:59:59");
}

struct next_day_case {
    int year, month, day;
    const char* next;
};

// Century years are leap years only when divisible by 400.
constexpr next_day_case next_days[] = {
    {2024, 2, 28, "2024-02-29 00:00:00"}, {2024, 2, 29, "2024-03-01 00:00:00"},
    {2023, 2, 28, "2023-03-01 00:00:00"}, {2100, 2, 28, "2100-03-01 00:00:00"},
    {1900, 2, 28, "1900-03-01 00:00:00"}, {2000, 2, 28, "2000-02-29 00:00:00"},
    {2000, 2, 29, "2000-03-01 00:00:00"}, {1999, 12, 31, "2000-01-01 00:00:00"},
};

TEST(Calendar, DayAfterFollowsGregorianLeapRules)
{
    for (const next_day_case& c : next_days) {
        const std::tm t = utc_tm(c.year, c.month, c.day);
        SCOPED_TRACE(text(t));
        EXPECT_EQ(text(civil_from_julian(julian_from_utc(t) + 1.0)), c.next);
    }
}

struct span_case {
    int from_year, from_month, from_day;
    int to_year, to_month, to_day;
    double days;
};

constexpr span_case spans[] = {
    {2024, 2, 28, 2024, 3, 1, 2.0}, {2023, 2, 28, 2023, 3, 1, 1.0}, {2000, 2, 28, 2000, 3, 1, 2.0},
    {2100, 2, 28, 2100, 3, 1, 1.0}, {1900, 2, 28, 1900, 3, 1, 1.0}, {2024, 1, 1, 2025, 1, 1, 366.0},
    {2100, 1, 1, 2101, 1, 1, 365.0}, {1900, 1, 1, 2000, 1, 1, 36524.0},
};

TEST(Calendar, DaysBetweenMidnights)
{
    for (const span_case& s : spans) {
        const std::tm from = utc_tm(s.from_year, s.from_month, s.from_day);
        const std::tm to = utc_tm(s.to_year, s.to_month, s.to_day);
        SCOPED_TRACE(text(from) + " .. " + text(to));
        EXPECT_NEAR(julian_from_utc(to) - julian_from_utc(from), s.days, day_tolerance);
    }
}

TEST(Calendar, TimeOfDayIsTruncatedNotRounded)
{
    EXPECT_EQ(text(civil_from_julian(julian_from_utc(utc_tm(2024, 1, 15, 0, 0, 1)))), "2024-01-15 00:00:00");
    // Every second of a day comes back as itself or as the second before,
    // never later and never further back.
    for (int s = 0; s < 86400; ++s) {
        const std::tm t = utc_tm(2024, 1, 15, s / 3600, (s / 60) % 60, s % 60);
        const civil_time c = civil_from_julian(julian_from_utc(t));
        ASSERT_EQ(c.year * 10000 + c.month * 100 + c.day, 20240115) << text(t) << " came back as " << text(c);
        const int back = (c.hour * 60 + c.minute) * 60 + c.second;
        ASSERT_TRUE(back == s || back == s - 1) << text(t) << " came back as " << text(c);
    }
}

// Every day from 1899 to 2101 at midnight and at noon, against libc's own
// Gregorian calendar: the Julian date is the Unix time in days from the
// Unix epoch's Julian date, and it converts back to the same civil instant.
TEST(Calendar, SweepOverLeapAndCenturyYearsAgreesWithLibc)
{
    const std::tm first = utc_tm(1899, 1, 1);
    const std::tm last = utc_tm(2102, 1, 1);
    std::tm copy = first;
    const std::time_t from = timegm(&copy);
    copy = last;
    const std::time_t to = timegm(&copy);
    ASSERT_LT(from, 0);  // 64-bit time_t reaches back before 1970

    for (std::time_t day = from; day < to; day += 86400) {
        for (const std::time_t offset : {std::time_t{0}, std::time_t{43200}}) {
            const std::time_t now = day + offset;
            std::tm t{};
            ASSERT_NE(gmtime_r(&now, &t), nullptr);
            const double expected = unix_epoch_jd + static_cast<double>(now) / 86400.0;
            const double jd = julian_from_utc(t);
            ASSERT_NEAR(jd, expected, day_tolerance) << text(t) << ": " << full(jd) << " vs " << full(expected);
            ASSERT_EQ(text(civil_from_julian(jd)), text(t));
        }
    }
}

// A few instants with odd times of day, again against libc.
TEST(Calendar, OddTimesOfDayAgreeWithLibc)
{
    constexpr std::time_t instants[] = {
        -2208988800 + 86399,  // 1900-01-01 23:59:59
        951782399,            // 2000-02-28 23:59:59
        951868800,            // 2000-03-01 00:00:00
        1704067199,           // 2023-12-31 23:59:59
        1705276800 + 45296,   // 2024-01-15 12:34:56
        4107542399,           // 2100-02-28 23:59:59
    };
    for (const std::time_t now : instants) {
        std::tm t{};
        ASSERT_NE(gmtime_r(&now, &t), nullptr);
        SCOPED_TRACE(text(t));
        const double jd = julian_from_utc(t);
        EXPECT_NEAR(jd, unix_epoch_jd + static_cast<double>(now) / 86400.0, day_tolerance);
        const civil_time c = civil_from_julian(jd);
        const std::int64_t back = (std::int64_t{c.hour} * 60 + c.minute) * 60 + c.second;
        const std::int64_t want = (std::int64_t{t.tm_hour} * 60 + t.tm_min) * 60 + t.tm_sec;
        EXPECT_EQ(c.year, t.tm_year + 1900);
        EXPECT_EQ(c.month, t.tm_mon + 1);
        EXPECT_EQ(c.day, t.tm_mday);
        EXPECT_TRUE(back == want || back == want - 1) << text(c);
    }
}

}  // namespace
