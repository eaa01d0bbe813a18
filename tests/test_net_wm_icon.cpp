// The ARGB pictures given to taskbars as _NET_WM_ICON, built without a display.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "net_wm_icon.h"
#include "phase_picture.h"

namespace {

std::string hex(unsigned long v)
{
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "0x%08lX", v);
    return text.data();
}

argb_picture filled(std::uint32_t argb)
{
    argb_picture p{};
    for (auto& row : p) {
        row.fill(argb);
    }
    return p;
}

std::uint32_t alpha(std::uint32_t argb) { return argb >> 24; }

}  // namespace

// Opaque, red in bits 16..23, green 8..15, blue 0..7, each the top byte of
// the 16-bit colour asked for that slot.
TEST(NetWmIcon, SlotColourIsOpaqueArgbOfTopBytes)
{
    struct row {
        int slot;
        std::uint32_t argb;
    };
    constexpr std::array<row, 8> cases{{
        {0, 0xFF0F0F0FU},   // start-up sky
        {1, 0xFFDFEFFFU},   // start-up brightest level
        {slot_sky, 0xFF000000U},
        {5, 0xFFE0F0FFU},   // lit level 1
        {7, 0xFF90A0B0U},   // lit level 3
        {slot_red, 0xFFFF0000U},
        {9, 0xFF101090U},   // dark level 1
        {11, 0xFF101050U},  // dark level 3
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << c.slot);
        EXPECT_EQ(hex(argb_of_slot(c.slot)), hex(c.argb));
    }
}

// Five sizes, smallest first, each its width, its height and its pixels.
TEST(NetWmIcon, CarriesSixteenToSixtyFourPixels)
{
    const net_wm_icon_data icon = net_wm_icon_of(filled(argb_white));
    std::size_t at = 0;
    for (const int side : {16, 24, 32, 48, 64}) {
        SCOPED_TRACE(side);
        ASSERT_LT(at + 1, icon.size());
        EXPECT_EQ(icon[at], static_cast<unsigned long>(side));
        EXPECT_EQ(icon[at + 1], static_cast<unsigned long>(side));
        at += 2 + static_cast<std::size_t>(side * side);
    }
    EXPECT_EQ(at, icon.size());
}

TEST(NetWmIcon, FullSizeIsThePictureItself)
{
    const argb_picture picture = icon_picture_at(true, 0.3, false);
    const std::vector<std::uint32_t> same = reduced(picture, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(hex(same[static_cast<std::size_t>(64 * y + x)]), hex(picture[y][x])) << x << ", " << y;
        }
    }
}

// Area averaging on small fixtures: a reduced pixel of side 24 covers 8/3
// picture pixels a side, so one opaque pixel in its corner covers 9/64 of it.
TEST(NetWmIcon, AreaAveragingWeighsByAreaAndAlpha)
{
    struct row {
        const char* what;
        std::vector<std::array<int, 2>> pixels;  // opaque pixels (x, y) of the colour
        std::uint32_t colour;
        int side;
        std::uint32_t want;  // reduced pixel (0, 0)
    };
    const std::array<row, 5> cases{{
        {"one white pixel of 16 at side 16", {{0, 0}}, argb_white, 16, 0x10FFFFFFU},  // 255/16 = 15.9
        {"one white pixel at side 24", {{0, 0}}, argb_white, 24, 0x24FFFFFFU},        // 255 * 9/64 = 35.9
        {"a 2x2 block at side 32", {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 0xFF123456U, 32, 0xFF123456U},
        {"one pixel of 4 at side 32", {{1, 1}}, 0xFF123456U, 32, 0x40123456U},  // 255/4 = 63.75
        {"nothing opaque", {}, argb_white, 16, argb_transparent},
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(c.what);
        argb_picture picture = filled(argb_transparent);
        for (const auto& [x, y] : c.pixels) {
            picture[y][x] = c.colour;
        }
        // The colour of a partly covered pixel is the colour of what covers
        // it, not darkened by the transparent rest.
        EXPECT_EQ(hex(reduced(picture, c.side)[0]), hex(c.want));
    }
}

// White even columns, black odd ones: a reduced pixel's grey is the white
// share of the columns it covers, fractions of columns included.
TEST(NetWmIcon, OpaqueColoursMixByArea)
{
    argb_picture picture = filled(argb_black);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; x += 2) {
            picture[y][x] = argb_white;
        }
    }
    struct row {
        int side;
        std::uint32_t want;  // reduced pixel (3, 1)
    };
    constexpr std::array<row, 5> cases{{
        {16, 0xFF808080U},  // columns 12..15: half white
        {24, 0xFF9F9F9FU},  // columns 8, 9 and 2/3 of 10: 5/8 white
        {32, 0xFF808080U},  // columns 6, 7
        {48, 0xFFBFBFBFU},  // column 4 and 1/3 of 5: 3/4 white
        {64, argb_black},   // column 3
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(c.side);
        EXPECT_EQ(hex(reduced(picture, c.side)[static_cast<std::size_t>(c.side + 3)]), hex(c.want));
    }
}

// The sky is transparent, the disc opaque; at the reduced sizes the disc's
// edge gets the alpha of its coverage.
TEST(NetWmIcon, TransparentSkyOpaqueDiscAntiAliasedEdge)
{
    for (const bool colour : {true, false}) {
        for (const bool southern : {false, true}) {
            SCOPED_TRACE(testing::Message() << (colour ? "colour" : "one-bit") << (southern ? ", south" : ", north"));
            const argb_picture picture = icon_picture_at(colour, 0.4, southern);
            for (const int side : net_wm_icon_sides) {
                SCOPED_TRACE(side);
                const std::vector<std::uint32_t> small = reduced(picture, side);
                auto at = [&](int x, int y) { return small[static_cast<std::size_t>(side * y + x)]; };
                EXPECT_EQ(hex(at(0, 0)), hex(argb_transparent));
                EXPECT_EQ(hex(at(side - 1, 0)), hex(argb_transparent));
                EXPECT_EQ(hex(at(0, side - 1)), hex(argb_transparent));
                EXPECT_EQ(hex(at(side - 1, side - 1)), hex(argb_transparent));
                // The disc's centre, (32, 28), in the reduced picture.
                EXPECT_EQ(alpha(at(32 * side / 64, 28 * side / 64)), 0xFFu);
                int partial = 0;
                for (const std::uint32_t pixel : small) {
                    partial += alpha(pixel) > 0 && alpha(pixel) < 0xFF ? 1 : 0;
                }
                if (side == 64) {
                    EXPECT_EQ(partial, 0) << "the full size is the pixel art itself";
                } else {
                    EXPECT_GT(partial, side) << "an edge of partly covered pixels all round";
                }
            }
        }
    }
}

// The full-size picture: colours of the phase picture in colour mode, black
// and white in the one-bit mode, only inside the disc.
TEST(NetWmIcon, FullSizePixelsFollowTheMode)
{
    const argb_picture colour = icon_picture_at(true, 0.25, false);
    EXPECT_EQ(hex(colour[red_point_y][red_point_x]), hex(argb_of_slot(slot_red)));
    EXPECT_EQ(hex(colour[28][20]), hex(argb_of_slot(slot_dark_base + moon_color_image[28][20])));
    EXPECT_EQ(hex(colour[28][45]), hex(argb_of_slot(slot_lit_base + moon_color_image[28][45])));
    EXPECT_EQ(hex(colour[28][59]), hex(argb_transparent));

    const argb_picture mono = icon_picture_at(false, 0.25, false);
    std::set<std::uint32_t> seen;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool disc = moon_color_image[y][x] > 0;
            EXPECT_EQ(alpha(mono[y][x]), disc ? 0xFFu : 0u) << x << ", " << y;
            seen.insert(mono[y][x]);
        }
    }
    EXPECT_EQ(seen, (std::set<std::uint32_t>{argb_transparent, argb_black, argb_white}));

    // Turned for the south: the red point to (22, 27), the lit half to the left.
    const argb_picture south = icon_picture_at(true, 0.25, true);
    EXPECT_EQ(hex(south[27][22]), hex(argb_of_slot(slot_red)));
    EXPECT_EQ(hex(south[28][63 - 45]), hex(argb_of_slot(slot_lit_base + moon_color_image[28][45])));
}

// The key tells apart every picture that differs and only those.
TEST(NetWmIcon, KeyFollowsTheSpansModeAndView)
{
    EXPECT_NE(icon_picture_key_at(true, 0.3, false), icon_picture_key_at(false, 0.3, false));
    EXPECT_NE(icon_picture_key_at(true, 0.3, false), icon_picture_key_at(true, 0.3, true));
    EXPECT_NE(icon_picture_key_at(true, 0.3, false), icon_picture_key_at(true, 0.31, false));
    // Within 0.01 of new moon the colour picture has the larger radius.
    EXPECT_NE(icon_picture_key_at(true, 0.995, false).radius, icon_picture_key_at(false, 0.995, false).radius);
    // Two phases a second apart almost always draw the same spans.
    int equal = 0;
    for (int k = 0; k < 100; ++k) {
        const double p = 0.1 + k * 0.001;
        equal += icon_picture_key_at(true, p, false) == icon_picture_key_at(true, p + 1.0 / 2551443.0, false) ? 1 : 0;
    }
    EXPECT_GT(equal, 90);
}
