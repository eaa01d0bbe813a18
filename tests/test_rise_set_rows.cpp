// The texts of the moonrise and moonset rows from the events found, and how
// long they hold, in a fixed time zone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "rise_set_text.h"
#include "test_dates.h"

namespace {

// 10 January 2025, 12:00 UT: 23:00 AEDT in Sydney.
const double from = jd_of(2025, 1, 10, 12, 0, 0);
constexpr double hour = 1.0 / 24.0;

struct rows_case {
    const char* name;
    bool up_at_start;
    std::optional<double> rise;  // days after from
    std::optional<double> set;
    const char* rise_text;
    const char* set_text;
    double valid_days;  // after from
};

const rows_case rows_cases[] = {
    {"both within a day", false, 7.5 * hour + 45.9 / 86400.0, 20.25 * hour,
     "11 Jan 2025 06:30 AEDT ", "11 Jan 2025 19:15 AEDT ", 7.5 * hour + 45.9 / 86400.0},
    // The shown minute is truncated, never rounded up.
    {"set first, half a second before midnight", true, 13 * hour + 30.0 / 86400.0, 59.0 / 1440.0 + 59.5 / 86400.0,
     "11 Jan 2025 12:00 AEDT ", "10 Jan 2025 23:59 AEDT ", 59.0 / 1440.0 + 59.5 / 86400.0},
    // Exactly 2 days ahead is still within 2 days.
    {"rise exactly 2 days ahead", false, 2.0, 2.5, "12 Jan 2025 23:00 AEDT ", "none within 2 days     ", 0.5},
    // Down for days: the rise row says until when; nothing else comes first.
    {"below for days", false, 3.25, 3.6, "below the horizon until 14 Jan 2025 05:00 AEDT", "none within 2 days     ",
     1.6},
    // Up for days: the set row says until when.
    {"above for days", true, 4.0, 2.75, "none within 2 days     ", "above the horizon until 13 Jan 2025 17:00 AEDT",
     2.0},
    // Sets soon, then stays down past 2 days.
    {"sets, then down for days", true, 2.5, 0.5, "none within 2 days     ", "11 Jan 2025 11:00 AEDT ", 0.5},
    // Rises soon, then stays up past 2 days.
    {"rises, then up for days", false, 0.25, 3.0, "11 Jan 2025 05:00 AEDT ", "none within 2 days     ", 0.25},
    // Nothing in the whole search: true until its end comes within 2 days.
    {"nothing found, up", true, std::nullopt, std::nullopt, "none within 2 days     ", "none within 2 days     ",
     rise_set_search_days - 2.0},
};

class rows_in_sydney : public ::testing::Test {
private:
    const scoped_env zone_{"TZ", "Australia/Sydney"};
};

TEST_F(rows_in_sydney, TextsAndHowLongTheyHold)
{
    for (const rows_case& c : rows_cases) {
        SCOPED_TRACE(c.name);
        rise_set_events events;
        events.from = from;
        events.until = from + rise_set_search_days;
        events.up_at_start = c.up_at_start;
        if (c.rise) {
            events.rise = from + *c.rise;
        }
        if (c.set) {
            events.set = from + *c.set;
        }
        const rise_set_rows rows = rise_set_rows_for(events);
        EXPECT_STREQ(rows.rise.data(), c.rise_text);
        EXPECT_STREQ(rows.set.data(), c.set_text);
        EXPECT_NEAR(rows.valid_until - from, c.valid_days, 1e-9);
    }
}

}  // namespace
