// The built program as a user runs it: the scale setting from the resource
// database (a bad value warned about once, auto from Xft.dpi), and the
// canvas's tooltip after the pointer rests on it, read off the screen.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e.h"
#include "moon_sun.h"
#include "test_dates.h"

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

struct scale_case {
    std::vector<std::string> resources;  // each given with -xrm
    unsigned canvas_side;
    const char* bad_value;  // the value the one warning names, or nullptr
};

}  // namespace

TEST(ViewsE2e, ScaleFromTheResourceDatabase)
{
    const std::array<scale_case, 7> cases{{
        {{"Lunaclock.scale: 3"}, 192, nullptr},
        {{"Lunaclock.scale: 0"}, 64, "0"},
        {{"Lunaclock.scale: 9"}, 64, "9"},
        {{"Lunaclock.scale: banana"}, 64, "banana"},
        {{"Lunaclock.scale: auto", "Xft.dpi: 96"}, 64, nullptr},
        {{"Lunaclock.scale: auto", "Xft.dpi: 144"}, 128, nullptr},
        {{"Lunaclock.scale: auto", "Xft.dpi: 192"}, 128, nullptr},
    }};
    for (const scale_case& c : cases) {
        SCOPED_TRACE(c.resources.front() + (c.resources.size() > 1 ? ", " + c.resources.back() : ""));
        e2e_session session;
        e2e_session::options o;
        for (const std::string& r : c.resources) {
            o.args.insert(o.args.end(), {"-xrm", r});
        }
        const std::optional<Window> client = session.launch(o);
        ASSERT_TRUE(client.has_value());
        EXPECT_TRUE(find_canvas(session.display(), *client, c.canvas_side).has_value())
            << "no canvas of " << c.canvas_side << " pixels";

        const std::vector<std::string> output = lines_of(session.program_output());
        if (c.bad_value == nullptr) {
            EXPECT_TRUE(output.empty()) << session.program_output();
            continue;
        }
        ASSERT_EQ(output.size(), 1u) << session.program_output();
        EXPECT_NE(output[0].find("Warning"), std::string::npos) << output[0];
        EXPECT_NE(output[0].find(std::string("\"") + c.bad_value + "\""), std::string::npos) << output[0];
        EXPECT_NE(output[0].find("resource scale"), std::string::npos) << output[0];
        EXPECT_TRUE(session.program().running());
    }
}

namespace {

// Which pixels of a picture are ink: those that differ from its most common
// pixel, the background.
std::vector<bool> ink_of(const picture& p)
{
    std::map<unsigned long, int> counts;
    for (const unsigned long v : p.pixels) {
        ++counts[v];
    }
    unsigned long background = 0;
    int most = 0;
    for (const auto& [value, count] : counts) {
        if (count > most) {
            most = count;
            background = value;
        }
    }
    std::vector<bool> ink;
    for (const unsigned long v : p.pixels) {
        ink.push_back(v != background);
    }
    return ink;
}

// The text drawn by the test itself in the server's "fixed" font, as ink.
struct rendered_text {
    picture ink_picture;
    std::vector<bool> ink;
};

rendered_text render(Display* display, const std::string& text)
{
    XFontStruct* font = XLoadQueryFont(display, "fixed");
    if (font == nullptr) {
        ADD_FAILURE() << "no font fixed";
        return {};
    }
    const int width = XTextWidth(font, text.c_str(), static_cast<int>(text.size()));
    const int height = font->ascent + font->descent;
    const Window root = DefaultRootWindow(display);
    const int screen = DefaultScreen(display);
    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        static_cast<unsigned>(DefaultDepth(display, screen)));
    const GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, gc, WhitePixel(display, screen));
    XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSetForeground(display, gc, BlackPixel(display, screen));
    XSetFont(display, gc, font->fid);
    XDrawString(display, pixmap, gc, 0, font->ascent, text.c_str(), static_cast<int>(text.size()));
    const std::optional<picture> drawn = read_drawable(display, pixmap, width, height);
    XFreeGC(display, gc);
    XFreePixmap(display, pixmap);
    XFreeFont(display, font);
    if (!drawn) {
        return {};
    }
    rendered_text out{*drawn, {}};
    for (const unsigned long v : drawn->pixels) {
        out.ink.push_back(v == BlackPixel(display, screen));
    }
    return out;
}

// Whether the text's ink appears exactly, pixel for pixel, somewhere in the
// ink of the tip.
bool shows_text(const picture& tip, const std::vector<bool>& tip_ink, const rendered_text& text)
{
    const int w = text.ink_picture.width;
    const int h = text.ink_picture.height;
    for (int oy = 0; oy + h <= tip.height; ++oy) {
        for (int ox = 0; ox + w <= tip.width; ++ox) {
            bool same = true;
            for (int y = 0; y < h && same; ++y) {
                for (int x = 0; x < w && same; ++x) {
                    same = tip_ink[static_cast<std::size_t>((oy + y) * tip.width + ox + x)] ==
                           text.ink[static_cast<std::size_t>(y * w + x)];
                }
            }
            if (same) {
                return true;
            }
        }
    }
    return false;
}

// A viewable override-redirect window at the top of the stack: the tip.
std::optional<Window> find_tip(Display* display)
{
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return std::nullopt;
    }
    std::optional<Window> tip;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(display, children[i], &a) != 0 && a.override_redirect && a.map_state == IsViewable &&
            a.width > 1) {
            tip = children[i];
        }
    }
    XFree(children);
    return tip;
}

}  // namespace

TEST(ViewsE2e, TooltipNamesThePhaseWhenThePointerRestsOnTheCanvas)
{
    // 2024-01-22 00:00 UTC: between first quarter (18th) and full moon (25th).
    const std::time_t start = utc_instant("2024-01-22 00:00:00");
    double illuminated = 0.0, moon_km = 0.0, moon_deg = 0.0, sun_km = 0.0, sun_deg = 0.0;
    const double p = lunar_state(jd_of(start), illuminated, moon_km, moon_deg, sun_km, sun_deg);
    ASSERT_GT(p, 0.3125);  // the Waxing gibbous sector, well inside it
    ASSERT_LT(p, 0.4375);
    std::array<char, 64> expected{};
    std::snprintf(expected.data(), expected.size(), "Waxing gibbous, %.0f%% illuminated", 100.0 * illuminated);

    e2e_session session;
    e2e_session::options o;
    o.args = {"-xrm", "Lunaclock.toolTipEnable: True", "-xrm", "Lunaclock.toolTipPostDelay: 300"};
    o.fake_start = start;
    const std::optional<Window> client = session.launch(o);
    ASSERT_TRUE(client.has_value());
    Display* display = session.display();
    const std::optional<Window> canvas = find_canvas(display, *client);
    ASSERT_TRUE(canvas.has_value());
    EXPECT_FALSE(find_tip(display).has_value());

    int x = 0;
    int y = 0;
    Window child = None;
    XTranslateCoordinates(display, *canvas, DefaultRootWindow(display), 32, 32, &x, &y, &child);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    ASSERT_EQ(run_tool(session.display_name(), {"xdotool", "mousemove", std::to_string(width - 1),
                                                std::to_string(height - 1)}),
              0);
    ASSERT_EQ(run_tool(session.display_name(), {"xdotool", "mousemove", std::to_string(x), std::to_string(y)}), 0);

    std::optional<Window> tip;
    ASSERT_TRUE(wait_until(display, [&] { return (tip = find_tip(display)).has_value(); }, 5s)) << "no tip posted";
    const std::optional<window_geometry> g = geometry_of(display, *tip);
    ASSERT_TRUE(g.has_value());
    // Below the pointer.
    EXPECT_GT(g->y, y);
    const std::optional<picture> shown = read_drawable(display, *tip, static_cast<int>(g->width),
                                                       static_cast<int>(g->height));
    ASSERT_TRUE(shown.has_value());
    const std::vector<bool> ink = ink_of(*shown);
    EXPECT_TRUE(shows_text(*shown, ink, render(display, expected.data()))) << "the tip does not read " << expected.data();
    // The comparison tells texts apart: one percent more is not on the tip.
    std::array<char, 64> other{};
    std::snprintf(other.data(), other.size(), "Waxing gibbous, %.0f%% illuminated", 100.0 * illuminated + 1.0);
    EXPECT_FALSE(shows_text(*shown, ink, render(display, other.data())));

    // Leaving the canvas takes the tip down.
    ASSERT_EQ(run_tool(session.display_name(), {"xdotool", "mousemove", std::to_string(width - 1),
                                                std::to_string(height - 1)}),
              0);
    EXPECT_TRUE(wait_until(display, [&] { return !find_tip(display).has_value(); }, 5s));
}
