// The magnified canvas and the southern view on a private X server, read
// back with XGetImage and compared with the classic 64 by 64 drawing of the
// same instant; and the canvas's tooltip text.
#include <gtest/gtest.h>

#include <Xm/Xm.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "events.h"
#include "moon_sun.h"
#include "phase_picture.h"
#include "settings.h"
#include "test_dates.h"
#include "tooltip.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

constexpr std::time_t first_quarter_2024 = 1705579200;  // 2024-01-18 12:00:00 UTC, p near 0.27
constexpr std::time_t waning_2024 = 1706875200;         // 2024-02-02 12:00:00 UTC, p near 0.72

void run() { update_display(app_state.toplevel, nullptr); }

Widget canvas() { return app_state.value_widgets[canvas_slot]; }

// What one view shows after a forced redraw: the canvas and the icon pixmap.
struct view {
    std::optional<picture> canvas;
    std::optional<picture> icon;
    unsigned long sky = 0;  // the pixel value of the sky
};

class ViewsX : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<private_xvfb>(); }
    static void TearDownTestSuite() { server.reset(); }
    void TearDown() override { clock_source = std::time; }

    void start(std::time_t now, const std::vector<std::string>& args)
    {
        fixed_now = now;
        clock_source = fixed_clock;
        start_program(server->display_name(), args);
        show_window();
    }

    view shown(int side)
    {
        force_redraw();
        run();
        Screen* screen = XtScreen(app_state.toplevel);
        return {program_picture(XtWindow(canvas()), side, side), program_picture(shell_icon_pixmap(), 64, 64),
                app_state.color_mode != 0 ? app_state.palette[slot_sky] : BlackPixelOfScreen(screen)};
    }

    static std::unique_ptr<private_xvfb> server;
};
std::unique_ptr<private_xvfb> ViewsX::server;

struct view_case {
    const char* mode;  // -c or -m
    int scale;
    bool southern;
    std::time_t when;
};

std::ostream& operator<<(std::ostream& out, const view_case& c)
{
    return out << c.mode << " scale " << c.scale << (c.southern ? " south" : " north");
}

class ViewsXCase : public ViewsX, public ::testing::WithParamInterface<view_case> {};

}  // namespace

// Each view against the classic drawing of the same instant: the canvas is
// that picture turned (south) and magnified (each pixel an s x s block); the
// icon pixmap is turned but stays 64 by 64.
TEST_P(ViewsXCase, CanvasAndIconAreTheClassicPictureTurnedAndMagnified)
{
    const view_case c = GetParam();
    start(c.when, {c.mode});
    ASSERT_EQ(settings.scale, 1);
    const view classic = shown(64);
    ASSERT_TRUE(classic.canvas && classic.icon);

    std::vector<std::string> args{c.mode, "-xrm", "Lunaclock.scale: " + std::to_string(c.scale)};
    if (c.southern) {
        args.insert(args.end(), {"-xrm", "Lunaclock.hemisphere: south"});
    }
    start(c.when, args);
    ASSERT_EQ(settings.scale, c.scale);
    ASSERT_EQ(settings.southern_view, c.southern);
    const int s = c.scale;
    Dimension width = 0;
    Dimension height = 0;
    XtVaGetValues(canvas(), XmNwidth, &width, XmNheight, &height, nullptr);
    EXPECT_EQ(width, 64 * s);
    EXPECT_EQ(height, 64 * s);
    Dimension margin_width = 0;
    Dimension margin_height = 0;
    XtVaGetValues(XtParent(canvas()), XmNmarginWidth, &margin_width, XmNmarginHeight, &margin_height, nullptr);
    EXPECT_EQ(margin_width, 3 * s);
    EXPECT_EQ(margin_height, 3 * s);

    // (x, y) of the view shows (63 - x, 56 - y) of the classic picture in
    // the south; rows that nothing turns into are sky.
    auto classic_at = [&](const picture& p, int x, int y) {
        if (!c.southern) {
            return p.at(x, y);
        }
        return 56 - y >= 0 ? p.at(63 - x, 56 - y) : classic.sky;
    };
    const view v = shown(64 * s);
    expect_pixels(v.canvas, [&](int x, int y) { return classic_at(*classic.canvas, x / s, y / s); }, "canvas");
    expect_pixels(v.icon, [&](int x, int y) { return classic_at(*classic.icon, x, y); }, "icon pixmap");

    // An exposure (the canvas cleared by the server) brings the same picture back.
    XClearArea(program_display(), XtWindow(canvas()), 0, 0, 0, 0, True);
    XSync(program_display(), False);
    dispatch_for(std::chrono::milliseconds(200));
    expect_pixels(program_picture(XtWindow(canvas()), 64 * s, 64 * s),
                  [&](int x, int y) { return classic_at(*classic.canvas, x / s, y / s); }, "canvas after exposure");
}

INSTANTIATE_TEST_SUITE_P(Views, ViewsXCase,
                         ::testing::Values(view_case{"-c", 2, false, first_quarter_2024},
                                           view_case{"-c", 3, false, waning_2024},
                                           view_case{"-m", 2, false, first_quarter_2024},
                                           view_case{"-m", 3, false, waning_2024},
                                           view_case{"-c", 1, true, first_quarter_2024},
                                           view_case{"-m", 1, true, waning_2024},
                                           view_case{"-c", 2, true, waning_2024}));

// A redraw at scale s sends a handful of requests whatever s: one image for
// the canvas, not one request per magnified pixel.
TEST_F(ViewsX, RedrawCostDoesNotGrowWithTheScale)
{
    for (const char* mode : {"-c", "-m"}) {
        SCOPED_TRACE(mode);
        start(first_quarter_2024, {mode});
        run();
        force_redraw();
        const unsigned long at_one = requests_of(run);
        for (const int s : {2, 4, 8}) {
            SCOPED_TRACE(s);
            start(first_quarter_2024, {mode, "-xrm", "Lunaclock.scale: " + std::to_string(s)});
            run();
            force_redraw();
            EXPECT_LE(requests_of(run), at_one + 5);
        }
    }
}

// The tooltip names the phase once enabled; keeping it current sends no
// request while it is not up, and an iconic run leaves it alone.
TEST_F(ViewsX, TooltipNamesThePhaseOnlyWhenEnabled)
{
    auto expected = [] {
        double illuminated = 0.0, moon_km = 0.0, moon_deg = 0.0, sun_km = 0.0, sun_deg = 0.0;
        const double p = lunar_state(jd_of(fixed_now), illuminated, moon_km, moon_deg, sun_km, sun_deg);
        // The sectors: First quarter from 0.1875, Last quarter from 0.6875.
        const char* name = p >= 0.1875 && p < 0.3125 ? "First quarter" : p >= 0.6875 && p < 0.8125 ? "Last quarter" : "?";
        std::array<char, 64> text{};
        std::snprintf(text.data(), text.size(), "%s, %.0f%% illuminated", name, 100.0 * illuminated);
        return std::string(text.data());
    };
    start(first_quarter_2024, {});
    run();
    EXPECT_STREQ(tooltip_text(), "") << "not enabled: no tooltip";

    start(first_quarter_2024, {"-xrm", "Lunaclock.toolTipEnable: True"});
    run();
    EXPECT_EQ(tooltip_text(), expected());

    const std::string before = tooltip_text();
    fixed_now = waning_2024;
    app_state.iconic = 1;
    run();
    EXPECT_EQ(tooltip_text(), before) << "not while iconic";
    app_state.iconic = 0;
    EXPECT_EQ(requests_of([] {
                  double illuminated = 0.0, moon_km = 0.0, moon_deg = 0.0, sun_km = 0.0, sun_deg = 0.0;
                  const double p = lunar_state(jd_of(fixed_now), illuminated, moon_km, moon_deg, sun_km, sun_deg);
                  refresh_tooltip(p, illuminated);
              }),
              0u);
    EXPECT_EQ(tooltip_text(), expected());
}
