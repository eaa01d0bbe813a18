// After the first redraw, _NET_WM_ICON holds the picture in five sizes with
// a transparent sky, the same picture as the shell's icon pixmap at 64, and
// _NET_WM_ICON_NAME the icon name; an unchanged picture or name is not sent
// again, and the taskbar keeps the colour picture while the window is iconic.
#include <gtest/gtest.h>

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "net_wm_icon.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

struct x_deleter {
    void operator()(void* p) const { XFree(p); }
};
struct image_deleter {
    void operator()(XImage* p) const { XDestroyImage(p); }
};

// The property as 32-bit values, or empty when it is missing.
std::vector<unsigned long> read_cardinals(Display* display, Window window, const char* name)
{
    const Atom atom = XInternAtom(display, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    XGetWindowProperty(display, window, atom, 0, 1 << 20, False, XA_CARDINAL, &type, &format, &count, &after, &raw);
    const std::unique_ptr<unsigned char, x_deleter> keep(raw);
    if (type != XA_CARDINAL || format != 32 || raw == nullptr) {
        return {};
    }
    // Xlib hands format-32 data back as longs, sign-extended on 64 bits.
    const auto* values = reinterpret_cast<const unsigned long*>(raw);
    std::vector<unsigned long> out(values, values + count);
    for (unsigned long& v : out) {
        v &= 0xFFFFFFFFUL;
    }
    return out;
}

// The icons of a _NET_WM_ICON value: side and pixels, in the order given.
struct parsed_icon {
    unsigned long side = 0;
    std::vector<unsigned long> pixels;
    unsigned long at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * side + static_cast<std::size_t>(x)]; }
};

std::vector<parsed_icon> parse(const std::vector<unsigned long>& value)
{
    std::vector<parsed_icon> icons;
    std::size_t at = 0;
    while (at + 2 <= value.size()) {
        const unsigned long width = value[at];
        const unsigned long height = value[at + 1];
        if (width != height || at + 2 + width * height > value.size()) {
            ADD_FAILURE() << "malformed icon at " << at << ": " << width << " x " << height;
            return icons;
        }
        icons.push_back({width, std::vector<unsigned long>(value.begin() + static_cast<long>(at + 2),
                                                            value.begin() + static_cast<long>(at + 2 + width * height))});
        at += 2 + width * height;
    }
    EXPECT_EQ(at, value.size());
    return icons;
}

std::string read_utf8(Display* display, Window window, const char* name)
{
    const Atom atom = XInternAtom(display, name, False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    XGetWindowProperty(display, window, atom, 0, 1024, False, utf8, &type, &format, &count, &after, &raw);
    const std::unique_ptr<unsigned char, x_deleter> keep(raw);
    if (type != utf8 || format != 8 || raw == nullptr) {
        return "<missing>";
    }
    return {reinterpret_cast<const char*>(raw), count};
}

// One channel of a TrueColor pixel scaled to 8 bits.
unsigned channel(unsigned long pixel, unsigned long mask)
{
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long max = mask >> shift;
    return static_cast<unsigned>(value * 255 / max);
}

}  // namespace

// Built twice, once per drawing mode (-c, -m), so that each binary starts
// the toolkit only once.
#ifndef NET_WM_ICON_MODE
#define NET_WM_ICON_MODE "-c"
#endif

TEST(NetWmIconOnScreen, FiveSizesTransparentSkyAndTheIconPixmapsPicture)
{
    private_xvfb server;
    fixed_now = 1705579200;  // 2024-01-18 12:00:00 UTC, just past first quarter
    clock_source = fixed_clock;
    start_program(server.display_name(), {NET_WM_ICON_MODE});
    const bool colour = std::strcmp(NET_WM_ICON_MODE, "-m") != 0;
    ASSERT_EQ(app_state.color_mode, colour ? 1 : 0);
    update_display(app_state.toplevel, nullptr);
    ASSERT_NE(app_state.icon_name[0], '\0');
    Display* display = program_display();
    const Window window = XtWindow(app_state.toplevel);
    XSync(display, False);

    const std::vector<unsigned long> value = read_cardinals(display, window, "_NET_WM_ICON");
    const std::vector<parsed_icon> icons = parse(value);
    ASSERT_EQ(icons.size(), 5u);
    const std::array<unsigned long, 5> sides{16, 24, 32, 48, 64};
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const parsed_icon& icon = icons[i];
        const int n = static_cast<int>(icon.side);
        SCOPED_TRACE(n);
        EXPECT_EQ(icon.side, sides[i]);
        for (const unsigned long corner : {icon.at(0, 0), icon.at(n - 1, 0), icon.at(0, n - 1), icon.at(n - 1, n - 1)}) {
            EXPECT_EQ(corner >> 24, 0u) << "sky is transparent";
        }
        EXPECT_EQ(icon.at(32 * n / 64, 28 * n / 64) >> 24, 0xFFu) << "the disc's centre is opaque";
    }

    // At 64 the disc shows the icon pixmap's picture (the shell's, not iconic).
    const std::unique_ptr<XWMHints, x_deleter> hints(XGetWMHints(display, window));
    ASSERT_NE(hints, nullptr);
    ASSERT_NE(hints->flags & IconPixmapHint, 0);
    const std::unique_ptr<XImage, image_deleter> image(
        XGetImage(display, hints->icon_pixmap, 0, 0, 64, 64, AllPlanes, ZPixmap));
    ASSERT_NE(image, nullptr);
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    const parsed_icon& full = icons.back();
    int mismatches = 0;
    int opaque = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const unsigned long got = full.at(x, y);
            if ((got >> 24) == 0) {
                continue;
            }
            ++opaque;
            const unsigned long pixel = XGetPixel(image.get(), x, y);
            const unsigned long want = 0xFF000000UL | (channel(pixel, visual->red_mask) << 16) |
                                       (channel(pixel, visual->green_mask) << 8) | channel(pixel, visual->blue_mask);
            if (got != want && ++mismatches <= 5) {
                ADD_FAILURE() << "pixel x=" << x << " y=" << y << std::hex << " _NET_WM_ICON 0x" << got
                              << " icon pixmap 0x" << want;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(opaque, 2338) << "the disc of the moon pictures";

    EXPECT_EQ(read_utf8(display, window, "_NET_WM_ICON_NAME"), std::string(app_state.icon_name.data()));

    // The same picture and name again cost no request.
    unsigned long before = XNextRequest(display);
    EXPECT_FALSE(send_net_wm_icon(display, window, net_wm_icon_data(value.begin(), value.end())));
    EXPECT_FALSE(send_net_wm_icon_name(display, window, app_state.icon_name.data()));
    update_display(app_state.toplevel, nullptr);
    EXPECT_EQ(XNextRequest(display), before);

    // Iconic: the icon pixmap turns monochrome on every run, the taskbar's
    // picture stays what it was and is not sent again.
    app_state.iconic = 1;
    before = XNextRequest(display);
    update_display(app_state.toplevel, nullptr);
    EXPECT_GT(XNextRequest(display), before) << "the iconic redraw";
    const Atom net_wm_icon = XInternAtom(display, "_NET_WM_ICON", False);
    XDeleteProperty(display, window, net_wm_icon);  // behind the program's back
    update_display(app_state.toplevel, nullptr);
    XSync(display, False);
    EXPECT_TRUE(read_cardinals(display, window, "_NET_WM_ICON").empty()) << "not sent again while iconic";
    app_state.iconic = 0;

    // A different one is sent and lands.
    net_wm_icon_data other(value.begin(), value.end());
    other[3] = 0xFF123456UL;
    EXPECT_TRUE(send_net_wm_icon(display, window, other));
    EXPECT_EQ(read_cardinals(display, window, "_NET_WM_ICON")[3], 0xFF123456UL);
    clock_source = std::time;
}
