// The built program as a user meets it: its own process on a private X
// server, under twm, with its clock set by libfaketime; everything is read
// from outside, through window properties and the pixels on the server.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "e2e.h"
#include "phase_dates.h"
#include "test_dates.h"

namespace {

constexpr const char* title = "Lunaclock   by Orvane   v3.0.3";
constexpr unsigned long red = 0xFF0000;
constexpr int red_x = 41;
constexpr int red_y = 29;

// 2024 January 12, 00:00 UT: half a day after the new moon of January 11.
const std::time_t jan12 = utc_instant("2024-01-12 00:00:00");

// The moon's age in minutes at a Unix time, from the project's astronomy:
// the lunation whose new moons enclose the instant.
double expected_age_minutes(double unix_seconds)
{
    const std::time_t whole = static_cast<std::time_t>(std::floor(unix_seconds));
    const double jd = jd_of(whole) + (unix_seconds - static_cast<double>(whole)) / 86400.0;
    for (const double probe : {jd, jd - 1.5, jd + 1.5}) {
        phase_table dates{};
        find_phase_dates(probe, dates);
        if (dates[last_new] <= jd && jd < dates[next_new]) {
            return (jd - dates[last_new]) * 1440.0;
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// An icon name read back: the age it shows, truncated to its unit.
struct shown_age {
    double minutes;
    double unit;  // 1 for "%dh %dm", 60 for "%dd %dh"
};

std::optional<shown_age> parse_icon_name(const std::string& text)
{
    int a = 0;
    int b = 0;
    std::array<char, 32> again{};
    if (std::sscanf(text.c_str(), "%dd %dh", &a, &b) == 2) {
        std::snprintf(again.data(), again.size(), "%dd %dh", a, b);
        if (text == again.data() && a > 0 && b >= 0 && b < 24) {
            return shown_age{a * 1440.0 + b * 60.0, 60.0};
        }
        return std::nullopt;
    }
    if (std::sscanf(text.c_str(), "%dh %dm", &a, &b) == 2) {
        std::snprintf(again.data(), again.size(), "%dh %dm", a, b);
        if (text == again.data() && a >= 0 && a < 24 && b >= 0 && b < 60) {
            return shown_age{a * 60.0 + b, 1.0};
        }
    }
    return std::nullopt;
}

// The shown age is the truncation of an age no later than now; allow one
// minute either side of the unit's span.
void expect_age_matches(const shown_age& shown, double expected_minutes)
{
    EXPECT_NEAR(shown.minutes + shown.unit / 2.0, expected_minutes, shown.unit / 2.0 + 1.0)
        << "shown age (minutes) " << shown.minutes << ", expected " << expected_minutes;
}

std::optional<shown_age> current_age(Display* display, Window client)
{
    const std::optional<std::string> name = wm_icon_name(display, client);
    return name ? parse_icon_name(*name) : std::nullopt;
}

bool canvas_shows_red(Display* display, Window canvas)
{
    const std::optional<picture> p = read_drawable(display, canvas, 64, 64);
    return p && p->at(red_x, red_y) == red;
}

bool icon_shows_red(Display* display, Window client)
{
    const std::optional<picture> p = read_icon_pixmap(display, client);
    return p && p->at(red_x, red_y) == red;
}

// ---------------------------------------------------------------------------
// Start-up with each kind of command line.

struct startup_case {
    const char* name;
    std::vector<std::string> args;
    bool monochrome;
    bool test_clock;
};

class StartUp : public ::testing::TestWithParam<startup_case> {};

TEST_P(StartUp, TitleIconNameIconAndCanvas)
{
    const startup_case& c = GetParam();
    e2e_session session;
    Display* d = session.display();
    const std::optional<Window> client = session.launch({c.args, "UTC", jan12});
    ASSERT_TRUE(client) << "no viewable window; program output:\n" << session.program_output();

    EXPECT_EQ(wm_name(d, *client), std::optional<std::string>(title));

    // The icon name comes with the first run after realization.
    std::optional<shown_age> age;
    ASSERT_TRUE(wait_until(d, [&] { return (age = current_age(d, *client)).has_value(); }))
        << "icon name: " << wm_icon_name(d, *client).value_or("<none>");
    const double now = session.program_clock();
    const double real_age = expected_age_minutes(now);
    if (c.test_clock) {
        // One day ahead, then an hour per run: a timer run at most every
        // 150 ms, and a direct run for each event of the window's mapping.
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                             session.program().started())
                                   .count();
        const double most_hours = seconds / 0.150 + 12.0;
        EXPECT_GE(age->minutes, real_age + 1440.0 - age->unit - 1.0) << "real age " << real_age;
        EXPECT_LE(age->minutes, real_age + 1440.0 + most_hours * 60.0 + 1.0) << "real age " << real_age;
    } else {
        expect_age_matches(*age, real_age);
    }

    const std::optional<Window> canvas = find_canvas(d, *client);
    ASSERT_TRUE(canvas) << "no unique 64x64 window in the program's tree";

    if (c.monochrome) {
        std::optional<icon_and_canvas> seen;
        EXPECT_TRUE(wait_until(d, [&] {
            seen = read_icon_and_canvas(d, *client, *canvas);
            return seen && seen->icon == seen->canvas;
        })) << "canvas never matched the icon pixmap";
        ASSERT_TRUE(seen);
        EXPECT_TRUE(only_black_and_white(d, seen->icon));
        EXPECT_TRUE(only_black_and_white(d, seen->canvas));
    } else {
        EXPECT_TRUE(wait_until(d, [&] { return icon_shows_red(d, *client); }))
            << "no red point at (41, 29) in the icon pixmap";
        std::optional<icon_and_canvas> seen;
        EXPECT_TRUE(wait_until(d, [&] {
            seen = read_icon_and_canvas(d, *client, *canvas);
            return seen && seen->icon == seen->canvas && seen->canvas.at(red_x, red_y) == red;
        })) << "canvas never matched the colour icon pixmap";
    }

    EXPECT_TRUE(session.program().running());
    // Unknown letters are skipped silently, and nothing else is said either.
    EXPECT_EQ(session.program_output(), "");
}

const startup_case startup_cases[] = {
    {"NoOptions", {}, false, false},
    {"TestClock", {"-t"}, false, true},
    {"Monochrome", {"-m"}, true, false},
    {"Miles", {"-U"}, false, false},
    {"GroupedMonoTest", {"-mt"}, true, true},
    {"GroupedColourThenMono", {"-cm"}, true, false},
    {"MonoThenColour", {"-m", "-c"}, false, false},
    {"UnknownLetter", {"-x"}, false, false},
    {"UnknownInGroup", {"-mx"}, true, false},
};

INSTANTIATE_TEST_SUITE_P(Options, StartUp, ::testing::ValuesIn(startup_cases),
                         [](const ::testing::TestParamInfo<startup_case>& info) { return info.param.name; });

// A day-old moon switches the icon name to days and hours.
TEST(StartUpDayOld, IconNameInDaysAndHours)
{
    e2e_session session;
    Display* d = session.display();
    const std::optional<Window> client = session.launch({{}, "UTC", utc_instant("2024-01-20 06:00:00")});
    ASSERT_TRUE(client);
    std::optional<shown_age> age;
    ASSERT_TRUE(wait_until(d, [&] { return (age = current_age(d, *client)).has_value(); }));
    EXPECT_EQ(age->unit, 60.0) << wm_icon_name(d, *client).value_or("<none>");
    expect_age_matches(*age, expected_age_minutes(session.program_clock()));
}

// The program launched on January 12 under twm, with its client window and
// canvas found: where the iconify and toggle tests begin.
class launched_on_jan12 : public ::testing::Test {
protected:
    void SetUp() override
    {
        client = session.launch({{}, "UTC", jan12});
        ASSERT_TRUE(client);
        canvas = find_canvas(d, *client);
        ASSERT_TRUE(canvas);
    }

    e2e_session session;
    Display* d = session.display();
    std::optional<Window> client;
    std::optional<Window> canvas;
};

// ---------------------------------------------------------------------------
// The window manager iconifies and restores the window.

class Iconify : public launched_on_jan12 {};

TEST_F(Iconify, IconTurnsMonochromeAndCanvasColourReturns)
{
    ASSERT_TRUE(wait_until(d, [&] { return icon_shows_red(d, *client); }));
    const std::string id = std::to_string(*client);

    ASSERT_EQ(run_tool(session.display_name(), {"xdotool", "windowminimize", id}), 0);
    EXPECT_TRUE(wait_until(d, [&] { return wm_state(d, *client) == 3L; })) << "twm did not iconify";
    std::optional<picture> icon;
    EXPECT_TRUE(wait_until(d, [&] {
        icon = read_icon_pixmap(d, *client);
        return icon && only_black_and_white(d, *icon);
    })) << "the icon stayed in colour while iconic";

    std::optional<shown_age> age = current_age(d, *client);
    ASSERT_TRUE(age) << wm_icon_name(d, *client).value_or("<none>");
    expect_age_matches(*age, expected_age_minutes(session.program_clock()));

    ASSERT_EQ(run_tool(session.display_name(), {"xdotool", "windowmap", id}), 0);
    EXPECT_TRUE(wait_until(d, [&] { return wm_state(d, *client) == 1L; })) << "twm did not restore";
    EXPECT_TRUE(wait_until(d, [&] { return canvas_shows_red(d, *canvas); }))
        << "the canvas shows no colour after restoring";
    EXPECT_TRUE(wait_until(d, [&] { return icon_shows_red(d, *client); }))
        << "the icon stays monochrome after restoring";
    EXPECT_TRUE(session.program().running());
}

// ---------------------------------------------------------------------------
// The "Test" toggle runs the fast clock and stops it again.

class TestToggle : public launched_on_jan12 {};

TEST_F(TestToggle, FastClockRunsAndStops)
{
    const std::optional<Window> toggle = find_toggle_below(d, *canvas);
    ASSERT_TRUE(toggle) << "no window below the canvas frame";
    // The run that draws the picture also names the icon, but the two reach
    // the server in different flushes: wait for both.
    std::optional<shown_age> age;
    ASSERT_TRUE(wait_until(d, [&] {
        return canvas_shows_red(d, *canvas) && (age = current_age(d, *client)).has_value();
    })) << wm_icon_name(d, *client).value_or("<none>");
    const std::optional<picture> before = read_drawable(d, *canvas, 64, 64);
    ASSERT_TRUE(before);
    expect_age_matches(*age, expected_age_minutes(session.program_clock()));

    const auto click = [&] {
        return run_tool(session.display_name(),
                        {"xdotool", "mousemove", "--window", std::to_string(*toggle), "5", "5", "click", "1"});
    };
    ASSERT_EQ(click(), 0);
    const auto switched_on = std::chrono::steady_clock::now();

    // The next scheduled run jumps a day ahead.
    ASSERT_TRUE(wait_until(d, [&] {
        age = current_age(d, *client);
        return age && age->unit == 60.0;
    })) << "the icon name never showed a day-old age: " << wm_icon_name(d, *client).value_or("<none>");

    // Then an hour per run: watch the name for a while.
    std::string last = wm_icon_name(d, *client).value_or("");
    int changes = 0;
    const auto watch_from = std::chrono::steady_clock::now();
    wait_until(
        d,
        [&] {
            const std::string now = wm_icon_name(d, *client).value_or("");
            if (now != last) {
                ++changes;
                last = now;
            }
            return false;
        },
        3s);
    const double watched = std::chrono::duration<double>(std::chrono::steady_clock::now() - watch_from).count();
    EXPECT_GE(changes, 5) << "icon name changes in " << watched << " s";
    // The timer's 150 ms bound the rate; a few direct runs may come from the
    // window manager's events around the click.
    EXPECT_LE(changes, watched / 0.150 + 5.0) << "icon name changes in " << watched << " s";

    age = current_age(d, *client);
    ASSERT_TRUE(age) << last;
    const double real_age = expected_age_minutes(session.program_clock());
    const double since_on = std::chrono::duration<double>(std::chrono::steady_clock::now() - switched_on).count();
    EXPECT_GE(age->minutes, real_age + 1440.0 + 5.0 * 60.0 - 1.0) << "real age " << real_age;
    EXPECT_LE(age->minutes, real_age + 1440.0 + (since_on / 0.150 + 5.0) * 60.0 + 1.0) << "real age " << real_age;

    EXPECT_TRUE(wait_until(d, [&] {
        const std::optional<picture> p = read_drawable(d, *canvas, 64, 64);
        return p && *p != *before;
    })) << "the picture did not move with the fast clock";

    // Off again: the real age comes back with the toggle's own run.
    ASSERT_EQ(click(), 0);
    EXPECT_TRUE(wait_until(
        d,
        [&] {
            age = current_age(d, *client);
            return age && age->unit == 1.0;
        },
        2s))
        << "icon name after switching off: " << wm_icon_name(d, *client).value_or("<none>");
    ASSERT_TRUE(age);
    expect_age_matches(*age, expected_age_minutes(session.program_clock()));
    EXPECT_TRUE(wait_until(d, [&] { return canvas_shows_red(d, *canvas); }));
    EXPECT_TRUE(session.program().running());
}

// ---------------------------------------------------------------------------
// Losing the display ends the process.

TEST(ServerLoss, ProgramEndsWhenItsServerGoes)
{
    e2e_session session;
    const std::optional<Window> client = session.launch({{}, "UTC", jan12});
    ASSERT_TRUE(client);
    session.kill_server();
    const std::optional<int> status = session.program().wait_exit(2000ms);
    ASSERT_TRUE(status) << "still running 2 s after its X server went away";
    const std::string output = session.program_output();
    const bool io_message = output.find("XIO:  fatal IO error") != std::string::npos ||
                            output.find("XIO: fatal IO error") != std::string::npos ||
                            (output.find("X connection to") != std::string::npos &&
                             output.find("broken") != std::string::npos);
    const bool failed = !WIFEXITED(*status) || WEXITSTATUS(*status) != 0;
    EXPECT_TRUE(failed || io_message) << "status " << *status << ", output:\n" << output;
}

}  // namespace
