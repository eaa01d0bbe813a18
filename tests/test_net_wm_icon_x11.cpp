// After the first redraw, _NET_WM_ICON holds the same picture as the shell's
// icon pixmap, and _NET_WM_ICON_NAME the icon name; an unchanged picture or
// name is not sent again.
#include <gtest/gtest.h>

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "net_wm_icon.h"
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

TEST(NetWmIconOnScreen, MatchesIconPixmapAfterFirstRedraw)
{
    private_xvfb server;
    start_program(server.display_name(), {NET_WM_ICON_MODE});
    ASSERT_EQ(app_state.color_mode, std::strcmp(NET_WM_ICON_MODE, "-m") == 0 ? 0 : 1);
    ASSERT_TRUE(dispatch_until([] { return app_state.icon_name[0] != '\0'; }));
    Display* display = program_display();
    const Window window = XtWindow(app_state.toplevel);
    XSync(display, False);

    const std::vector<unsigned long> icon = read_cardinals(display, window, "_NET_WM_ICON");
    ASSERT_EQ(icon.size(), net_wm_icon_length);
    EXPECT_EQ(icon[0], 64u);
    EXPECT_EQ(icon[1], 64u);

    const std::unique_ptr<XWMHints, x_deleter> hints(XGetWMHints(display, window));
    ASSERT_NE(hints, nullptr);
    ASSERT_NE(hints->flags & IconPixmapHint, 0);
    Pixmap shell_pixmap = 0;
    XtVaGetValues(app_state.toplevel, XtNiconPixmap, &shell_pixmap, nullptr);
    EXPECT_EQ(hints->icon_pixmap, shell_pixmap);

    const std::unique_ptr<XImage, image_deleter> image(
        XGetImage(display, hints->icon_pixmap, 0, 0, 64, 64, AllPlanes, ZPixmap));
    ASSERT_NE(image, nullptr);
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    int mismatches = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const unsigned long pixel = XGetPixel(image.get(), x, y);
            const unsigned long want = 0xFF000000UL | (channel(pixel, visual->red_mask) << 16) |
                                       (channel(pixel, visual->green_mask) << 8) | channel(pixel, visual->blue_mask);
            const unsigned long got = icon[static_cast<std::size_t>(2 + 64 * y + x)];
            if (got != want && ++mismatches <= 5) {
                ADD_FAILURE() << "pixel x=" << x << " y=" << y << std::hex << " _NET_WM_ICON 0x" << got
                              << " icon pixmap 0x" << want;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);

    EXPECT_EQ(read_utf8(display, window, "_NET_WM_ICON_NAME"), std::string(app_state.icon_name.data()));

    // The same picture and name again cost no request.
    net_wm_icon_data same{};
    std::copy(icon.begin(), icon.end(), same.begin());
    const unsigned long before = XNextRequest(display);
    EXPECT_FALSE(send_net_wm_icon(display, window, same));
    EXPECT_FALSE(send_net_wm_icon_name(display, window, app_state.icon_name.data()));
    EXPECT_EQ(XNextRequest(display), before);

    // A different one is sent and lands.
    same[2] = argb_white;
    same[3] = 0xFF123456UL;
    EXPECT_TRUE(send_net_wm_icon(display, window, same));
    EXPECT_EQ(read_cardinals(display, window, "_NET_WM_ICON")[3], 0xFF123456UL);
}
