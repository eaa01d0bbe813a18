// Start-up and both kinds of redraw on screens of depth 8 (PseudoColor), 16
// and 24 raise no X error; on a PseudoColor screen whose colormap another
// client has filled, the colours fall back to black and white and the moon
// is still drawn. Each case runs in a process of its own (ctest runs them
// one by one), since the toolkit is set up afresh for every case.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "events.h"
#include "graphics.h"
#include "phase_picture.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

int x_errors = 0;
int count_x_error(Display* display, XErrorEvent* error)
{
    std::array<char, 128> text{};
    XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
    std::fprintf(stderr, "X error: %s (request %d.%d)\n", text.data(), error->request_code, error->minor_code);
    ++x_errors;
    return 0;
}

// 2024-01-18 03:53 UT, first quarter: half the disc lit, half dark.
std::time_t first_quarter(std::time_t* t)
{
    constexpr std::time_t when = 1705549980;
    if (t != nullptr) {
        *t = when;
    }
    return when;
}

struct image_deleter {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using image_ptr = std::unique_ptr<XImage, image_deleter>;

image_ptr shell_icon(Display* display)
{
    return image_ptr(XGetImage(display, app_state.icon_pixmaps[0], 0, 0, 64, 64, AllPlanes, ZPixmap));
}

// The pixel values inside the disc (radius 26 about the centre).
std::set<unsigned long> disc_pixels(XImage* image)
{
    std::set<unsigned long> pixels;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const int dx = x - disc_centre_x;
            const int dy = y - disc_centre_y;
            if (dx * dx + dy * dy <= 26 * 26) {
                pixels.insert(XGetPixel(image, x, y));
            }
        }
    }
    return pixels;
}

void start_on(const private_xvfb& server, const std::vector<std::string>& args)
{
    x_errors = 0;
    XSetErrorHandler(count_x_error);
    clock_source = first_quarter;
    start_program(server.display_name(), args);
    ASSERT_TRUE(dispatch_until([] { return app_state.last_icon_name[0] != '\0'; }));
    XSync(program_display(), False);
}

void redraw(bool iconic)
{
    app_state.iconic = iconic ? 1 : 0;
    force_redraw();
    update_display(app_state.toplevel, nullptr);
    app_state.iconic = 0;
    XSync(program_display(), False);
}

struct screen_case {
    int depth;
    const char* mode;  // "-c" or "-m"
};

std::string case_name(const testing::TestParamInfo<screen_case>& info)
{
    return "depth" + std::to_string(info.param.depth) + (info.param.mode[1] == 'c' ? "_colour" : "_mono");
}

class ScreenDepth : public testing::TestWithParam<screen_case> {};

}  // namespace

TEST_P(ScreenDepth, StartsAndRedrawsWithoutXErrors)
{
    const screen_case c = GetParam();
    const private_xvfb server({"-screen", "0", "640x480x" + std::to_string(c.depth)});
    start_on(server, {c.mode});
    Display* display = program_display();
    ASSERT_EQ(DefaultDepth(display, DefaultScreen(display)), c.depth);
    if (c.depth == 8) {
        ASSERT_EQ(DefaultVisual(display, DefaultScreen(display))->c_class, PseudoColor);
    }
    const unsigned long black = BlackPixel(display, DefaultScreen(display));
    const unsigned long white = WhitePixel(display, DefaultScreen(display));

    if (c.mode[1] == 'c') {
        redraw(false);
        const image_ptr colour = shell_icon(display);
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(XGetPixel(colour.get(), red_point_x, red_point_y), app_state.palette[slot_red]);
        EXPECT_GT(disc_pixels(colour.get()).size(), 2u) << "a colour picture of one or two pixel values";
    }
    redraw(true);
    const image_ptr mono = shell_icon(display);
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(disc_pixels(mono.get()), (std::set<unsigned long>{black, white}));
    EXPECT_EQ(x_errors, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, ScreenDepth,
                         testing::Values(screen_case{8, "-c"}, screen_case{8, "-m"}, screen_case{16, "-c"},
                                         screen_case{16, "-m"}, screen_case{24, "-c"}, screen_case{24, "-m"}),
                         case_name);

TEST(FullColormap, ColoursFallBackToBlackAndWhiteAndTheMoonIsDrawn)
{
    const private_xvfb server({"-screen", "0", "640x480x8"});
    // Another client takes every free cell of the default colormap and
    // keeps them for the whole test.
    Display* hog = XOpenDisplay(server.display_name().c_str());
    ASSERT_NE(hog, nullptr);
    const Colormap map = DefaultColormap(hog, DefaultScreen(hog));
    std::vector<unsigned long> cells(256);
    int taken = 0;
    for (unsigned n = 256; n > 0; n /= 2) {
        while (XAllocColorCells(hog, map, False, nullptr, 0, cells.data(), n) != 0) {
            taken += static_cast<int>(n);
        }
    }
    XSync(hog, False);
    std::printf("full colormap: another client holds %d cells\n", taken);
    ASSERT_GT(taken, 0);
    unsigned long one = 0;
    ASSERT_EQ(XAllocColorCells(hog, map, False, nullptr, 0, &one, 1), 0) << "the colormap still has a free cell";

    start_on(server, {"-c"});
    Display* display = program_display();
    const unsigned long black = BlackPixel(display, DefaultScreen(display));
    const unsigned long white = WhitePixel(display, DefaultScreen(display));
    // A slot holds the fallback or, where the exact colour already sat in
    // a shared cell of the map, that cell.
    const Colormap program_map = DefaultColormap(display, DefaultScreen(display));
    int fallbacks = 0;
    for (int slot = 0; slot < 12; ++slot) {
        SCOPED_TRACE("palette slot " + std::to_string(slot));
        const unsigned long pixel = app_state.palette[static_cast<std::size_t>(slot)];
        if (pixel == black || pixel == white) {
            ++fallbacks;
            continue;
        }
        XColor held{};
        held.pixel = pixel;
        XQueryColor(display, program_map, &held);
        const rgb16 want = palette_colour(slot);
        // 8 bits a channel on this visual: within one step of 0x101.
        EXPECT_NEAR(held.red, want.red, 0x101) << "pixel " << pixel;
        EXPECT_NEAR(held.green, want.green, 0x101) << "pixel " << pixel;
        EXPECT_NEAR(held.blue, want.blue, 0x101) << "pixel " << pixel;
    }
    std::printf("full colormap: %d of 12 palette slots fell back to black or white\n", fallbacks);
    // The lit levels are bright, the dark side dim.
    EXPECT_EQ(app_state.palette[5], white);
    EXPECT_EQ(app_state.palette[9], black);

    redraw(false);
    const image_ptr colour = shell_icon(display);
    ASSERT_NE(colour, nullptr);
    const std::set<unsigned long> drawn = disc_pixels(colour.get());
    EXPECT_EQ(drawn.count(black), 1u) << "no black in the disc";
    EXPECT_EQ(drawn.count(white), 1u) << "no white in the disc";
    for (const unsigned long pixel : drawn) {
        EXPECT_NE(std::find(app_state.palette.begin(), app_state.palette.end(), pixel), app_state.palette.end())
            << "pixel " << pixel << " is in no palette slot";
    }
    EXPECT_EQ(x_errors, 0);
    XCloseDisplay(hog);
}
