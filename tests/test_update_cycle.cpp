// The update cycle in-process on a private X server, with a clock the test
// sets. Each run is seen through the clock it reads, and each timeout it
// arms through the toolkit calls, which this binary is linked to see
// (--wrap of XtAppAddTimeOut and XtRemoveTimeOut): so the intervals are read
// exactly, and whether a run happens is seen by dispatching, never by timing.
#include <gtest/gtest.h>

#include <X11/Intrinsic.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <iomanip>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "phase_dates.h"
#include "test_dates.h"
#include "update_cycle.h"
#include "xvfb.h"

using namespace std::chrono_literals;

// ---- what the cycle asks of the clock and of the toolkit ----

namespace {

std::time_t fake_now = 0;
int clock_reads = 0;
std::vector<double> test_jd_at_read;  // app_state.test_jd as each run began

std::time_t fake_clock(std::time_t* out)
{
    ++clock_reads;
    test_jd_at_read.push_back(app_state.test_jd);
    if (out != nullptr) {
        *out = fake_now;
    }
    return fake_now;
}

std::vector<unsigned long> intervals;  // of every timeout the cycle armed
std::set<XtIntervalId> pending;        // the cycle's timeouts not yet spent
int stale_removals = 0;                // removals of a timeout already spent
std::vector<XtIntervalId> removed;     // every removal, in order

}  // namespace

extern "C" {
XtIntervalId __real_XtAppAddTimeOut(XtAppContext, unsigned long, XtTimerCallbackProc, XtPointer);
void __real_XtRemoveTimeOut(XtIntervalId);

static void fired(XtPointer client_data, XtIntervalId* id)
{
    pending.erase(*id);
    update_display(client_data, id);
}

XtIntervalId __wrap_XtAppAddTimeOut(XtAppContext app, unsigned long interval, XtTimerCallbackProc proc,
                                    XtPointer client_data)
{
    if (proc != update_display) {
        return __real_XtAppAddTimeOut(app, interval, proc, client_data);
    }
    intervals.push_back(interval);
    const XtIntervalId id = __real_XtAppAddTimeOut(app, interval, fired, client_data);
    pending.insert(id);
    return id;
}

void __wrap_XtRemoveTimeOut(XtIntervalId id)
{
    removed.push_back(id);
    if (pending.erase(id) == 0) {
        ++stale_removals;
    }
    __real_XtRemoveTimeOut(id);
}
}

namespace {

constexpr std::time_t t_2024_01_15_1200 = 1705320000;
constexpr std::time_t t_2024_01_11_0600 = 1704952800;  // after the mean new moon, before the true one
constexpr std::time_t t_2024_06_06_1600 = 1717689600;  // after the true new moon, before the mean one
constexpr std::time_t t_2024_01_05_0000 = 1704412800;

constexpr double day_tolerance = 1e-9;

std::string exact(double v)
{
    std::ostringstream out;
    out << std::setprecision(17) << v;
    return out.str();
}

phase_table searched(double clock)
{
    phase_table dates{};
    search_phase_dates(clock, dates);
    return dates;
}

void direct_run() { update_display(app_state.toplevel, nullptr); }

// Dispatches until the next run of the cycle, of any origin.
bool next_run(std::chrono::milliseconds timeout = 3000ms)
{
    const int reads = clock_reads;
    return dispatch_until([&] { return clock_reads > reads; }, timeout);
}

std::string text(const text_slot& slot) { return slot.data(); }

// Exactly one timeout of the cycle is pending, and timer_id names it.
void expect_one_pending()
{
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(*pending.begin(), app_state.timer_id);
    EXPECT_NE(app_state.timer_id, XtIntervalId{0});
    EXPECT_EQ(stale_removals, 0);
}

// What the start-up run left, taken before anything is dispatched.
struct start_up_record {
    int clock_reads;
    std::vector<unsigned long> intervals;
    std::size_t pending;
    XtIntervalId timer_id;
    std::string icon_name;
    std::string last_icon_name;
    std::vector<std::string> panel;  // value_cache by row
    std::vector<std::string> lunations;
    double test_jd;
    double last_new_moon;
    double table_valid_until;
};

start_up_record record_start_up()
{
    start_up_record r{};
    r.clock_reads = clock_reads;
    r.intervals = intervals;
    r.pending = pending.size();
    r.timer_id = app_state.timer_id;
    r.icon_name = app_state.icon_name.data();
    r.last_icon_name = app_state.last_icon_name.data();
    for (const text_slot& slot : app_state.value_cache) {
        r.panel.push_back(text(slot));
    }
    for (const text_slot& slot : app_state.lunation_cache) {
        r.lunations.push_back(text(slot));
    }
    r.test_jd = app_state.test_jd;
    r.last_new_moon = app_state.last_new_moon;
    r.table_valid_until = app_state.table_valid_until;
    return r;
}

void reset_observations()
{
    clock_reads = 0;
    test_jd_at_read.clear();
    intervals.clear();
    pending.clear();
    stale_removals = 0;
    removed.clear();
}

// Rows of the panel that every run writes (3 and 8 are spacers), the five
// phase-date rows, and the age row.
constexpr int clock_rows[] = {0, 1, 2, 4, 5, 6, 7, 9, 10};
constexpr int phase_date_rows[] = {12, 13, 14, 15, 16};
constexpr int age_row = 4;
constexpr int local_time_row = 2;

void expect_start_up_run(const start_up_record& r, double clock, bool test_mode)
{
    EXPECT_EQ(r.clock_reads, 1);
    // Before realization: no picture, so no icon name yet.
    EXPECT_EQ(r.icon_name, "");
    EXPECT_EQ(r.last_icon_name, "");
    // The panel is filled, the phase-date rows and lunation labels included.
    for (const int row : clock_rows) {
        if (row == local_time_row && test_mode) {
            // Not written in test mode: it keeps its (empty) text.
            EXPECT_EQ(r.panel[static_cast<std::size_t>(row)], "");
        } else {
            EXPECT_NE(r.panel[static_cast<std::size_t>(row)], "") << "row " << row;
        }
    }
    for (const int row : phase_date_rows) {
        EXPECT_NE(r.panel[static_cast<std::size_t>(row)], "") << "row " << row;
    }
    EXPECT_NE(r.lunations[0], "");
    EXPECT_NE(r.lunations[1], "");
    // Both phase-date checks searched.
    const phase_table dates = searched(clock);
    EXPECT_NEAR(r.last_new_moon, dates[last_new], day_tolerance);
    EXPECT_NEAR(r.table_valid_until, dates[next_new], day_tolerance);
    EXPECT_LE(r.last_new_moon, clock);
    EXPECT_GT(r.table_valid_until, clock);
    // One timeout pending.
    EXPECT_EQ(r.pending, 1u);
    EXPECT_NE(r.timer_id, XtIntervalId{0});
}

// One private server and one start-up per suite, on the test-set clock at
// 2024-01-15 12:00 UTC; what the start-up run left.
start_up_record start_on_fake_clock(std::unique_ptr<private_xvfb>& server, const std::vector<std::string>& args)
{
    server = std::make_unique<private_xvfb>();
    clock_source = fake_clock;
    fake_now = t_2024_01_15_1200;
    reset_observations();
    start_program(server->display_name(), args);
    return record_start_up();
}

// ---- the program started without options ----

class UpdateCycle : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        start_up_ = start_on_fake_clock(server_, {});
        // Let the mapping, the first exposures and their runs pass.
        dispatch_for(500ms);
    }
    static void TearDownTestSuite() { clock_source = std::time; }

    // Each test starts shown, on the real (test-set) clock, with the table
    // of that clock's lunation, and with the 1000 ms cadence in force.
    void SetUp() override
    {
        fake_now = t_2024_01_15_1200;
        app_state.test_mode = 0;
        app_state.iconic = 0;
        app_state.table_valid_until = 0.0;
        direct_run();
        ASSERT_TRUE(next_run(1000ms));
        ASSERT_EQ(intervals.back(), 1000u);
        expect_one_pending();
    }

    static std::unique_ptr<private_xvfb> server_;
    static start_up_record start_up_;
};

std::unique_ptr<private_xvfb> UpdateCycle::server_;
start_up_record UpdateCycle::start_up_;

TEST_F(UpdateCycle, StartUpRunFillsPanelBeforeRealizationAndArmsTenMs)
{
    expect_start_up_run(start_up_, jd_of(t_2024_01_15_1200), false);
    EXPECT_EQ(start_up_.intervals, std::vector<unsigned long>{10});
    EXPECT_EQ(start_up_.test_jd, 0.0);
    // Realized and dispatched, the runs give the icon its name.
    EXPECT_NE(std::string(app_state.last_icon_name.data()), "");
}

TEST_F(UpdateCycle, DirectRunThenTenMsThenEverySecond)
{
    const XtIntervalId before = app_state.timer_id;
    const std::size_t removals = removed.size();
    direct_run();
    EXPECT_EQ(intervals.back(), 10u);
    // The pending one was replaced (the toolkit may hand out its id again).
    ASSERT_EQ(removed.size(), removals + 1);
    EXPECT_EQ(removed.back(), before);
    expect_one_pending();

    ASSERT_TRUE(next_run(1000ms));  // the 10 ms timeout
    EXPECT_EQ(intervals.back(), 1000u);
    EXPECT_EQ(removed.size(), removals + 1) << "a timer run removes nothing: its timeout is spent";
    expect_one_pending();

    const int reads = clock_reads;
    dispatch_for(300ms);
    EXPECT_EQ(clock_reads, reads) << "a run came well before the 1000 ms timeout";
    ASSERT_TRUE(next_run(3000ms));
    EXPECT_EQ(intervals.back(), 1000u);
    expect_one_pending();
}

TEST_F(UpdateCycle, IconicRunsEveryTwoMinutesAndLeaveThePanel)
{
    app_state.iconic = 1;
    const std::vector<std::string> panel = record_start_up().panel;
    const std::string icon_before = app_state.icon_name.data();
    fake_now += 86400 + 3600;  // a day and an hour on: the age changes

    ASSERT_TRUE(next_run(3000ms));  // the 1000 ms timeout armed before
    EXPECT_EQ(intervals.back(), 120000u);
    expect_one_pending();
    EXPECT_NE(std::string(app_state.icon_name.data()), icon_before) << "the icon follows the clock";
    EXPECT_EQ(record_start_up().panel, panel) << "the panel is left alone while iconic";

    // A direct run while iconic still comes back after 10 ms, and that
    // timer run returns to the two-minute cadence.
    direct_run();
    EXPECT_EQ(intervals.back(), 10u);
    expect_one_pending();
    ASSERT_TRUE(next_run(1000ms));
    EXPECT_EQ(intervals.back(), 120000u);
    expect_one_pending();
    const int reads = clock_reads;
    dispatch_for(300ms);
    EXPECT_EQ(clock_reads, reads);
    EXPECT_EQ(record_start_up().panel, panel);

    // Shown again: the direct run that follows the mapping catches up.
    app_state.iconic = 0;
    direct_run();
    EXPECT_NE(text(app_state.value_cache[0]), panel[0]);
    EXPECT_NE(text(app_state.value_cache[age_row]), panel[age_row]);
    EXPECT_EQ(intervals.back(), 10u);
    expect_one_pending();
}

TEST_F(UpdateCycle, TestClockStartsADayAheadAndGainsExactlyAnHourPerRun)
{
    const double real = jd_of(fake_now);
    // As the toggle switches test mode on: the next run starts the clock.
    app_state.test_mode = 1;
    app_state.test_jd = 0.0;
    const std::size_t first_read = test_jd_at_read.size();

    direct_run();
    // Exactly, not nearly: the test clock must not drift from real + 1.
    EXPECT_EQ(app_state.test_jd, real + 1.0) << exact(app_state.test_jd) << " vs " << exact(real + 1.0);
    EXPECT_EQ(intervals.back(), 150u);
    expect_one_pending();

    ASSERT_TRUE(next_run(1000ms));  // timer run
    EXPECT_EQ(intervals.back(), 150u);
    direct_run();  // direct runs advance it as well
    EXPECT_EQ(intervals.back(), 150u);
    app_state.iconic = 1;
    ASSERT_TRUE(next_run(1000ms));
    EXPECT_EQ(intervals.back(), 150u) << "test mode keeps 150 ms while iconic";
    app_state.iconic = 0;
    ASSERT_TRUE(next_run(1000ms));
    expect_one_pending();

    // Every run since the first added the double 1/24 to the previous value.
    std::vector<double> seen(test_jd_at_read.begin() + static_cast<long>(first_read), test_jd_at_read.end());
    seen.push_back(app_state.test_jd);
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(seen[0], 0.0);
    EXPECT_EQ(seen[1], real + 1.0);
    for (std::size_t i = 2; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], seen[i - 1] + 1.0 / 24.0) << "run " << i << ": " << exact(seen[i]) << " after "
                                                      << exact(seen[i - 1]);
    }

    // Leaving test mode as the toggle does: the real clock at once, the
    // table recomputed from it, and 10 ms to the next run.
    app_state.test_mode = 0;
    app_state.table_valid_until = 0.0;
    direct_run();
    EXPECT_EQ(intervals.back(), 10u);
    const phase_table dates = searched(real);
    EXPECT_NEAR(app_state.table_valid_until, dates[next_new], day_tolerance);
    expect_one_pending();
}

struct retry_case {
    const char* name;
    std::time_t now;
    double last_k;  // lunation whose true new moon is the last one
};

// Between a mean new moon and its true one the single search gives the
// wrong lunation; the retries at -1.5 and +1.5 days put it right.
constexpr retry_case retry_cases[] = {
    {"2024-01-11 06:00, true new moon at 11:58 still ahead", t_2024_01_11_0600, 1533},
    {"2024-06-06 16:00, true new moon at 12:40 just passed", t_2024_06_06_1600, 1539},
};

TEST_F(UpdateCycle, SearchRetriesAroundTheTrueNewMoon)
{
    for (const retry_case& c : retry_cases) {
        SCOPED_TRACE(c.name);
        const double clock = jd_of(c.now);
        phase_table once{};
        find_phase_dates(clock, once);
        ASSERT_TRUE(once[last_new] > clock || clock > once[next_new]) << "the case needs no retry";

        fake_now = c.now;
        app_state.last_new_moon = 0.0;
        app_state.table_valid_until = 0.0;
        direct_run();
        EXPECT_LE(app_state.last_new_moon, clock);
        EXPECT_GT(app_state.table_valid_until, clock);
        EXPECT_NEAR(app_state.last_new_moon, truephase(c.last_k, 0.0), day_tolerance)
            << exact(app_state.last_new_moon);
        EXPECT_NEAR(app_state.table_valid_until, truephase(c.last_k + 1, 0.0), day_tolerance)
            << exact(app_state.table_valid_until);
        expect_one_pending();
    }
}

TEST_F(UpdateCycle, ClockSetBackSearchesAgainButKeepsThePhaseRows)
{
    const double valid_until = app_state.table_valid_until;
    const double last_new = app_state.last_new_moon;
    const std::vector<std::string> panel = record_start_up().panel;
    const std::vector<std::string> lunations = record_start_up().lunations;

    fake_now = t_2024_01_05_0000;  // before the new moon of 2024-01-11
    const double clock = jd_of(fake_now);
    ASSERT_LT(clock, last_new);
    direct_run();

    // The first check searched: the age follows at once.
    EXPECT_NEAR(app_state.last_new_moon, truephase(1533, 0.0), day_tolerance) << exact(app_state.last_new_moon);
    EXPECT_LE(app_state.last_new_moon, clock);
    EXPECT_NE(text(app_state.value_cache[age_row]), panel[age_row]);
    // The second check is keyed to table_valid_until alone.
    EXPECT_EQ(app_state.table_valid_until, valid_until);
    for (const int row : phase_date_rows) {
        EXPECT_EQ(text(app_state.value_cache[static_cast<std::size_t>(row)]), panel[static_cast<std::size_t>(row)])
            << "row " << row;
    }
    EXPECT_EQ(record_start_up().lunations, lunations);
}

// ---- the program started with -t ----
// ctest runs this suite in a process of its own (see core.cmake): a second
// start-up in one process leaves Motif's first font list unreachable.

class UpdateCycleTestOption : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        start_up_ = start_on_fake_clock(server_, {"-t"});
    }
    static void TearDownTestSuite() { clock_source = std::time; }

    static std::unique_ptr<private_xvfb> server_;
    static start_up_record start_up_;
};

std::unique_ptr<private_xvfb> UpdateCycleTestOption::server_;
start_up_record UpdateCycleTestOption::start_up_;

TEST_F(UpdateCycleTestOption, FirstRunIsOnTheTestClockAndArms150Ms)
{
    const double clock = jd_of(t_2024_01_15_1200) + 1.0;
    EXPECT_EQ(start_up_.test_jd, clock) << exact(start_up_.test_jd) << " vs " << exact(clock);
    expect_start_up_run(start_up_, clock, true);
    EXPECT_EQ(start_up_.intervals, std::vector<unsigned long>{150});

    ASSERT_TRUE(next_run(1000ms));
    EXPECT_EQ(app_state.test_jd, clock + 1.0 / 24.0) << exact(app_state.test_jd);
    EXPECT_EQ(intervals.back(), 150u);
    expect_one_pending();
}

// ---- the age split ----

struct age_case {
    double age;  // days
    int days, hours, minutes;
};

constexpr age_case age_cases[] = {
    {0.0, 0, 0, 0},
    {1.5, 1, 12, 0},
    {0.75, 0, 18, 0},
    {29.5, 29, 12, 0},
    {3.0 + 1.0 / 24.0 + 1.5 / 1440.0, 3, 1, 1},
    // A hair short of a whole hour shows the hour below and 59 minutes.
    {0.25 - 1e-12, 0, 5, 59},
    {1.0 - 1e-12, 0, 23, 59},
    {2.5 - 1e-10, 2, 11, 59},
};

TEST(SplitAge, DaysHoursMinutes)
{
    for (const age_case& c : age_cases) {
        SCOPED_TRACE("age " + exact(c.age));
        const moon_age a = split_age(c.age);
        EXPECT_EQ(a.days, c.days);
        EXPECT_EQ(a.hours, c.hours);
        EXPECT_EQ(a.minutes, c.minutes);
    }
}

}  // namespace
