// The palette, the graphics context and the two start-up icon pixmaps, read
// back from the server: on a TrueColor screen in colour and in monochrome
// mode, and on a PseudoColor screen whose colormap another client has filled.
#include <gtest/gtest.h>

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "moon_images.h"
#include "xvfb.h"

namespace {

struct rgb {
    unsigned short red, green, blue;
};

// The twelve colours asked for, in 16-bit channels.
constexpr std::array<rgb, 12> wanted{{
    {0x0F0F, 0x0F0F, 0x0F0F},
    {0xDFDF, 0xEFEF, 0xFFFF},
    {0xBFBF, 0xCFCF, 0xDFDF},
    {0x8F8F, 0x9F9F, 0xAFAF},
    {0x0000, 0x0000, 0x0000},
    {0xE0E0, 0xF0F0, 0xFFFF},
    {0xC0C0, 0xD0D0, 0xE0E0},
    {0x9090, 0xA0A0, 0xB0B0},
    {0xFFFF, 0x0000, 0x0000},
    {0x1010, 0x1010, 0x9090},
    {0x1010, 0x1010, 0x7070},
    {0x1010, 0x1010, 0x5050},
}};

using picture = std::vector<unsigned long>;  // 64 x 64 pixel values, row by row

picture read_pixmap(Display* display, Pixmap pixmap)
{
    picture pixels;
    XImage* image = XGetImage(display, pixmap, 0, 0, 64, 64, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return pixels;
    }
    // XDestroyImage is a macro over the image's own destroy function.
    const auto destroy = [](XImage* i) { XDestroyImage(i); };
    const std::unique_ptr<XImage, decltype(destroy)> owned(image, destroy);
    pixels.reserve(64 * 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            pixels.push_back(XGetPixel(image, x, y));
        }
    }
    return pixels;
}

Colormap shell_colormap()
{
    Colormap colormap = 0;
    XtVaGetValues(app_state.toplevel, XtNcolormap, &colormap, nullptr);
    return colormap;
}

Pixmap shell_icon()
{
    Pixmap icon = 0;
    XtVaGetValues(app_state.toplevel, XtNiconPixmap, &icon, nullptr);
    return icon;
}

bool moon_bit(int x, int y)
{
    return (app_state.moon_bitmap[static_cast<std::size_t>(8 * y + x / 8)] >> (x % 8) & 1) != 0;
}

// What the start-up leaves, read before any event is dispatched: the first
// picture redraw would repaint one pixmap and hand it to the shell.
struct start_up_state {
    std::array<picture, 2> icons;
    Pixmap shell_icon = 0;
};

class program_on_xvfb : public ::testing::Test {
protected:
    static void start(std::vector<std::string> server_args, const std::vector<std::string>& args)
    {
        server = std::make_unique<private_xvfb>(std::move(server_args));
        start_program(server->display_name(), args);
        capture();
    }
    static void capture()
    {
        Display* display = program_display();
        XSync(display, False);
        state.shell_icon = shell_icon();
        for (std::size_t i = 0; i < 2; ++i) {
            state.icons[i] = read_pixmap(display, app_state.icon_pixmaps[i]);
        }
    }
    static void TearDownTestSuite() { server.reset(); }
    static inline std::unique_ptr<private_xvfb> server;
    static inline start_up_state state;
};

class ColourOnTrueColor : public program_on_xvfb {
protected:
    static void SetUpTestSuite() { start({"-screen", "0", "1024x768x24"}, {}); }
};

TEST_F(ColourOnTrueColor, PaletteHoldsTheTwelveColours)
{
    Display* display = program_display();
    ASSERT_EQ(DefaultVisual(display, DefaultScreen(display))->c_class, TrueColor);
    const Colormap colormap = shell_colormap();
    for (std::size_t slot = 0; slot < wanted.size(); ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        XColor got{};
        got.pixel = app_state.palette[slot];
        XQueryColor(display, colormap, &got);
        // A 24-bit visual keeps the top 8 bits of each channel.
        EXPECT_EQ(got.red >> 8, wanted[slot].red >> 8) << std::hex << got.red << " " << wanted[slot].red;
        EXPECT_EQ(got.green >> 8, wanted[slot].green >> 8) << std::hex << got.green << " " << wanted[slot].green;
        EXPECT_EQ(got.blue >> 8, wanted[slot].blue >> 8) << std::hex << got.blue << " " << wanted[slot].blue;
    }
}

// The GC as Xlib keeps it for the server (X has no request to read a GC
// back): a copy GC whose background is 0, which Xlib's default of 1 shows to
// have been asked for. Its foreground is the last one the start-up icons set,
// that of the level of column 63, row 63, the last point drawn.
TEST_F(ColourOnTrueColor, GcIsACopyGcWithZeroColours)
{
    ASSERT_NE(app_state.gc, nullptr);
    XGCValues got{};
    ASSERT_NE(XGetGCValues(program_display(), app_state.gc, GCFunction | GCForeground | GCBackground, &got), 0);
    EXPECT_EQ(got.function, GXcopy);
    EXPECT_EQ(got.background, 0u);
    EXPECT_EQ(got.foreground, app_state.palette[static_cast<std::size_t>(moon_color_image[63][63])]);
}

TEST_F(ColourOnTrueColor, BothIconsShowTheColourMoonInTheIconSlots)
{
    ASSERT_EQ(state.icons[0].size(), 64u * 64u);
    ASSERT_EQ(state.icons[1].size(), 64u * 64u);
    EXPECT_TRUE(state.icons[0] == state.icons[1]);
    int mismatches = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const auto level = static_cast<std::size_t>(moon_color_image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
            const unsigned long got = state.icons[0][static_cast<std::size_t>(64 * y + x)];
            if (got != app_state.palette[level] && ++mismatches <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") level " << level << ": got 0x" << std::hex << got
                              << ", want 0x" << app_state.palette[level];
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // The sky is the icon's dark grey, not the phase picture's black, and the
    // red point belongs to the phase picture only.
    EXPECT_EQ(state.icons[0][0], app_state.palette[0]);
    EXPECT_NE(app_state.palette[0], app_state.palette[4]);
    for (unsigned long p : state.icons[0]) {
        ASSERT_NE(p, app_state.palette[4]);
        ASSERT_NE(p, app_state.palette[8]);
    }
}

TEST_F(ColourOnTrueColor, ShellStartsWithIconSlotZero)
{
    EXPECT_NE(state.shell_icon, 0u);
    EXPECT_EQ(state.shell_icon, app_state.icon_pixmaps[0]);
    EXPECT_NE(app_state.icon_pixmaps[0], app_state.icon_pixmaps[1]);
}

class MonochromeOnTrueColor : public program_on_xvfb {
protected:
    static void SetUpTestSuite() { start({"-screen", "0", "1024x768x24"}, {"-m"}); }
};

TEST_F(MonochromeOnTrueColor, AllocatesNoColoursButMakesTheGc)
{
    EXPECT_EQ(app_state.color_mode, 0);
    for (std::size_t slot = 0; slot < app_state.palette.size(); ++slot) {
        EXPECT_EQ(app_state.palette[slot], 0u) << "slot " << slot;
    }
    // Nothing has drawn with it yet: both colours are still the 0 asked for.
    ASSERT_NE(app_state.gc, nullptr);
    XGCValues got{};
    ASSERT_NE(XGetGCValues(program_display(), app_state.gc, GCFunction | GCForeground | GCBackground, &got), 0);
    EXPECT_EQ(got.function, GXcopy);
    EXPECT_EQ(got.foreground, 0u);
    EXPECT_EQ(got.background, 0u);
}

TEST_F(MonochromeOnTrueColor, BothIconsAreTheMoonBitmapInBlackAndWhite)
{
    Display* display = program_display();
    const unsigned long black = BlackPixel(display, DefaultScreen(display));
    const unsigned long white = WhitePixel(display, DefaultScreen(display));
    ASSERT_NE(black, white);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("icon pixmap " + std::to_string(i));
        ASSERT_EQ(state.icons[i].size(), 64u * 64u);
        int mismatches = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const unsigned long want = moon_bit(x, y) ? black : white;
                const unsigned long got = state.icons[i][static_cast<std::size_t>(64 * y + x)];
                if (got != want && ++mismatches <= 5) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): got 0x" << std::hex << got << ", want 0x"
                                  << want;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_EQ(state.shell_icon, app_state.icon_pixmaps[0]);
}

// A PseudoColor screen whose default colormap another client has taken whole
// before the program starts. The server keeps a few shared read-only cells
// (black, white, a small colour cube): a colour that matches one exactly is
// still granted that cell; every other slot falls back to the screen's black
// or white by the colour's brightness.
class ColourOnFullColormap : public program_on_xvfb {
protected:
    static void SetUpTestSuite()
    {
        server = std::make_unique<private_xvfb>(std::vector<std::string>{"-screen", "0", "640x480x8"});
        hog = XOpenDisplay(server->display_name().c_str());
        ASSERT_NE(hog, nullptr);
        is_pseudo_color = DefaultVisual(hog, DefaultScreen(hog))->c_class == PseudoColor;
        const Colormap colormap = DefaultColormap(hog, DefaultScreen(hog));
        unsigned long cell = 0;
        while (XAllocColorCells(hog, colormap, False, nullptr, 0, &cell, 1) != 0) {
            ++cells_taken;
        }
        XColor odd{};
        odd.red = 0x1234;
        odd.green = 0x5678;
        odd.blue = 0x9ABC;
        odd.flags = DoRed | DoGreen | DoBlue;
        map_is_full = XAllocColor(hog, colormap, &odd) == 0;
        XSync(hog, False);
        start_program(server->display_name(), {});
        capture();
    }
    static void TearDownTestSuite()
    {
        if (hog != nullptr) {
            XCloseDisplay(hog);
            hog = nullptr;
        }
        program_on_xvfb::TearDownTestSuite();
    }
    // The shared cell the server grants for exactly this colour, if any.
    static bool shared_cell(const rgb& colour, unsigned long& pixel)
    {
        XColor c{};
        c.red = colour.red;
        c.green = colour.green;
        c.blue = colour.blue;
        c.flags = DoRed | DoGreen | DoBlue;
        if (XAllocColor(hog, DefaultColormap(hog, DefaultScreen(hog)), &c) == 0) {
            return false;
        }
        pixel = c.pixel;
        return true;
    }
    static inline Display* hog = nullptr;
    static inline bool is_pseudo_color = false;
    static inline int cells_taken = 0;
    static inline bool map_is_full = false;
};

TEST_F(ColourOnFullColormap, FailedAllocationsFallBackToBlackOrWhite)
{
    ASSERT_TRUE(is_pseudo_color);
    ASSERT_GT(cells_taken, 0);
    ASSERT_TRUE(map_is_full);
    Display* display = program_display();
    const int screen = DefaultScreen(display);
    const unsigned long black = BlackPixel(display, screen);
    const unsigned long white = WhitePixel(display, screen);
    const auto entries = static_cast<unsigned long>(DefaultVisual(display, screen)->map_entries);
    // Light: the three surface levels of both moons. Dark: the two skies,
    // the red point and the dark side's blues.
    constexpr std::array<bool, 12> light{false, true, true, true, false, true,
                                         true,  true, false, false, false, false};
    int fell_back = 0;
    for (std::size_t slot = 0; slot < wanted.size(); ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        const unsigned long pixel = app_state.palette[slot];
        EXPECT_LT(pixel, entries);
        unsigned long granted = 0;
        if (shared_cell(wanted[slot], granted)) {
            EXPECT_EQ(pixel, granted);
        } else {
            ++fell_back;
            EXPECT_EQ(pixel, light[slot] ? white : black) << "pixel " << pixel;
        }
    }
    // Only pure black and pure red are among the server's shared cells.
    EXPECT_EQ(fell_back, 10);
    // The icons are drawn with what the palette holds.
    ASSERT_EQ(state.icons[0].size(), 64u * 64u);
    EXPECT_TRUE(state.icons[0] == state.icons[1]);
    EXPECT_EQ(state.icons[0][0], black);
    EXPECT_EQ(state.shell_icon, app_state.icon_pixmaps[0]);
}

}  // namespace
