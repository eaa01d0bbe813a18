// The built program as a user runs it, under libfaketime and TZ: with a
// location it draws the moonrise and moonset rows, without one it draws no
// such group, and a bad latitude gets one warning. What the program draws is
// read from its own requests, through xtrace: the label texts travel in
// PolyText8 requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"
#include "moon_rise_set.h"
#include "rise_set_checks.h"
#include "test_dates.h"
#include "xtrace.h"
#include "xvfb.h"

namespace {

// The text drawn just after a caption: its value label.
std::optional<std::string> value_after(const std::vector<std::string>& texts, const std::string& caption)
{
    const auto it = std::find(texts.begin(), texts.end(), caption);
    if (it == texts.end() || it + 1 == texts.end()) {
        return std::nullopt;
    }
    return *(it + 1);
}

struct row_expectation {
    const char* prefix;  // the words before the time, "" for a bare time; nullptr: no time at all
    const char* exact;   // the whole text, when it is fixed
    bool rise;           // the crossing the time marks
};

struct e2e_case {
    const char* name;
    const char* tz;
    std::time_t start;
    std::vector<std::string> args;
    std::optional<observer_place> place;  // nullopt: no rows are drawn
    row_expectation rise_row;
    row_expectation set_row;
    const char* warning;  // expected once in the output, or nullptr
};

const e2e_case cases[] = {
    {"Sydney",
     "Australia/Sydney",
     utc_hour(2025, 1, 10, 12),
     {"-xrm", "Lunaclock.latitude: -33.87", "-xrm", "Lunaclock.longitude: 151.21"},
     observer_place{-33.87, 151.21},
     {"", nullptr, true},
     {"", nullptr, false},
     nullptr},
    {"Tromso, moon up for days",
     "Europe/Oslo",
     utc_hour(2025, 1, 11, 12),
     {"-xrm", "Lunaclock.latitude: 69.65", "-xrm", "Lunaclock.longitude: 18.96"},
     observer_place{69.65, 18.96},
     {nullptr, "none within 2 days     ", true},
     {"above the horizon until ", nullptr, false},
     nullptr},
    {"no location", "Europe/Berlin", utc_hour(2025, 1, 10, 12), {}, std::nullopt, {}, {}, nullptr},
    {"bad latitude",
     "Europe/Berlin",
     utc_hour(2025, 1, 10, 12),
     {"-xrm", "Lunaclock.latitude: 91", "-xrm", "Lunaclock.longitude: 13.4"},
     std::nullopt,
     {},
     {},
     "Warning: Bad value \"91\" for resource latitude; ignored"},
};

void expect_row(const std::string& text, const row_expectation& row, const e2e_case& c)
{
    SCOPED_TRACE(text);
    if (row.exact != nullptr) {
        EXPECT_EQ(text, row.exact);
        return;
    }
    ASSERT_EQ(text.rfind(row.prefix, 0), 0u);
    expect_crossing_in(text, *c.place, row.rise, jd_of(c.start));
}

TEST(RiseSetE2e, RowsOfTheRealProgram)
{
    for (const e2e_case& c : cases) {
        SCOPED_TRACE(c.name);
        // The rows are read in the program's zone.
        const scoped_env tz("TZ", c.tz);
        private_xvfb server;
        const x_connection x(server.display_name());
        // Built piece by piece: "TZ=" + std::string(...) trips a false
        // -Wrestrict of GCC 12 in optimised builds.
        std::string zone = "TZ=";
        zone += c.tz;
        traced_program program(server.display_name(), {c.args, {zone}, c.start});
        // The last group of the left column is drawn before the phase dates.
        std::vector<std::string> texts;
        ASSERT_TRUE(wait_until(x, [&] {
            texts.clear();
            for (const traced_program::drawn_text& t : program.texts()) {
                texts.push_back(t.text);
            }
            return value_after(texts, "Next new moon:").has_value() || !program.running();
        })) << program.output();
        ASSERT_TRUE(program.running()) << program.output();

        const std::optional<std::string> rise = value_after(texts, "Moonrise:       ");
        const std::optional<std::string> set = value_after(texts, "Moonset:        ");
        if (!c.place) {
            EXPECT_FALSE(rise);
            EXPECT_FALSE(set);
            EXPECT_TRUE(value_after(texts, "Sun subtends:   "));
        } else {
            ASSERT_TRUE(rise);
            ASSERT_TRUE(set);
            expect_row(*rise, c.rise_row, c);
            expect_row(*set, c.set_row, c);
        }
        const std::string said = program.output();
        if (c.warning != nullptr) {
            const std::size_t first = said.find(c.warning);
            EXPECT_NE(first, std::string::npos) << said;
            EXPECT_EQ(said.find(c.warning, first + 1), std::string::npos) << said;
        } else {
            EXPECT_EQ(said.find("Warning"), std::string::npos) << said;
        }
    }
}

}  // namespace
