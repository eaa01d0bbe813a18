// Checks on the compiled-in full-moon pictures.  The phase drawing copies the
// bitmap only inside the lit spans and paints the colour levels straight into
// the icon, so the pictures must match that disc pixel for pixel; and the two
// pictures are shown in turn (colour mapped, monochrome iconified), so they
// must show the same surface.
#include "moon_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int size = 64;
constexpr int centre_x = 32;
constexpr int centre_y = 28;
constexpr double radius = 27.0;

struct span {
    int first;
    int last;
};

// Full-moon lit span of offset i for radius 27: the columns the phase drawing
// copies from the bitmap in rows 28 + i and 28 - i.
span full_moon_span(int i)
{
    const double k = std::cos(std::asin(i / radius)) * radius;
    return {static_cast<int>(centre_x - k), static_cast<int>(centre_x + k)};
}

// The disc of both pictures: the radius-27 spans of rows 2..54, except that
// row 28 stops at column 58.
bool in_disc(int x, int y)
{
    const int i = std::abs(y - centre_y);
    if (i > 26)
        return false;
    span s = full_moon_span(i);
    if (i == 0)
        s.last -= 1;
    return x >= s.first && x <= s.last;
}

class Artwork : public ::testing::Test {
protected:
    mono_bitmap bits = full_moon_bitmap();

    bool dark(int x, int y) const { return (bits[8 * y + x / 8] >> (x % 8)) & 1; }
    int level(int x, int y) const { return moon_color_image[y][x]; }

    // Both pictures as text, for a failure message: '.' sky, '1'..'3' levels,
    // upper case where the bitmap has a 0 bit.
    std::string picture() const
    {
        std::string out;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int l = level(x, y);
                char c = l == 0 ? '.' : static_cast<char>('0' + l);
                if (!dark(x, y))
                    c = l == 0 ? '!' : static_cast<char>("ABCD"[l]);
                out += c;
            }
            out += '\n';
        }
        return out;
    }
};

TEST(ArtworkGeometry, DiscSpansAtTheirKnownEnds)
{
    // Rows 21..35 reach columns 5..58, row 28 by the rule 5..59; rows 2 and
    // 54 cover 24..39.  Pins the disc helper itself against the figures the
    // drawing code was designed with.
    const span s0 = full_moon_span(0);
    EXPECT_EQ(s0.first, 5);
    EXPECT_EQ(s0.last, 59);
    for (int i = 1; i <= 7; ++i) {
        SCOPED_TRACE("offset " + std::to_string(i));
        EXPECT_EQ(full_moon_span(i).first, 5);
        EXPECT_EQ(full_moon_span(i).last, 58);
    }
    EXPECT_EQ(full_moon_span(26).first, 24);
    EXPECT_EQ(full_moon_span(26).last, 39);
    EXPECT_FALSE(in_disc(59, 28));
    EXPECT_TRUE(in_disc(58, 28));
}

TEST_F(Artwork, LevelZeroExactlyOutsideTheDisc)
{
    int outside = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int l = level(x, y);
            if (!in_disc(x, y)) {
                ++outside;
                EXPECT_EQ(l, 0) << "column " << x << ", row " << y << " lies outside the disc";
            } else {
                EXPECT_GE(l, 1) << "column " << x << ", row " << y << " lies inside the disc";
                EXPECT_LE(l, 3) << "column " << x << ", row " << y;
            }
        }
    EXPECT_EQ(outside, 1758);
    EXPECT_EQ(level(59, 28), 0) << "the pixel the colour picture near new moon would light";
}

TEST_F(Artwork, RowsAboveAndBelowTheDiscAreDarkSky)
{
    for (int y : {0, 1, 55, 56, 57, 58, 59, 60, 61, 62, 63}) {
        SCOPED_TRACE("row " + std::to_string(y));
        for (int b = 0; b < 8; ++b)
            EXPECT_EQ(bits[8 * y + b], 0xFF) << "byte " << b;
        for (int x = 0; x < size; ++x)
            EXPECT_EQ(level(x, y), 0) << "column " << x;
    }
}

TEST_F(Artwork, EveryLitBitInsideTheDisc)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (!dark(x, y)) {
                EXPECT_TRUE(in_disc(x, y)) << "0 bit at column " << x << ", row " << y << "\n"
                                           << picture();
            }
}

TEST_F(Artwork, FullMoonPhaseBitmapEqualsTheBitmap)
{
    // Build the full-moon phase picture the way the drawing does: all dark,
    // then copy the bitmap's bits inside the spans of offsets 0..26.
    mono_bitmap phase;
    phase.fill(0xFF);
    auto copy_row = [&](int y, span s) {
        for (int x = s.first; x <= s.last; ++x) {
            const std::uint8_t mask = static_cast<std::uint8_t>(1u << (x % 8));
            const int byte = 8 * y + x / 8;
            phase[byte] = static_cast<std::uint8_t>((phase[byte] & ~mask) | (bits[byte] & mask));
        }
    };
    for (int i = 0; i <= 26; ++i) {
        const span s = full_moon_span(i);
        copy_row(centre_y + i, s);
        if (i != 0)
            copy_row(centre_y - i, s);
    }
    for (std::size_t b = 0; b < phase.size(); ++b)
        EXPECT_EQ(static_cast<int>(phase[b]), static_cast<int>(bits[b]))
            << "byte " << b << " (row " << b / 8 << ")";
}

TEST_F(Artwork, RedPointFallsOnTheDarkestLevel)
{
    EXPECT_EQ(level(41, 29), 3);
    EXPECT_TRUE(dark(41, 29));
}

TEST_F(Artwork, BothPicturesShowTheSameSurface)
{
    int lit = 0, lit_bright = 0, disc_dark = 0, disc_dark_level3 = 0;
    int count[4] = {};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int l = level(x, y);
            if (l < 0 || l > 3)
                continue;  // reported by LevelZeroExactlyOutsideTheDisc
            ++count[l];
            if (!dark(x, y)) {
                ++lit;
                lit_bright += l == 1 || l == 2;
            } else if (l != 0) {
                ++disc_dark;
                disc_dark_level3 += l == 3;
            }
        }
    const int disc = count[1] + count[2] + count[3];
    ASSERT_GT(disc, 0);
    // Each level carries a real share of the surface: a quantiser that
    // collapsed to one or two levels would leave a flat disc.
    for (int l = 1; l <= 3; ++l)
        EXPECT_GE(count[l], disc / 10) << "level " << l << ": " << count[l] << " of " << disc;
    // About 60% of the full moon is bright highland; monochrome must not be
    // mostly black nor mostly white.
    EXPECT_GE(lit, disc * 2 / 5) << lit << " lit of " << disc;
    EXPECT_LE(lit, disc * 4 / 5) << lit << " lit of " << disc;
    EXPECT_GE(lit_bright * 10, lit * 9) << lit_bright << " of " << lit << " 0 bits on levels 1/2";
    EXPECT_GE(disc_dark_level3 * 100, disc_dark * 85)
        << disc_dark_level3 << " of " << disc_dark << " disc 1 bits on level 3";
}

struct feature {
    const char* name;
    double lat_deg;  // selenographic latitude, north positive
    double lon_deg;  // selenographic longitude, east positive
    bool mare;       // dark plain (level 3, 1 bits) or bright highland
};

// Features whose look differs from their mirror images, so a picture flipped
// left to right or upside down fails: Mare Humorum's east-west mirror is
// bright highland, and Tycho's north-south mirror lies in Mare Imbrium.
constexpr feature features[] = {
    {"Mare Crisium", 17.0, 59.0, true},
    {"Mare Imbrium", 33.0, -16.0, true},
    {"Mare Humorum", -24.0, -39.0, true},
    {"highlands at Humorum's mirror point", -24.0, 39.0, false},
    {"Tycho", -43.0, -11.0, false},
};

TEST_F(Artwork, FeaturesStandWhereTheNearSideShowsThem)
{
    constexpr double deg = 3.14159265358979323846 / 180.0;
    for (const feature& f : features) {
        // Orthographic projection onto the disc, east to the right, north up.
        const int x = static_cast<int>(std::lround(
            centre_x + radius * std::cos(f.lat_deg * deg) * std::sin(f.lon_deg * deg)));
        const int y = static_cast<int>(std::lround(centre_y - radius * std::sin(f.lat_deg * deg)));
        SCOPED_TRACE(std::string(f.name) + " at column " + std::to_string(x) + ", row " +
                     std::to_string(y));
        int matching_level = 0, matching_bit = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int l = level(x + dx, y + dy);
                matching_level += f.mare ? l == 3 : (l == 1 || l == 2);
                matching_bit += dark(x + dx, y + dy) == f.mare;
            }
        EXPECT_GE(matching_level, 7) << "of 9 pixels around it\n" << picture();
        EXPECT_GE(matching_bit, 7) << "of 9 pixels around it";
    }
}

}  // namespace
