// The order of the X requests that the program's own steps make, on the real
// binary seen through xtrace: start-up (the graphics context, the palette in
// slot order, the two start-up icons drawn column by column into slot 0 and
// then slot 1, the first icon, the mapping), then the first redraw and the
// one that the canvas's first exposure forces (the dark side, the lit spans
// with row 28 + i before row 28 - i, the red point; then the copy into the
// spare icon pixmap, the copy into the canvas, the free, the new icon, the
// swap), in colour and in black and white.
//
// The expected sequences are written from those steps below; the requests
// that the toolkit and the widgets make of their own (fonts, atoms, widget
// windows and their drawing) are left out of both sides.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"
#include "expected_picture.h"
#include "moon_images.h"
#include "moon_sun.h"
#include "test_dates.h"
#include "xtrace.h"

namespace {

constexpr const char* title = "Lunaclock   by Orvane   v3.0.3";

// ---- Known extras ----------------------------------------------------------
// Properties the program sets beyond the steps above, for desktops. They are
// checked for their position only, never for their payload, which may change.
constexpr const char* extra_after_map = "extra _NET_WM_PID";                // once, after the mapping
// After a new icon pixmap; a picture equal to the one last sent may be left
// out, so after a redraw of the same picture it may be missing.
constexpr const char* extra_after_icon = "extra _NET_WM_ICON";
constexpr const char* extra_after_icon_name = "extra _NET_WM_ICON_NAME";    // after every new icon name
const std::map<std::string, std::string> extra_properties{
    {"_NET_WM_PID", extra_after_map},
    {"_NET_WM_ICON", extra_after_icon},
    {"_NET_WM_ICON_NAME", extra_after_icon_name},
};
// ----------------------------------------------------------------------------

// The palette's colours in slot order (16-bit red, green, blue).
constexpr std::array<std::array<unsigned, 3>, 12> palette_table{{
    {0x0F0F, 0x0F0F, 0x0F0F}, {0xDFDF, 0xEFEF, 0xFFFF}, {0xBFBF, 0xCFCF, 0xDFDF}, {0x8F8F, 0x9F9F, 0xAFAF},
    {0x0000, 0x0000, 0x0000}, {0xE0E0, 0xF0F0, 0xFFFF}, {0xC0C0, 0xD0D0, 0xE0E0}, {0x9090, 0xA0A0, 0xB0B0},
    {0xFFFF, 0x0000, 0x0000}, {0x1010, 0x1010, 0x9090}, {0x1010, 0x1010, 0x7070}, {0x1010, 0x1010, 0x5050},
}};

std::string hex(unsigned long v)
{
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "%lx", v);
    return text.data();
}

std::string alloc_op(const std::array<unsigned, 3>& rgb)
{
    return "alloc " + hex(rgb[0]) + " " + hex(rgb[1]) + " " + hex(rgb[2]);
}

std::string point_op(const std::string& drawable, int x, int y, unsigned long pixel)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "point %s %d %d %lx", drawable.c_str(), x, y, pixel);
    return text.data();
}

// The program's requests reduced to the operations of its steps. Drawables
// are named by their part: the first two 64 by 64 pixmaps are icon0 and
// icon1, every later one is "picture"; the 64 by 64 window is the canvas. A
// point carries the foreground of the graphics context when it was drawn, so
// that Xlib's joining of points and dropping of unchanged foregrounds does
// not matter.
struct reduced_trace {
    std::vector<std::string> ops;
    std::vector<unsigned long> allocated;  // pixels of the AllocColor replies, in order
};

reduced_trace reduce(const std::vector<trace_line>& lines)
{
    // First pass: the shell (the window given the title), the icon pixmaps
    // and the program's graphics context (the one that copies into them).
    std::optional<unsigned long> shell;
    std::vector<unsigned long> pixmaps;
    std::optional<unsigned long> gc;
    for (const trace_line& l : lines) {
        if (l.direction != '<') {
            continue;
        }
        if (l.kind == "ChangeProperty" && trace_field(l.body, "property").value_or("").find("\"WM_NAME\"") !=
                                              std::string::npos &&
            trace_field(l.body, "data") == std::string(title)) {
            shell = trace_number(l.body, "window");
        } else if (l.kind == "CreatePixmap" && trace_field(l.body, "width") == "64" &&
                   trace_field(l.body, "height") == "64") {
            pixmaps.push_back(*trace_number(l.body, "pid"));
        } else if (!gc && pixmaps.size() >= 2 && (l.kind == "CopyArea" || l.kind == "PolyPoint")) {
            const std::optional<unsigned long> dst =
                trace_number(l.body, l.kind == "CopyArea" ? "dst-drawable" : "drawable");
            if (dst == pixmaps[0] || dst == pixmaps[1]) {
                gc = trace_number(l.body, "gc");
            }
        }
    }
    reduced_trace out;
    if (!shell || !gc || pixmaps.size() < 2) {
        return out;
    }

    std::map<unsigned long, std::string> names{{pixmaps[0], "icon0"}, {pixmaps[1], "icon1"}};
    const auto name_of = [&](unsigned long id) {
        const auto it = names.find(id);
        return it == names.end() ? std::string("other") : it->second;
    };
    bool started = false;
    bool mapped = false;
    bool icons_made = false;
    unsigned long foreground = 0;
    for (const trace_line& l : lines) {
        if (l.direction == '>') {
            if (started && l.kind == "Reply to AllocColor" && !icons_made) {
                out.allocated.push_back(*trace_number(l.body, "pixel"));
            }
            continue;
        }
        if (l.kind == "CreateGC" && trace_number(l.body, "cid") == gc) {
            started = true;
            out.ops.emplace_back("gc");
            continue;
        }
        if (!started) {
            continue;
        }
        if (l.kind == "AllocColor" && !icons_made) {
            out.ops.push_back(alloc_op({static_cast<unsigned>(*trace_number(l.body, "red")),
                                        static_cast<unsigned>(*trace_number(l.body, "green")),
                                        static_cast<unsigned>(*trace_number(l.body, "blue"))}));
        } else if (l.kind == "CreatePixmap" && trace_field(l.body, "width") == "64" &&
                   trace_field(l.body, "height") == "64") {
            const unsigned long id = *trace_number(l.body, "pid");
            if (names.find(id) == names.end()) {
                names[id] = "picture";
            }
            icons_made = icons_made || id == pixmaps[1];
            out.ops.push_back("create " + names[id]);
        } else if (l.kind == "CreateWindow" && trace_field(l.body, "width") == "64" &&
                   trace_field(l.body, "height") == "64") {
            names[*trace_number(l.body, "window")] = "canvas";
        } else if (l.kind == "PutImage" && names.count(*trace_number(l.body, "drawable")) != 0) {
            out.ops.push_back("bitmap " + name_of(*trace_number(l.body, "drawable")));
        } else if (l.kind == "ChangeGC" && trace_number(l.body, "gc") == gc) {
            if (const std::optional<unsigned long> fg = trace_number(l.body, "foreground")) {
                foreground = *fg;
            }
        } else if (l.kind == "PolyPoint" && trace_number(l.body, "gc") == gc) {
            const std::string drawable = name_of(*trace_number(l.body, "drawable"));
            for (std::size_t at = l.body.find("{x="); at != std::string::npos; at = l.body.find("{x=", at + 1)) {
                int x = 0;
                int y = 0;
                std::sscanf(l.body.c_str() + at, "{x=%d y=%d}", &x, &y);
                out.ops.push_back(point_op(drawable, x, y, foreground));
            }
        } else if (l.kind == "CopyArea" && trace_number(l.body, "gc") == gc) {
            out.ops.push_back("copy " + name_of(*trace_number(l.body, "src-drawable")) + " " +
                              name_of(*trace_number(l.body, "dst-drawable")));
        } else if (l.kind == "FreePixmap" && names.count(*trace_number(l.body, "drawable")) != 0) {
            out.ops.push_back("free " + name_of(*trace_number(l.body, "drawable")));
        } else if (l.kind == "MapWindow" && trace_number(l.body, "window") == shell) {
            mapped = true;
            out.ops.emplace_back("map");
        } else if (l.kind == "ChangeProperty" && trace_number(l.body, "window") == shell) {
            const std::string property = trace_field(l.body, "property").value_or("");
            const auto quoted = property.find('"');
            const std::string atom =
                quoted == std::string::npos ? property : property.substr(quoted + 1, property.rfind('"') - quoted - 1);
            if (atom == "WM_HINTS") {
                // flags, input, initial_state, icon_pixmap, ...
                const std::string data = trace_field(l.body, "data").value_or("");
                std::vector<std::string> words;
                for (std::size_t from = 0;;) {
                    const auto comma = data.find(',', from);
                    words.push_back(data.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
                    if (comma == std::string::npos) {
                        break;
                    }
                    from = comma + 1;
                }
                if (words.size() >= 4) {
                    out.ops.push_back("icon " + name_of(std::strtoul(words[3].c_str(), nullptr, 0)));
                }
            } else if (atom == "WM_ICON_NAME" && mapped) {
                // The toolkit writes its default icon name while realizing;
                // the program's own come after the mapping.
                out.ops.emplace_back("icon name");
            } else if (const auto extra = extra_properties.find(atom); extra != extra_properties.end()) {
                out.ops.push_back(extra->second);
            }
        }
    }
    return out;
}

// ---- The expected sequences, from the program's steps ------------------------

// The points of one colour picture, in drawing order, as (x, y, slot).
struct slot_point {
    int x;
    int y;
    int slot;
};
std::vector<slot_point> colour_points(double p)
{
    std::vector<slot_point> points;
    // The dark side, column by column.
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 64; ++y) {
            const int level = moon_color_image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            points.push_back({x, y, level <= 0 ? 4 : 8 + level});
        }
    }
    // The lit spans: row 28 + i, then row 28 - i.
    const double r = expected_colour_radius(p);
    for (int i = 0; i < static_cast<int>(r); ++i) {
        const auto [left, right] = expected_lit_span(i, r, p);
        const auto draw_row = [&](int row) {
            for (int x = left; x <= right; ++x) {
                const int level = moon_color_image[static_cast<std::size_t>(row)][static_cast<std::size_t>(x)];
                points.push_back({x, row, 4 + level});
            }
        };
        draw_row(28 + i);
        if (i != 0) {
            draw_row(28 - i);
        }
    }
    // The red point, last.
    points.push_back({41, 29, 8});
    return points;
}

// One redraw's end: the copies, the free, the new icon (the spare, which the
// swap then makes current), the icon name on the first redraw only.
// An expected operation that may be missing is marked with a trailing '?'.
void append_show(std::vector<std::string>& ops, const std::string& spare, bool first)
{
    ops.push_back("copy picture " + spare);
    ops.emplace_back("copy picture canvas");
    ops.emplace_back("free picture");
    ops.push_back("icon " + spare);
    ops.push_back(first ? std::string(extra_after_icon) : std::string(extra_after_icon) + "?");
    if (first) {
        ops.emplace_back("icon name");
        ops.emplace_back(extra_after_icon_name);
    }
}

std::vector<std::string> expected_colour(const std::vector<unsigned long>& pixel, double p)
{
    std::vector<std::string> ops{"gc"};
    for (const auto& rgb : palette_table) {
        ops.push_back(alloc_op(rgb));
    }
    ops.emplace_back("create icon0");
    ops.emplace_back("create icon1");
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 64; ++y) {
            const int level = moon_color_image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            ops.push_back(point_op("icon0", x, y, pixel[static_cast<std::size_t>(level)]));
            ops.push_back(point_op("icon1", x, y, pixel[static_cast<std::size_t>(level)]));
        }
    }
    ops.emplace_back("icon icon0");
    ops.emplace_back("map");
    ops.emplace_back(extra_after_map);
    // The first redraw paints the spare, icon1; the forced one then icon0.
    for (const auto& [spare, first] : {std::pair{"icon1", true}, std::pair{"icon0", false}}) {
        ops.emplace_back("create picture");
        for (const slot_point& pt : colour_points(p)) {
            ops.push_back(point_op("picture", pt.x, pt.y, pixel[static_cast<std::size_t>(pt.slot)]));
        }
        append_show(ops, spare, first);
    }
    return ops;
}

std::vector<std::string> expected_monochrome()
{
    std::vector<std::string> ops{"gc", "create icon0", "bitmap icon0", "create icon1", "bitmap icon1",
                                 "icon icon0", "map", extra_after_map};
    for (const auto& [spare, first] : {std::pair{"icon1", true}, std::pair{"icon0", false}}) {
        ops.emplace_back("create picture");
        ops.emplace_back("bitmap picture");
        append_show(ops, spare, first);
    }
    return ops;
}

// ----------------------------------------------------------------------------

// 2024 January 19, 12:00 UT: a waxing moon past its first quarter, with wide
// lit spans; no span edge moves within the first two minutes.
const std::time_t fake_start = utc_instant("2024-01-19 12:00:00");

double phase_at(std::time_t t)
{
    double illuminated = 0.0;
    double moon_km = 0.0;
    double moon_deg = 0.0;
    double sun_km = 0.0;
    double sun_deg = 0.0;
    return lunar_state(jd_of(t), illuminated, moon_km, moon_deg, sun_km, sun_deg);
}

// Matches what was seen against what is expected, in order; an expected
// operation marked '?' may be missing. Seen operations past the expected ones
// (later runs) are not looked at.
struct match_result {
    bool complete = false;  // every expected operation seen
    std::string wrong;      // where the two part, with a little context; empty if they do not
};

match_result match(const std::vector<std::string>& got, const std::vector<std::string>& want)
{
    std::size_t g = 0;
    std::size_t w = 0;
    while (w < want.size() && g < got.size()) {
        const bool optional = want[w].back() == '?';
        const std::string op = optional ? want[w].substr(0, want[w].size() - 1) : want[w];
        if (got[g] == op) {
            ++g;
            ++w;
        } else if (optional) {
            ++w;
        } else {
            std::string out = "seen operation " + std::to_string(g) + " is not the expected " + std::to_string(w) + "\n";
            for (std::size_t k = 0; k < 7; ++k) {
                const std::size_t gk = g + k >= 3 ? g + k - 3 : 0;
                const std::size_t wk = w + k >= 3 ? w + k - 3 : 0;
                if (g + k < 3 || w + k < 3) {
                    continue;
                }
                out += (k == 3 ? "> " : "  ") + std::string("seen '") + (gk < got.size() ? got[gk] : "<end>") +
                       "', expected '" + (wk < want.size() ? want[wk] : "<end>") + "'\n";
            }
            return {false, out};
        }
    }
    // Optional operations at the very end are not waited for.
    while (w < want.size() && want[w].back() == '?') {
        ++w;
    }
    return {w == want.size(), ""};
}

struct sequence_case {
    const char* name;
    std::vector<std::string> args;
    bool colour;
};

void PrintTo(const sequence_case& c, std::ostream* os) { *os << c.name; }

class RequestSequence : public ::testing::TestWithParam<sequence_case> {};

TEST_P(RequestSequence, StartUpAndTheFirstTwoRedrawsFollowTheSteps)
{
    const sequence_case& c = GetParam();
    // The expected picture must not depend on when within its first two
    // minutes the program draws it.
    ASSERT_EQ(colour_points(phase_at(fake_start)).size(), colour_points(phase_at(fake_start + 120)).size());

    private_xvfb server;
    x_connection watcher(server.display_name());
    traced_program program(server.display_name(), {c.args, {"TZ=UTC"}, fake_start});

    reduced_trace seen;
    std::vector<std::string> want;
    match_result result;
    wait_until(
        watcher,
        [&] {
            seen = reduce(program.lines());
            if (c.colour && seen.allocated.size() < palette_table.size()) {
                return false;
            }
            want = c.colour ? expected_colour(seen.allocated, phase_at(fake_start)) : expected_monochrome();
            result = match(seen.ops, want);
            return result.complete || !result.wrong.empty();
        },
        30s);
    EXPECT_EQ(result.wrong, "") << program.output();
    EXPECT_TRUE(result.complete) << seen.ops.size() << " operations seen of " << want.size()
                                 << " expected; " << program.output();
}

INSTANTIATE_TEST_SUITE_P(Modes, RequestSequence,
                         ::testing::Values(sequence_case{"colour", {}, true},
                                           sequence_case{"monochrome", {"-m"}, false}),
                         [](const ::testing::TestParamInfo<sequence_case>& info) { return info.param.name; });

}  // namespace
