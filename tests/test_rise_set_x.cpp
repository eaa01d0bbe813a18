// The moonrise and moonset group on a private X server: built only for a
// location, below the sun's group; rows that the physics agrees with; and a
// search only when the shown texts stop holding.
#include <gtest/gtest.h>

#include <Xm/Xm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "moon_rise_set.h"
#include "rise_set_checks.h"
#include "rise_set_panel.h"
#include "settings.h"
#include "test_dates.h"
#include "update_cycle.h"
#include "xvfb.h"

// Searches are counted at the boundary of the astronomy core (linked with
// --wrap of find_rise_set's symbol), so that the test sees each one.
int searches = 0;
extern "C" rise_set_events __real__Z13find_rise_setdRK14observer_placed(double jd, const observer_place& place,
                                                                       double span);
extern "C" rise_set_events __wrap__Z13find_rise_setdRK14observer_placed(double jd, const observer_place& place,
                                                                       double span)
{
    ++searches;
    return __real__Z13find_rise_setdRK14observer_placed(jd, place, span);
}

namespace {

// A Unix time from a Julian date, to the second.
std::time_t unix_of(double jd) { return static_cast<std::time_t>(std::llround((jd - 2440587.5) * 86400.0)); }

const observer_place sydney{-33.87, 151.21};
const observer_place tromso{69.65, 18.96};

std::vector<std::string> place_args(const observer_place& p)
{
    return {"-xrm", "Lunaclock.latitude: " + std::to_string(p.latitude), "-xrm",
            "Lunaclock.longitude: " + std::to_string(p.longitude)};
}

class RiseSetX : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<private_xvfb>(); }
    static void TearDownTestSuite() { server.reset(); }
    void start(const char* tz, std::time_t now, const std::vector<std::string>& args)
    {
        zone_.emplace("TZ", tz);
        fixed_now = now;
        clock_source = fixed_clock;
        searches = 0;
        start_program(server->display_name(), args);
    }
    void TearDown() override
    {
        clock_source = std::time;
        zone_.reset();
    }
    void run_at(std::time_t now)
    {
        fixed_now = now;
        update_display(app_state.toplevel, nullptr);
    }
    static std::string rise_text() { return label_text(rise_set_panel.value_widgets[0]); }
    static std::string set_text() { return label_text(rise_set_panel.value_widgets[1]); }

    static std::unique_ptr<private_xvfb> server;

private:
    std::optional<scoped_env> zone_;
};
std::unique_ptr<private_xvfb> RiseSetX::server;

struct group_case {
    const char* name;
    std::vector<std::string> args;
    bool built;
};

TEST_F(RiseSetX, GroupOnlyWithBothLatitudeAndLongitude)
{
    const group_case cases[] = {
        {"none", {}, false},
        {"latitude only", {"-xrm", "Lunaclock.latitude: -33.87"}, false},
        {"longitude only", {"-xrm", "Lunaclock.longitude: 151.21"}, false},
        {"bad latitude", {"-xrm", "Lunaclock.latitude: -133.87", "-xrm", "Lunaclock.longitude: 151.21"}, false},
        {"both", place_args(sydney), true},
        {"both, by class", {"-xrm", "*Latitude: 52.52", "-xrm", "*Longitude: 13.405"}, true},
    };
    for (const group_case& c : cases) {
        SCOPED_TRACE(c.name);
        start("UTC", utc_hour(2025, 1, 10, 12), c.args);
        Widget col1_rc = XtNameToWidget(app_state.toplevel, "*col1_rc");
        ASSERT_NE(col1_rc, nullptr);
        std::vector<std::string> names;
        for (Widget w : children_of(col1_rc)) {
            names.emplace_back(XtName(w));
        }
        if (!c.built) {
            EXPECT_EQ(names, (std::vector<std::string>{"txt1_f", "txt2_f", "txt3_f"}));
            EXPECT_EQ(rise_set_panel.value_widgets[0], nullptr);
            EXPECT_EQ(searches, 0);
            continue;
        }
        ASSERT_EQ(names, (std::vector<std::string>{"txt1_f", "txt2_f", "txt3_f", "txt5_f"}));
        Widget txt5_rc = XtNameToWidget(children_of(col1_rc)[3], "txt5_rc");
        ASSERT_NE(txt5_rc, nullptr);
        const std::vector<Widget> cells = children_of(txt5_rc);
        ASSERT_EQ(cells.size(), 2u);
        const char* captions[] = {"Moonrise:       ", "Moonset:        "};
        for (std::size_t i = 0; i < cells.size(); ++i) {
            EXPECT_STREQ(XtName(cells[i]), "cell");
            const std::vector<Widget> kids = children_of(cells[i]);
            ASSERT_EQ(kids.size(), 2u);
            EXPECT_STREQ(XtName(kids[0]), "llabel");
            EXPECT_EQ(label_text(kids[0]), captions[i]);
            EXPECT_STREQ(XtName(kids[1]), "lvalue");
            EXPECT_EQ(kids[1], rise_set_panel.value_widgets[i]);
            // Written by the run at start-up.
            EXPECT_NE(label_text(kids[1]), "");
        }
        EXPECT_EQ(searches, 1);
    }
}

TEST_F(RiseSetX, SydneyRowsAreTheNextRiseAndSet)
{
    const std::time_t now = utc_hour(2025, 1, 10, 12);  // 23:00 AEDT
    start("Australia/Sydney", now, place_args(sydney));
    const std::string rise = rise_text();
    const std::string set = set_text();
    EXPECT_EQ(rise.size(), 23u);
    EXPECT_NE(rise.find(" AEDT"), std::string::npos);
    EXPECT_EQ(set.size(), 23u);
    expect_crossing_in(rise, sydney, true, jd_of(now));
    expect_crossing_in(set, sydney, false, jd_of(now));
    // Both within a day, so neither is later than a day ahead.
    EXPECT_LT(*shown_minute(rise) - jd_of(now), 1.0);
    EXPECT_LT(*shown_minute(set) - jd_of(now), 1.0);
}

TEST_F(RiseSetX, TromsoWhileTheMoonStaysUpOrDownForDays)
{
    // January 2025, near the major lunar standstill: at Tromso the moon stays
    // up from the 8th to the 15th and down from the 22nd to the 30th.
    struct {
        const char* name;
        std::time_t now;
        bool up;
    } const cases[] = {
        {"up", utc_hour(2025, 1, 11, 12), true},
        {"down", utc_hour(2025, 1, 25, 12), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start("Europe/Oslo", c.now, place_args(tromso));
        const std::string waiting = c.up ? set_text() : rise_text();
        const std::string other = c.up ? rise_text() : set_text();
        EXPECT_EQ(other, "none within 2 days     ");
        const std::string words = c.up ? "above the horizon until " : "below the horizon until ";
        ASSERT_EQ(waiting.rfind(words, 0), 0u) << waiting;
        expect_crossing_in(waiting, tromso, !c.up, jd_of(c.now));
        EXPECT_GT(*shown_minute(waiting) - jd_of(c.now), 2.0);
    }
}

TEST_F(RiseSetX, SearchesOnlyWhenAShownEventPassesOrTheClockGoesBack)
{
    const std::time_t now = utc_hour(2025, 1, 10, 12);
    start("Australia/Sydney", now, place_args(sydney));
    ASSERT_EQ(searches, 1);
    const std::string rise = rise_text();
    const std::string set = set_text();
    // Every second for a minute, and an hour on: nothing to search.
    for (int s = 1; s <= 60; ++s) {
        run_at(now + s);
    }
    run_at(now + 3600);
    EXPECT_EQ(searches, 1);
    // Past the earlier of the two events: one search, and that row moves on
    // by about a day.
    const double earlier = std::min(*shown_minute(rise), *shown_minute(set));
    const std::time_t past = unix_of(earlier) + 120;
    run_at(past);
    EXPECT_EQ(searches, 2);
    const bool rise_passed = *shown_minute(rise) == earlier;
    const std::string moved = rise_passed ? rise_text() : set_text();
    const double gap = *shown_minute(moved) - earlier;
    EXPECT_GT(gap, 0.9);
    EXPECT_LT(gap, 1.1);
    EXPECT_EQ(rise_passed ? set_text() : rise_text(), rise_passed ? set : rise);
    run_at(past + 1);
    EXPECT_EQ(searches, 2);
    // The clock goes back a second: searched again, and the rows as at first.
    run_at(now);
    EXPECT_EQ(searches, 3);
    EXPECT_EQ(rise_text(), rise);
    EXPECT_EQ(set_text(), set);
    // While iconic the panel rests, and so does the search.
    app_state.iconic = 1;
    run_at(past);
    EXPECT_EQ(searches, 3);
    EXPECT_EQ(rise_text(), rise);
}

// The settings as start-up reads them from the resources, with the time zone
// deciding an automatic hemisphere only when no latitude is given.
TEST_F(RiseSetX, HemisphereFromResourcesAndTimeZone)
{
    struct {
        const char* name;
        const char* tz;
        std::vector<std::string> args;
        bool southern;
    } const cases[] = {
        {"default", "Australia/Sydney", {}, false},
        {"south", "Europe/Berlin", {"-xrm", "Lunaclock.hemisphere: south"}, true},
        {"auto in Sydney", "Australia/Sydney", {"-xrm", "Lunaclock.hemisphere: auto"}, true},
        {"auto in Auckland", ":Pacific/Auckland", {"-xrm", "*Hemisphere: auto"}, true},
        {"auto in Berlin", "Europe/Berlin", {"-xrm", "Lunaclock.hemisphere: auto"}, false},
        {"auto, a zone by rule", "AEST-10AEDT,M10.1.0,M4.1.0/3", {"-xrm", "Lunaclock.hemisphere: auto"}, false},
        {"auto, the latitude wins", "Europe/Berlin",
         {"-xrm", "Lunaclock.hemisphere: auto", "-xrm", "Lunaclock.latitude: -33.87"}, true},
        {"auto, a bad latitude is unset", "Australia/Sydney",
         {"-xrm", "Lunaclock.hemisphere: auto", "-xrm", "Lunaclock.latitude: 52N"}, true},
        {"bad word", "Australia/Sydney", {"-xrm", "Lunaclock.hemisphere: southern"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.tz, utc_hour(2025, 1, 10, 12), c.args);
        EXPECT_EQ(settings.southern_view, c.southern);
    }
}

}  // namespace
