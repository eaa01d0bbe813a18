// The phase dates of a lunation: known dates to the minute, the selector
// rules of truephase, and a sweep that checks the series against libnova's
// positions of the moon and the sun.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>

#include "calendar.h"
#include "moon_sun.h"
#include "phase_dates.h"
#include "update_cycle.h"

namespace {

constexpr double day_tolerance = 1e-9;

std::string minute_text(double jd)
{
    const civil_time c = civil_from_julian(jd);
    char out[32];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d", c.year, c.month, c.day, c.hour, c.minute);
    return out;
}

std::string exact(double v)
{
    std::ostringstream out;
    out << std::setprecision(17) << v;
    return out.str();
}

constexpr double jd_2024_01_12_0000 = 2460321.5;
constexpr double jd_2024_01_11_0600 = 2460320.75;

TEST(PhaseDates, LunationOfJanuary2024ToTheMinute)
{
    phase_table dates{};
    find_phase_dates(jd_2024_01_12_0000, dates);
    constexpr const char* expected[] = {"2024-01-11 11:58", "2024-01-18 03:53", "2024-01-25 17:54",
                                        "2024-02-02 23:20", "2024-02-09 23:00"};
    for (std::size_t i = 0; i < dates.size(); ++i) {
        SCOPED_TRACE("phase " + std::to_string(i) + " at " + exact(dates[i]));
        EXPECT_EQ(minute_text(dates[i]), expected[i]);
    }
    // k1 = 1534: the table is exactly the phases of lunation 1534 and the
    // new moon of 1535.
    EXPECT_NEAR(dates[last_new], truephase(1534, 0.0), day_tolerance);
    EXPECT_NEAR(dates[first_quarter], truephase(1534, 0.25), day_tolerance);
    EXPECT_NEAR(dates[full], truephase(1534, 0.5), day_tolerance);
    EXPECT_NEAR(dates[last_quarter], truephase(1534, 0.75), day_tolerance);
    EXPECT_NEAR(dates[next_new], truephase(1535, 0.0), day_tolerance);
}

TEST(PhaseDates, DateBetweenMeanAndTrueNewMoon)
{
    // Mean new moon 1534 falls at 04:22, the true one at 11:58: a date in
    // between is enclosed by mean new moons 1534 and 1535, so the table's
    // last new moon lies after it.
    EXPECT_EQ(minute_text(mean_new_moon(jd_2024_01_11_0600, 1534)), "2024-01-11 04:22");
    phase_table dates{};
    find_phase_dates(jd_2024_01_11_0600, dates);
    EXPECT_NEAR(dates[last_new], truephase(1534, 0.0), day_tolerance);
    EXPECT_NEAR(dates[next_new], truephase(1535, 0.0), day_tolerance);
    EXPECT_EQ(minute_text(dates[last_new]), "2024-01-11 11:58");
    EXPECT_GT(dates[last_new], jd_2024_01_11_0600);
}

TEST(PhaseDates, MeanNewMoonZeroIsJanuary1900)
{
    const double k0 = mean_new_moon(2415020.0, 0);
    EXPECT_EQ(minute_text(k0), "1900-01-01 06:13") << exact(k0);
    // One lunation count is one synodic month (plus slowly varying terms).
    EXPECT_NEAR(mean_new_moon(2415020.0, 1) - k0, synodic_month, day_tolerance);
}

// Lunation 1534 at the selector 0 and 1534 + 1/128 at any selector whose sum
// with k is the same double: the selector only shifts k, and the series
// depends on which of the four it is taken for.
constexpr double eps = 1.0 / 128.0;  // 0.0078125, inside the 0.01 window

TEST(PhaseDates, SelectorWithinWindowPicksTheSeries)
{
    // Any selector below 0.01, negative ones included, is a new moon.
    EXPECT_NEAR(truephase(1534, -eps), truephase(1534 - eps, 0.0), day_tolerance);
    EXPECT_NEAR(truephase(1534, -0.3), truephase(1533.7, 0.0), day_tolerance);
    EXPECT_NEAR(truephase(1534, eps), truephase(1534 + eps, 0.0), day_tolerance);
    // Within 0.01 of 0.5: the new-and-full series, so the same as a new moon
    // selector at that lunation count.
    EXPECT_NEAR(truephase(1534, 0.5 + eps), truephase(1534.5 + eps, 0.0), day_tolerance);
    EXPECT_NEAR(truephase(1534, 0.5 - eps), truephase(1534.5 - eps, 0.0), day_tolerance);
    // Within 0.01 of a quarter: the quarter series with that quarter's
    // adjustment.
    EXPECT_NEAR(truephase(1534, 0.25 + eps), truephase(1534 + eps, 0.25), day_tolerance);
    EXPECT_NEAR(truephase(1534, 0.75 - eps), truephase(1534 - eps, 0.75), day_tolerance);
}

TEST(PhaseDates, QuarterSeriesAndAdjustmentSign)
{
    // The same lunation count 1534.75 through four selectors.
    const double as_new = truephase(1534.75, 0.0);
    const double as_first = truephase(1534.5, 0.25);
    const double as_last = truephase(1534.0, 0.75);
    SCOPED_TRACE("new " + exact(as_new) + " first " + exact(as_first) + " last " + exact(as_last));
    // The quarter series differs from the new-and-full one by hours, not by
    // the adjustment's minutes.
    EXPECT_GT(std::fabs(as_last - as_new), 0.02);
    // First quarter adds 0.0028 - 0.0004 cos M + 0.0003 cos M', last quarter
    // subtracts it: the two lie 2 x (0.0021 .. 0.0035) days apart, first later.
    const double gap = as_first - as_last;
    EXPECT_GE(gap, 2 * 0.0021 - 1e-12) << exact(gap);
    EXPECT_LE(gap, 2 * 0.0035 + 1e-12) << exact(gap);
}

TEST(PhaseDatesDeathTest, InvalidSelectorAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(truephase(0, 0.3), "TRUEPHASE called with invalid phase selector.");
    // Just outside the windows, and a whole turn.
    for (const double phase : {0.0101, 0.239, 0.511, 0.7399, 1.0}) {
        SCOPED_TRACE(exact(phase));
        EXPECT_DEATH(truephase(1534, phase), "TRUEPHASE called with invalid phase selector.");
    }
}

// From 1900 to 2100, every 6 hours: the searched table encloses the date
// (as the update cycle's search with its retries gives it), the phases are
// in order, a lunation lasts 29.27 to 29.84 days, and at each phase date
// libnova's elongation of the moon is within 0.08 degrees (the worst is about 0.043) of the phase.
// A wrong coefficient, sign or term moves a phase by far more.
TEST(PhaseDates, SweepAgreesWithLibnova)
{
    constexpr double from = 2415020.5;  // 1900-01-01
    constexpr double to = 2488069.5;    // 2100-01-01
    constexpr double max_elongation_error_deg = 0.08;
    double checked_new_moon = 0.0;
    double worst = 0.0;
    for (double jd = from; jd < to; jd += 0.25) {
        phase_table dates{};
        search_phase_dates(jd, dates);
        ASSERT_LE(dates[last_new], jd) << exact(jd);
        ASSERT_GE(dates[next_new], jd) << exact(jd);
        for (std::size_t i = 1; i < dates.size(); ++i) {
            ASSERT_LT(dates[i - 1], dates[i]) << exact(jd);
        }
        const double length = dates[next_new] - dates[last_new];
        ASSERT_GT(length, 29.27) << exact(jd);
        ASSERT_LT(length, 29.84) << exact(jd);

        if (dates[last_new] == checked_new_moon) {
            continue;  // this lunation is done
        }
        checked_new_moon = dates[last_new];
        for (std::size_t i = 0; i < 4; ++i) {
            double illuminated = 0, moon_km = 0, moon_deg = 0, sun_km = 0, sun_deg = 0;
            const double fraction = lunar_state(dates[i], illuminated, moon_km, moon_deg, sun_km, sun_deg);
            double error = (fraction - 0.25 * static_cast<double>(i)) * 360.0;
            error -= 360.0 * std::round(error / 360.0);
            worst = std::max(worst, std::fabs(error));
            ASSERT_LT(std::fabs(error), max_elongation_error_deg)
                << "phase " << i << " of the lunation searched at " << exact(jd) << ": " << minute_text(dates[i])
                << " elongation off by " << exact(error) << " deg";
        }
    }
    RecordProperty("worst_elongation_error_deg", std::to_string(worst));
}

}  // namespace
