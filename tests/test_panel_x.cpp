// The information panel on a private X server: labels written only on a
// change, long texts kept whole, and the texts of a whole run.
#include <gtest/gtest.h>

#include <Xm/Xm.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app_harness.h"
#include "app_state.h"
#include "calendar.h"
#include "panel.h"
#include "panel_text.h"
#include "test_dates.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

constexpr std::time_t midnight_berlin = 1705014000;  // 2024-01-11 23:00:00 UTC, 12 January 00:00 CET

// Sets a label behind the cache's back.
void set_label_directly(Widget w, const char* text)
{
    XmString label = XmStringCreateSimple(const_cast<char*>(text));
    XtVaSetValues(w, XmNlabelString, label, nullptr);
    XmStringFree(label);
}

std::string row_label(int row) { return label_text(app_state.value_widgets[static_cast<std::size_t>(row)]); }

class PanelX : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<private_xvfb>(); }
    static void TearDownTestSuite() { server.reset(); }
    void start(const char* tz, const std::vector<std::string>& args = {})
    {
        zone_.emplace("TZ", tz);
        fixed_now = midnight_berlin;
        clock_source = fixed_clock;
        start_program(server->display_name(), args);
        ASSERT_TRUE(dispatch_until([] {
            Widget w = app_state.value_widgets[0];
            XWindowAttributes attributes{};
            return XtIsRealized(w) && XGetWindowAttributes(program_display(), XtWindow(w), &attributes) != 0 &&
                   attributes.map_state == IsViewable;
        }));
        XSync(program_display(), False);
    }
    void TearDown() override
    {
        clock_source = std::time;
        zone_.reset();
    }

    static std::unique_ptr<private_xvfb> server;

private:
    std::optional<scoped_env> zone_;
};
std::unique_ptr<private_xvfb> PanelX::server;

}  // namespace

TEST_F(PanelX, TheSameTextTwiceReachesTheToolkitOnce)
{
    start("UTC");
    Widget w = app_state.value_widgets[7];
    text_slot& cache = app_state.value_cache[7];

    EXPECT_GT(requests_of([&] { set_value_text(cache, w, "0.5000 degrees."); }), 0u);
    EXPECT_EQ(label_text(w), "0.5000 degrees.");
    EXPECT_STREQ(cache.data(), "0.5000 degrees.");

    set_label_directly(w, "changed elsewhere");
    XSync(program_display(), False);
    EXPECT_EQ(requests_of([&] { set_value_text(cache, w, "0.5000 degrees."); }), 0u);
    EXPECT_EQ(label_text(w), "changed elsewhere");  // the toolkit was not called

    set_value_text(cache, w, "0.5001 degrees.");
    EXPECT_EQ(label_text(w), "0.5001 degrees.");
}

TEST_F(PanelX, LongTextsAreStoredAndComparedWhole)
{
    start("UTC");
    Widget w = app_state.value_widgets[2];
    text_slot& cache = app_state.value_cache[2];
    // The longest text a scratch buffer holds: 79 characters.
    const std::string first = std::string(78, 'x') + "a";
    const std::string second = std::string(78, 'x') + "b";

    set_value_text(cache, w, first.c_str());
    EXPECT_EQ(std::string(cache.data()), first);
    EXPECT_EQ(label_text(w), first);
    // Differs only in its last character: still written.
    set_value_text(cache, w, second.c_str());
    EXPECT_EQ(std::string(cache.data()), second);
    EXPECT_EQ(label_text(w), second);
    set_label_directly(w, "changed elsewhere");
    set_value_text(cache, w, second.c_str());
    EXPECT_EQ(label_text(w), "changed elsewhere");
}

TEST_F(PanelX, ALongZoneAbbreviationShowsWholeInTheLocalTimeRow)
{
    const std::string zone = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ";
    start(("<" + zone + ">-3").c_str());
    const std::string want = "02:00:00 12 January 2024 " + zone;
    EXPECT_EQ(row_label(2), want);
    EXPECT_EQ(std::string(app_state.value_cache[2].data()), want);
    EXPECT_EQ(row_label(12).substr(0, 16), "11 Jan 2024 14:5");
}

TEST_F(PanelX, PhaseRowsAndLunationLabels)
{
    start("Europe/Berlin");
    // Phase instants at 30 s past the minute, on both sides of the change to
    // summer time on 31 March 2024, 01:00 UTC.
    const phase_table dates{jd_of(2024, 1, 11, 11, 57, 30) + 0.5 / 86400.0, jd_of(2024, 3, 31, 0, 59, 30),
                            jd_of(2024, 3, 31, 1, 0, 30), jd_of(2024, 6, 30, 22, 30, 30),
                            jd_of(2024, 2, 9, 22, 59, 30)};
    refresh_phase_rows(dates);
    EXPECT_EQ(row_label(12), "11 Jan 2024 12:57 CET  ");
    EXPECT_EQ(row_label(13), "31 Mar 2024 01:59 CET  ");
    EXPECT_EQ(row_label(14), "31 Mar 2024 03:00 CEST ");
    EXPECT_EQ(row_label(15), "01 Jul 2024 00:30 CEST ");
    EXPECT_EQ(row_label(16), "09 Feb 2024 23:59 CET  ");
    EXPECT_EQ(label_text(app_state.value_widgets[lunation_slot_last]), "1250");
    EXPECT_EQ(label_text(app_state.value_widgets[lunation_slot_next]), "1251");
}

TEST_F(PanelX, ARunFillsEveryRowAndTestModeLeavesTheLocalTime)
{
    start("Europe/Berlin");
    // The start-up run filled the panel from the fixed clock.
    EXPECT_EQ(row_label(0), "2460321.45833");
    EXPECT_EQ(row_label(1), "23:00:00 11 January 2024 GMT");
    EXPECT_EQ(row_label(2), "00:00:00 12 January 2024 CET");
    const std::string age = row_label(4);
    EXPECT_EQ(age.substr(0, 17), "0 days, 11 hours,") << age;
    const std::string phase = row_label(5);
    EXPECT_EQ(phase.size(), 40u);
    EXPECT_EQ(phase.substr(0, 5), "0%   ") << phase;
    EXPECT_NE(row_label(6).find(" km, "), std::string::npos) << row_label(6);
    EXPECT_NE(row_label(9).find(" astronomical units."), std::string::npos) << row_label(9);
    const std::string new_moon = row_label(12);
    EXPECT_EQ(new_moon.substr(0, 15), "11 Jan 2024 12:") << new_moon;
    EXPECT_EQ(new_moon.substr(17), " CET  ") << new_moon;
    // The next new moon falls near midnight CET of 9 to 10 February.
    EXPECT_EQ(row_label(16).substr(2, 9), " Feb 2024") << row_label(16);
    EXPECT_EQ(label_text(app_state.value_widgets[lunation_slot_last]), "1250");
    EXPECT_EQ(label_text(app_state.value_widgets[lunation_slot_next]), "1251");

    // A second run at the same clock writes nothing.
    update_display(app_state.toplevel, nullptr);
    XSync(program_display(), False);
    EXPECT_EQ(requests_of([] { update_display(app_state.toplevel, nullptr); }), 0u);

    // In test mode the universal time comes from the test clock, a day ahead,
    // and the local-time row keeps its text.
    app_state.test_mode = 1;
    fixed_now += 3600;
    update_display(app_state.toplevel, nullptr);
    EXPECT_EQ(row_label(1), "00:00:00 13 January 2024 UTC");
    EXPECT_EQ(row_label(2), "00:00:00 12 January 2024 CET");
    EXPECT_EQ(row_label(12), new_moon);
}
