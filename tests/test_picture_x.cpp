// The phase picture on a private X server: what a run sends, the icon
// pixmaps' turns, the canvas's pixels and the icon name.
#include <gtest/gtest.h>

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "app_harness.h"
#include "app_state.h"
#include "events.h"
#include "expected_picture.h"
#include "moon_sun.h"
#include "phase_picture.h"
#include "test_dates.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

constexpr std::time_t first_quarter_2024 = 1705579200;  // 2024-01-18 12:00:00 UTC, p near 0.27
constexpr std::time_t after_new_2024 = 1704996000;      // 2024-01-11 18:00:00 UTC, about 6 h after new moon

void run() { update_display(app_state.toplevel, nullptr); }

std::string wm_icon_name()
{
    XTextProperty property{};
    if (XGetWMIconName(program_display(), XtWindow(app_state.toplevel), &property) == 0) {
        return "<none>";
    }
    std::string name(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return name;
}

// The phase fraction of the fixed clock, as the run computes it.
double phase_now()
{
    double illuminated = 0.0, moon_km = 0.0, moon_deg = 0.0, sun_km = 0.0, sun_deg = 0.0;
    return lunar_state(jd_of(fixed_now), illuminated, moon_km, moon_deg, sun_km, sun_deg);
}

bool dark(const mono_bitmap& bits, int x, int y) { return ((bits[8 * y + x / 8] >> (x % 8)) & 1) != 0; }

class PictureX : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<private_xvfb>(); }
    static void TearDownTestSuite() { server.reset(); }
    void start(std::time_t now, const std::vector<std::string>& args = {})
    {
        fixed_now = now;
        clock_source = fixed_clock;
        start_program(server->display_name(), args);
        XSync(program_display(), False);
    }
    void TearDown() override { clock_source = std::time; }

    static std::unique_ptr<private_xvfb> server;
};
std::unique_ptr<private_xvfb> PictureX::server;

}  // namespace

TEST_F(PictureX, FirstRunAfterRealizationRedrawsSwapsAndNamesTheIcon)
{
    start(first_quarter_2024);
    // The start-up run came before realization: no picture, no icon name.
    EXPECT_STREQ(app_state.last_icon_name.data(), "");
    const Pixmap first = app_state.icon_pixmaps[0];
    const Pixmap spare = app_state.icon_pixmaps[1];
    ASSERT_NE(first, spare);
    EXPECT_EQ(shell_icon_pixmap(), first);

    EXPECT_GT(requests_of(run), 0u);
    EXPECT_EQ(shell_icon_pixmap(), spare);
    EXPECT_EQ(app_state.icon_pixmaps[0], spare);
    EXPECT_EQ(app_state.icon_pixmaps[1], first);
    EXPECT_EQ(app_state.shown_bitmap, app_state.phase_bitmap);
    EXPECT_STREQ(app_state.last_icon_name.data(), "7d 0h");
    EXPECT_EQ(wm_icon_name(), "7d 0h");
}

TEST_F(PictureX, ASecondRunAtTheSameClockSendsNothing)
{
    start(first_quarter_2024);
    run();
    const Pixmap icon = shell_icon_pixmap();
    XSync(program_display(), False);
    EXPECT_EQ(requests_of(run), 0u);
    EXPECT_EQ(requests_of(run), 0u);
    EXPECT_EQ(shell_icon_pixmap(), icon);
}

TEST_F(PictureX, AForcedRedrawRedrawsAnUnchangedPhase)
{
    start(first_quarter_2024);
    run();
    const Pixmap icon = shell_icon_pixmap();
    const Pixmap spare = app_state.icon_pixmaps[1];
    force_redraw();
    EXPECT_GT(requests_of(run), 0u);
    EXPECT_EQ(shell_icon_pixmap(), spare);
    EXPECT_NE(shell_icon_pixmap(), icon);
    // And the redraw leaves the comparison honest again.
    EXPECT_EQ(requests_of(run), 0u);
}

TEST_F(PictureX, ColourCanvasAndIconShowTheColourPicture)
{
    start(first_quarter_2024);
    show_window();
    force_redraw();
    run();
    // The picture as the drawing steps describe it, worked out by the test.
    const double p = phase_now();
    const double r = expected_colour_radius(p);
    auto want = [&](int x, int y) {
        return static_cast<unsigned long>(app_state.palette[static_cast<std::size_t>(expected_colour_slot(p, r, x, y))]);
    };
    const std::optional<picture> canvas = program_picture(XtWindow(app_state.value_widgets[canvas_slot]), 64, 64);
    const std::optional<picture> icon = program_picture(shell_icon_pixmap(), 64, 64);
    expect_pixels(canvas, want, "canvas");
    expect_pixels(icon, want, "icon");
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->at(red_point_x, red_point_y), app_state.palette[slot_red]);
    // Both halves show: the lit right half and the dark left one.
    EXPECT_EQ(canvas->at(20, 28), app_state.palette[slot_dark_base + moon_color_image[28][20]]);
    EXPECT_EQ(canvas->at(45, 28), app_state.palette[slot_lit_base + moon_color_image[28][45]]);
}

TEST_F(PictureX, MonochromeCanvasAndIconShowThePhaseBitmapWithoutTheRedPoint)
{
    start(first_quarter_2024, {"-m"});
    show_window();
    force_redraw();
    run();
    Screen* screen = XtScreen(app_state.toplevel);
    const mono_bitmap expected = build_phase_bitmap(full_moon_bitmap(), phase_now(), 27.0);
    auto want = [&](int x, int y) {
        return dark(expected, x, y) ? BlackPixelOfScreen(screen) : WhitePixelOfScreen(screen);
    };
    const std::optional<picture> canvas = program_picture(XtWindow(app_state.value_widgets[canvas_slot]), 64, 64);
    const std::optional<picture> icon = program_picture(shell_icon_pixmap(), 64, 64);
    expect_pixels(canvas, want, "canvas");
    expect_pixels(icon, want, "icon");
}

TEST_F(PictureX, IconNameIsSetOnlyWhenItChanges)
{
    start(after_new_2024);
    // Put the clock half-way through a minute of the moon's age.
    const double age_seconds = (jd_of(fixed_now) - app_state.last_new_moon) * 86400.0;
    fixed_now += static_cast<std::time_t>(std::lround(30.0 - std::fmod(age_seconds, 60.0)));
    run();
    const std::string name = app_state.last_icon_name.data();
    ASSERT_EQ(name.back(), 'm') << name;  // under a day old: hours and minutes
    EXPECT_EQ(wm_icon_name(), name);

    // Written behind the program's back: a run within the same minute leaves it.
    char sentinel[] = "sentinel";
    XTextProperty property{reinterpret_cast<unsigned char*>(sentinel), XA_STRING, 8, std::strlen(sentinel)};
    XSetWMIconName(program_display(), XtWindow(app_state.toplevel), &property);
    XSync(program_display(), False);
    fixed_now += 10;
    run();
    EXPECT_EQ(wm_icon_name(), "sentinel");

    fixed_now += 60;
    run();
    EXPECT_NE(std::string(app_state.last_icon_name.data()), name);
    EXPECT_EQ(wm_icon_name(), app_state.last_icon_name.data());
}

TEST_F(PictureX, IconicRunsDrawInMonochromeOnEveryRun)
{
    start(first_quarter_2024);
    show_window();
    run();
    app_state.iconic = 1;
    Screen* screen = XtScreen(app_state.toplevel);
    const mono_bitmap expected = build_phase_bitmap(full_moon_bitmap(), phase_now(), 27.0);
    auto want = [&](int x, int y) {
        return dark(expected, x, y) ? BlackPixelOfScreen(screen) : WhitePixelOfScreen(screen);
    };
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("iconic run " + std::to_string(k));
        const Pixmap spare = app_state.icon_pixmaps[1];
        EXPECT_GT(requests_of(run), 0u);
        EXPECT_EQ(shell_icon_pixmap(), spare);
        const std::optional<picture> icon = program_picture(shell_icon_pixmap(), 64, 64);
        expect_pixels(icon, want, "icon");
    }
    // Shown again with the same phase: the bitmap of the monochrome redraws
    // is the colour path's too, so nothing is redrawn until forced.
    app_state.iconic = 0;
    const Pixmap icon = shell_icon_pixmap();
    EXPECT_EQ(requests_of(run), 0u);
    EXPECT_EQ(shell_icon_pixmap(), icon);
    force_redraw();
    run();
    const std::optional<picture> colour = program_picture(shell_icon_pixmap(), 64, 64);
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->at(red_point_x, red_point_y), app_state.palette[slot_red]);
}
