// The real clock jumps: back before the last new moon the age follows at
// once while the phase-date rows wait for the table to expire; forward by
// months both checks search and every row is that of the new clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "app_harness.h"
#include "app_state.h"
#include "panel_text.h"
#include "test_dates.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

void timer_run_at(std::time_t when)
{
    fixed_now = when;
    XtRemoveTimeOut(app_state.timer_id);
    XtIntervalId fired = app_state.timer_id;
    update_display(app_state.toplevel, &fired);
}

constexpr std::size_t age_row = 4;
constexpr std::size_t first_phase_row = 12;

struct phase_rows {
    std::array<std::string, 5> dates;
    std::array<std::string, 2> lunations;
    bool operator==(const phase_rows&) const = default;
};

phase_rows shown_rows()
{
    phase_rows rows;
    for (std::size_t i = 0; i < 5; ++i) {
        rows.dates[i] = app_state.value_cache[first_phase_row + i].data();
    }
    rows.lunations = {app_state.lunation_cache[0].data(), app_state.lunation_cache[1].data()};
    return rows;
}

phase_rows rows_for(double clock)
{
    phase_table dates{};
    search_phase_dates(clock, dates);
    phase_rows rows;
    for (std::size_t i = 0; i < 5; ++i) {
        rows.dates[i] = phase_date_text(dates[i]).data();
    }
    const auto number = static_cast<int>(lunation_number(dates[last_new]));
    rows.lunations = {lunation_text(number).data(), lunation_text(number + 1).data()};
    return rows;
}

std::string age_for(double clock)
{
    const moon_age age = split_age(clock - app_state.last_new_moon);
    return age_text(age.days, age.hours, age.minutes).data();
}

class ClockJumps : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_.emplace();
        clock_source = fixed_clock;
        fixed_now = start;
        start_program(server_->display_name());
        dispatch_until([] { return app_state.last_icon_name[0] != '\0'; });
    }
    static void TearDownTestSuite()
    {
        clock_source = std::time;
        server_.reset();
    }
    // 2024-01-26 00:00 UTC, a day after the full moon; the lunation began
    // with the new moon of 2024-01-11 11:58 UT.
    static constexpr std::time_t start = 1706227200;
    static std::optional<private_xvfb> server_;
};
std::optional<private_xvfb> ClockJumps::server_;

}  // namespace

TEST_F(ClockJumps, BackBeforeTheNewMoonMovesTheAgeAndKeepsThePhaseRows)
{
    timer_run_at(start);
    const phase_rows before = shown_rows();
    const double new_moon_before = app_state.last_new_moon;
    const double valid_until = app_state.table_valid_until;
    const std::string age_before = app_state.value_cache[age_row].data();
    ASSERT_EQ(before, rows_for(jd_of(start)));

    // Twenty days back: 2024-01-06, in the lunation of 2023-12-12.
    const std::time_t back = start - 20 * 86400;
    timer_run_at(back);
    const double clock = jd_of(back);
    EXPECT_LT(app_state.last_new_moon, clock);
    EXPECT_NEAR(new_moon_before - app_state.last_new_moon, 29.53, 0.6)
        << std::to_string(new_moon_before) << " then " << std::to_string(app_state.last_new_moon);
    EXPECT_EQ(std::string(app_state.value_cache[age_row].data()), age_for(clock));
    EXPECT_NE(std::string(app_state.value_cache[age_row].data()), age_before);
    EXPECT_EQ(shown_rows(), before) << "the phase-date rows changed before the table expired";
    EXPECT_EQ(app_state.table_valid_until, valid_until);

    // Once the clock passes the table's end again, the rows follow.
    const std::time_t past_end = static_cast<std::time_t>((valid_until - 2440587.5) * 86400.0) + 3600;
    timer_run_at(past_end);
    EXPECT_EQ(shown_rows(), rows_for(jd_of(past_end)));
}

TEST_F(ClockJumps, ForwardOrBackByMonthsShowsTheNewLunation)
{
    struct jump {
        const char* label;
        std::time_t seconds;
    };
    const jump jumps[] = {
        {"forward 3 months", 91 * 86400},
        {"forward 2 years", 730 * 86400},
        {"forward 40 days", 40 * 86400},
        {"back 5 years (the table stays valid)", -5 * 365 * 86400},
        {"forward 30 years", 30LL * 365 * 86400},
    };
    std::time_t now = start;
    for (const jump& j : jumps) {
        SCOPED_TRACE(j.label);
        now += j.seconds;
        const phase_rows before = shown_rows();
        timer_run_at(now);
        const double clock = jd_of(now);
        EXPECT_LE(app_state.last_new_moon, clock);
        EXPECT_EQ(std::string(app_state.value_cache[age_row].data()), age_for(clock));
        if (j.seconds > 0) {
            EXPECT_LE(clock, app_state.table_valid_until);
            EXPECT_GT(app_state.table_valid_until - app_state.last_new_moon, 29.0);
            EXPECT_EQ(shown_rows(), rows_for(clock));
        } else {
            EXPECT_EQ(shown_rows(), before);
        }
        EXPECT_LT(clock - app_state.last_new_moon, 30.0);
    }
}
