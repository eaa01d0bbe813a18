// Moonrise and moonset against the physics: at every instant found the
// moon's altitude, worked out by the tests themselves (reference_altitude),
// crosses the standard altitude, and
// between two instants found it stays on one side of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "moon_rise_set.h"
#include "rise_set_checks.h"
#include "test_dates.h"

namespace {

constexpr double one_minute = 1.0 / 1440.0;
constexpr double one_second = 1.0 / 86400.0;

struct place_case {
    const char* name;
    observer_place place;
    double utc_offset_hours;  // of the local civil day, January
    bool days_long_up_or_down;  // the moon stays up or down for more than 2 days in the month
};

// January 2025, near the major lunar standstill: the moon's declination
// reaches +-28.5 degrees, so at Tromso it stays up for days around the full
// moon of 13 January and down for days around the new moon of 29 January.
const place_case places[] = {
    {"Berlin", {52.52, 13.405}, 1.0, false},
    {"Sydney", {-33.87, 151.21}, 11.0, false},
    {"Quito", {-0.18, -78.47}, -5.0, false},
    {"Tromso", {69.65, 18.96}, 1.0, true},
};

const double month_start = jd_of(2025, 1, 1, 0, 0, 0);
const double month_end = jd_of(2025, 2, 1, 0, 0, 0);

// The month's events of a place, searched once for all the tests.
const std::vector<horizon_crossing>& events_of_month(const place_case& c, bool& up_at_start)
{
    struct searched {
        std::vector<horizon_crossing> events;
        bool up_at_start = false;
    };
    static std::map<std::string, searched> months;
    auto [it, added] = months.try_emplace(c.name);
    if (added) {
        it->second.events = rises_and_sets(month_start, month_end, c.place);
        it->second.up_at_start = find_rise_set(month_start, c.place, 0.0).up_at_start;
    }
    up_at_start = it->second.up_at_start;
    return it->second.events;
}

TEST(MoonRiseSet, AltitudeCrossesTheStandardAltitudeAtEveryEventOfAMonth)
{
    for (const place_case& c : places) {
        SCOPED_TRACE(c.name);
        bool up_at_start = false;
        const std::vector<horizon_crossing> events = events_of_month(c, up_at_start);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(up_at_start, reference_altitude(month_start, c.place) > moon_standard_altitude);

        bool up = up_at_start;
        double previous = month_start;
        double longest_quiet = 0.0;
        for (const horizon_crossing& e : events) {
            SCOPED_TRACE(std::string(e.rise ? "rise" : "set") + " at JD " + std::to_string(e.jd));
            // Rises and sets alternate: nothing was skipped between them.
            EXPECT_NE(e.rise, up);
            const double before = reference_altitude(e.jd - one_minute, c.place) - moon_standard_altitude;
            const double after = reference_altitude(e.jd + one_minute, c.place) - moon_standard_altitude;
            if (e.rise) {
                EXPECT_LT(before, 0.0);
                EXPECT_GT(after, 0.0);
            } else {
                EXPECT_GT(before, 0.0);
                EXPECT_LT(after, 0.0);
            }
            // Between two events the moon stays on its side (sampled every
            // 30 minutes, well clear of the events themselves).
            for (double t = previous + 30 * one_minute; t < e.jd - 2 * one_minute; t += 30 * one_minute) {
                const bool above = reference_altitude(t, c.place) > moon_standard_altitude;
                EXPECT_EQ(above, up) << "at JD " << t;
            }
            longest_quiet = std::max(longest_quiet, e.jd - previous);
            previous = e.jd;
            up = e.rise;
        }
        if (c.days_long_up_or_down) {
            EXPECT_GT(longest_quiet, 2.0);
        } else {
            EXPECT_LT(longest_quiet, 1.0);
        }
    }
}

// Away from the polar regions the moon rises some 50 minutes later each day,
// so one local day in a lunation has no moonrise, and no other day misses one.
TEST(MoonRiseSet, OneDayOfTheMonthHasNoMoonrise)
{
    for (const place_case& c : places) {
        if (c.days_long_up_or_down) {
            continue;
        }
        SCOPED_TRACE(c.name);
        bool up_at_start = false;
        std::vector<double> rises;
        for (const horizon_crossing& e : events_of_month(c, up_at_start)) {
            if (e.rise) {
                rises.push_back(e.jd);
            }
        }
        for (std::size_t i = 1; i < rises.size(); ++i) {
            const double gap_hours = (rises[i] - rises[i - 1]) * 24.0;
            EXPECT_GT(gap_hours, 24.0) << "after the rise at JD " << rises[i - 1];
            EXPECT_LT(gap_hours, 26.0) << "after the rise at JD " << rises[i - 1];
        }
        // Local civil days of January with no rise.
        std::vector<int> days_without;
        for (int day = 1; day <= 31; ++day) {
            const double start = jd_of(2025, 1, day, 0, 0, 0) - c.utc_offset_hours / 24.0;
            const bool has_rise = std::any_of(rises.begin(), rises.end(),
                                              [&](double r) { return r >= start && r < start + 1.0; });
            if (!has_rise && start >= month_start && start + 1.0 <= month_end) {
                days_without.push_back(day);
            }
        }
        EXPECT_GE(days_without.size(), 1u);
        EXPECT_LE(days_without.size(), 2u);
    }
}

TEST(MoonRiseSet, NothingWithinTheSpanAtTromsoWhileTheMoonStaysUp)
{
    // 13 January 2025, 12:00 UT, full moon at declination +28: the moon is
    // circumpolar at Tromso for days. Within one day there is neither event;
    // within the full span both are found, the set first.
    const observer_place tromso{69.65, 18.96};
    const double noon = jd_of(2025, 1, 13, 12, 0, 0);
    const rise_set_events day = find_rise_set(noon, tromso, 1.0);
    EXPECT_TRUE(day.up_at_start);
    EXPECT_FALSE(day.rise);
    EXPECT_FALSE(day.set);
    const rise_set_events span = find_rise_set(noon, tromso);
    ASSERT_TRUE(span.rise);
    ASSERT_TRUE(span.set);
    EXPECT_LT(*span.set, *span.rise);
    EXPECT_GT(*span.set - noon, 1.0);
}

}  // namespace
