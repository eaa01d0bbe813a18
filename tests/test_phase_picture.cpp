// The phase picture without a display: lit spans, the one-bit phase bitmap,
// the colour drawing's final slots and the icon name.
#include "phase_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "expected_picture.h"

namespace {

bool dark(const mono_bitmap& bits, int x, int y) { return ((bits[8 * y + x / 8] >> (x % 8)) & 1) != 0; }

// Half-width of the disc at offset i, by Pythagoras rather than the drawing's
// cos(asin()): neither radius 27 nor 28 has an integer leg but i = 0, so the
// two agree after truncation.
double half_width(int i, double r) { return std::sqrt(r * r - static_cast<double>(i) * i); }

std::string describe(double p, double r)
{
    char text[64];
    std::snprintf(text, sizeof text, "p = %.17g, r = %.1f", p, r);
    return text;
}

bool lit_slot(int slot) { return slot >= slot_lit_base + 1 && slot <= slot_lit_base + 3; }

const mono_bitmap moon = full_moon_bitmap();

}  // namespace

TEST(LitSpan, FullMoonSpansMatchTheDiscOfThePictures)
{
    // Radius-27 full-moon spans: row 28 columns 5..59, rows 21..35 5..58,
    // rows 2 and 54 24..39.
    struct row {
        int i;
        int left;
        int right;
    };
    constexpr row rows[] = {{0, 5, 59}, {1, 5, 58}, {7, 5, 58}, {26, 24, 39}};
    const double c = std::cos(two_pi * 0.5);
    for (const row& expected : rows) {
        SCOPED_TRACE("offset " + std::to_string(expected.i));
        const lit_span span = lit_span_at(expected.i, 27.0, c, 0.5);
        EXPECT_EQ(span.left, expected.left);
        EXPECT_EQ(span.right, expected.right);
    }
}

TEST(LitSpan, NewAndQuarterMoonsHaveTheirInnerEdgeWhereExpected)
{
    for (const double r : {27.0, 28.0}) {
        for (int i = 0; i < static_cast<int>(r); ++i) {
            SCOPED_TRACE("r = " + std::to_string(r) + ", offset " + std::to_string(i));
            const int limb_right = static_cast<int>(32.0 + half_width(i, r));
            const int limb_left = static_cast<int>(32.0 - half_width(i, r));

            const lit_span new_moon = lit_span_at(i, r, std::cos(two_pi * 0.0), 0.0);
            EXPECT_EQ(new_moon.left, limb_right);
            EXPECT_EQ(new_moon.right, limb_right);

            const lit_span first = lit_span_at(i, r, std::cos(two_pi * 0.25), 0.25);
            EXPECT_EQ(first.left, 32);
            EXPECT_EQ(first.right, limb_right);

            const lit_span last = lit_span_at(i, r, std::cos(two_pi * 0.75), 0.75);
            EXPECT_EQ(last.left, limb_left);
            EXPECT_EQ(last.right, 32);

            // p = 1 is new moon again, seen from the waning side.
            const lit_span end = lit_span_at(i, r, std::cos(two_pi * 1.0), 1.0);
            EXPECT_EQ(end.left, limb_left);
            EXPECT_EQ(end.right, limb_left);
        }
    }
}

TEST(LitSpan, StaysInsideThePictureForEveryPhase)
{
    // Columns 4..60 and rows 1..55 for all p in [0, 1], both radii.
    for (int step = 0; step <= 4000; ++step) {
        const double p = step / 4000.0;
        const double c = std::cos(two_pi * p);
        for (const double r : {27.0, 28.0}) {
            const int n = static_cast<int>(r);
            for (int i = 0; i < n; ++i) {
                const lit_span span = lit_span_at(i, r, c, p);
                if (span.left < 4 || span.right > 60 || span.right < span.left) {
                    ADD_FAILURE() << describe(p, r) << ", offset " << i << ": span " << span.left << ".."
                                  << span.right;
                    return;
                }
                EXPECT_GE(disc_centre_y - i, 1);
                EXPECT_LE(disc_centre_y + i, 55);
            }
        }
    }
}

TEST(PictureRadius, LargerOnlyOnTheColourPathStrictlyNearNewMoon)
{
    struct row {
        double p;
        double colour_radius;
    };
    constexpr row rows[] = {{0.0, 28.0},  {0.005, 28.0},  {0.0099999, 28.0}, {0.01, 27.0}, {0.25, 27.0},
                            {0.5, 27.0},  {0.99, 27.0},   {0.9900001, 28.0}, {0.995, 28.0}, {1.0, 28.0}};
    for (const row& expected : rows) {
        SCOPED_TRACE(describe(expected.p, expected.colour_radius));
        EXPECT_EQ(picture_radius(true, expected.p), expected.colour_radius);
        EXPECT_EQ(picture_radius(false, expected.p), 27.0);
    }
}

TEST(ColourPath, TakenOnlyWhenShownInColour)
{
    EXPECT_TRUE(colour_path(false, 1));
    EXPECT_FALSE(colour_path(true, 1));  // the icon is monochrome while iconified
    EXPECT_FALSE(colour_path(false, 0));
    EXPECT_FALSE(colour_path(true, 0));
}

TEST(PhaseBitmap, FullMoonIsTheFullMoonBitmap)
{
    const mono_bitmap built = build_phase_bitmap(moon, 0.5, 27.0);
    for (std::size_t b = 0; b < built.size(); ++b) {
        ASSERT_EQ(built[b], moon[b]) << "byte " << b;
    }
}

// Every bitmap equals the moon inside an expected lit region and is dark
// elsewhere; each region is put here in its own plain terms.
TEST(PhaseBitmap, MatchesTheExpectedLitRegion)
{
    struct row {
        const char* name;
        double p;
        bool (*lit)(int x, int y);
    };
    const row rows[] = {
        {"new moon: one column on the right-hand limb", 0.0,
         [](int x, int y) {
             const int i = std::abs(y - 28);
             return i <= 26 && x == static_cast<int>(32.0 + half_width(i, 27.0));
         }},
        {"first quarter: right half", 0.25, [](int x, int y) { return std::abs(y - 28) <= 26 && x >= 32; }},
        {"full moon: whole disc", 0.5, [](int, int y) { return std::abs(y - 28) <= 26; }},
        {"last quarter: left half", 0.75, [](int x, int y) { return std::abs(y - 28) <= 26 && x <= 32; }},
        {"new moon from the waning side: one column on the left-hand limb", 1.0,
         [](int x, int y) {
             const int i = std::abs(y - 28);
             return i <= 26 && x == static_cast<int>(32.0 - half_width(i, 27.0));
         }},
    };
    for (const row& expected : rows) {
        SCOPED_TRACE(expected.name);
        const mono_bitmap built = build_phase_bitmap(moon, expected.p, 27.0);
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const bool want_dark = expected.lit(x, y) ? dark(moon, x, y) : true;
                if (dark(built, x, y) != want_dark && ++wrong <= 5) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << (want_dark ? "lit" : "dark");
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(PhaseBitmap, GrowsWithTheWaxingAndShrinksWithTheWaningMoon)
{
    // Lit pixels at p and 1 - p cover mirrored spans; their count rises to
    // full moon and falls after it.
    auto lit_pixels = [](const mono_bitmap& bits) {
        int count = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                count += dark(bits, x, y) ? 0 : 1;
            }
        }
        return count;
    };
    auto lit_count = [&](double p) { return lit_pixels(build_phase_bitmap(moon, p, 27.0)); };
    const double phases[] = {0.0, 0.01, 0.1, 0.2, 0.25, 0.3, 0.4, 0.5};
    int previous = -1;
    for (const double p : phases) {
        const int count = lit_count(p);
        EXPECT_GE(count, previous) << "waxing, p = " << p;
        previous = count;
    }
    EXPECT_EQ(previous, lit_pixels(moon));  // every lit pixel of the full moon
    for (const double p : {0.6, 0.7, 0.75, 0.8, 0.9, 0.99, 1.0}) {
        const int count = lit_count(p);
        EXPECT_LE(count, previous) << "waning, p = " << p;
        previous = count;
    }
}

TEST(PhaseBitmap, TopRowStaysDarkSoAForcedByteNeverMatches)
{
    for (const double p : {0.0, 0.01, 0.25, 0.5, 0.75, 0.99, 1.0, 0.123, 0.618}) {
        for (const double r : {27.0, 28.0}) {
            const mono_bitmap built = build_phase_bitmap(moon, p, r);
            for (int b = 0; b < 8; ++b) {
                EXPECT_EQ(built[static_cast<std::size_t>(b)], 0xFF) << describe(p, r) << ", byte " << b;
            }
        }
    }
}

TEST(ColourPicture, NearNewMoonOnlyTheDarkSideAndTheRedPointShow)
{
    for (const double p : {0.0, 0.001, 0.005, 0.0099999, 0.9900001, 0.995, 0.999, 1.0}) {
        SCOPED_TRACE(describe(p, 28.0));
        const double r = picture_radius(true, p);
        ASSERT_EQ(r, 28.0);
        const mono_bitmap built = build_phase_bitmap(moon, p, r);
        for (std::size_t b = 0; b < built.size(); ++b) {
            ASSERT_EQ(built[b], 0xFF) << "byte " << b;
        }
        const slot_picture picture = colour_picture(p, r);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                ASSERT_FALSE(lit_slot(picture[y][x])) << "lit pixel at (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(picture[red_point_y][red_point_x], slot_red);
    }
}

TEST(ColourPicture, AtTheThresholdsASliverIsLit)
{
    for (const double p : {0.01, 0.99}) {
        SCOPED_TRACE(describe(p, 27.0));
        const slot_picture picture = colour_picture(p, picture_radius(true, p));
        std::vector<std::pair<int, int>> lit;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (lit_slot(picture[y][x])) {
                    lit.emplace_back(x, y);
                }
            }
        }
        ASSERT_FALSE(lit.empty());
        // A sliver on the limb: no more than one lit pixel in any row.
        for (std::size_t k = 1; k < lit.size(); ++k) {
            EXPECT_NE(lit[k].second, lit[k - 1].second) << "row " << lit[k].second << " has more than one";
        }
        const int limb_x = p < 0.5 ? 58 : 5;
        EXPECT_TRUE(lit_slot(picture[28][limb_x])) << "row 28, column " << limb_x;
    }
}

// Every pixel of a colour redraw ends with the lit-side slot of its level
// inside the lit spans, the dark-side slot outside, and the red point on top.
// The spans are the test's own (expected_picture.h); a few of them, worked by
// hand from the formulas, hold that expectation to the formulas first.
TEST(ColourPicture, SlotsFollowTheLitSpansAndTheLevels)
{
    struct hand_span {
        double p;
        double r;
        int i;
        int left;
        int right;
    };
    // c = cos(2 pi p): 1 at 0, 0.809017 at 0.1 and 0.9, 0 at 0.25 and 0.75,
    // -1 at 0.5; K = sqrt(r^2 - i^2): 27 and 28 at i = 0, 25.080 (r 27, i 10),
    // 18.439 (i 20), 7.280 (i 26), and 7.416 for r 28, i 27.
    constexpr hand_span hand[] = {
        {0.0, 28.0, 0, 60, 60},  {0.0, 28.0, 27, 39, 39}, {0.1, 27.0, 0, 53, 59},  {0.1, 27.0, 10, 52, 57},
        {0.1, 27.0, 26, 37, 39}, {0.25, 27.0, 0, 32, 59}, {0.25, 27.0, 20, 32, 50}, {0.5, 27.0, 0, 5, 59},
        {0.5, 27.0, 20, 13, 50}, {0.75, 27.0, 10, 6, 32}, {0.75, 27.0, 26, 24, 32}, {0.9, 27.0, 0, 5, 10},
        {0.9, 27.0, 20, 13, 17},
    };
    for (const hand_span& h : hand) {
        SCOPED_TRACE(describe(h.p, h.r) + ", i = " + std::to_string(h.i));
        EXPECT_EQ(expected_lit_span(h.i, h.r, h.p), std::make_pair(h.left, h.right));
        // The program's picture shows exactly that span in row 28 + i.
        const slot_picture picture = colour_picture(h.p, h.r);
        const auto row = static_cast<std::size_t>(28 + h.i);
        for (int x = h.left - 1; x <= h.right + 1; ++x) {
            const bool inside = x >= h.left && x <= h.right;
            if (moon_color_image[row][static_cast<std::size_t>(x)] > 0 && !(x == red_point_x && 28 + h.i == red_point_y)) {
                EXPECT_EQ(lit_slot(picture[row][static_cast<std::size_t>(x)]), inside) << "column " << x;
            }
        }
    }

    for (const double p : {0.0, 0.01, 0.1, 0.25, 0.4, 0.5, 0.6, 0.75, 0.9, 0.99, 1.0}) {
        const double r = expected_colour_radius(p);
        SCOPED_TRACE(describe(p, r));
        EXPECT_EQ(picture_radius(true, p), r);
        const slot_picture picture = colour_picture(p, r);
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const int want = expected_colour_slot(p, r, x, y);
                if (picture[y][x] != want && ++wrong <= 5) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): slot " << int{picture[y][x]} << ", want "
                                  << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ColourPicture, RedPointShowsAtEveryPhase)
{
    for (int step = 0; step <= 200; ++step) {
        const double p = step / 200.0;
        const slot_picture picture = colour_picture(p, picture_radius(true, p));
        ASSERT_EQ(picture[red_point_y][red_point_x], slot_red) << describe(p, picture_radius(true, p));
    }
}

TEST(ColourPicture, MonochromeAgreesWithColourWhereTheRadiusIs27)
{
    // The pixels that the bitmap shows lit are lit-side pixels in colour.
    for (const double p : {0.01, 0.2, 0.5, 0.8, 0.99}) {
        SCOPED_TRACE(describe(p, 27.0));
        const mono_bitmap built = build_phase_bitmap(moon, p, 27.0);
        const slot_picture picture = colour_picture(p, 27.0);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!dark(built, x, y) && !(x == red_point_x && y == red_point_y)) {
                    ASSERT_TRUE(lit_slot(picture[y][x])) << "pixel (" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST(IconName, DaysAndHoursOnceADayOldHoursAndMinutesBefore)
{
    struct row {
        int days, hours, minutes;
        const char* text;
    };
    constexpr row rows[] = {
        {1, 6, 15, "1d 6h"}, {0, 23, 58, "23h 58m"}, {0, 0, 0, "0h 0m"}, {14, 18, 28, "14d 18h"}, {29, 12, 44, "29d 12h"},
    };
    for (const row& expected : rows) {
        EXPECT_STREQ(icon_name_text(expected.days, expected.hours, expected.minutes).data(), expected.text);
    }
}
