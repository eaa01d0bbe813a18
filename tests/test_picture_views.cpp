// The finished picture as values: the southern turn and the magnification.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "moon_images.h"
#include "phase_picture.h"
#include "picture_views.h"

namespace {

square_picture<int> numbered()
{
    square_picture<int> p{};
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            p[y][x] = 1000 * y + x;
        }
    }
    return p;
}

mono_bitmap single_bit(int x, int y)
{
    mono_bitmap bits{};
    bits[static_cast<std::size_t>(8 * y + x / 8)] = static_cast<std::uint8_t>(1u << (x % 8));
    return bits;
}

}  // namespace

// (x, y) goes to (63 - x, 56 - y): the disc's centre (32, 28) to (31, 28),
// corners and rows near the frame's edge included.
TEST(SouthernTurn, MovesEachPixelToItsTurnedPlace)
{
    struct row {
        int x, y, to_x, to_y;
    };
    constexpr std::array<row, 6> cases{{
        {32, 28, 31, 28},  // the disc's centre stays (the width is even)
        {0, 0, 63, 56},
        {63, 56, 0, 0},
        {41, 29, 22, 27},  // the red point
        {5, 28, 58, 28},   // the disc's left limb to its right limb
        {10, 2, 53, 54},   // top row of the disc to its bottom row
    }};
    const square_picture<int> south = turned_south(numbered(), -1);
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        EXPECT_EQ(south[c.to_y][c.to_x], 1000 * c.y + c.x);
    }
}

TEST(SouthernTurn, DropsWhatLeavesTheFrameAndFillsTheRestWithSky)
{
    const square_picture<int> south = turned_south(numbered(), -1);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            // Rows 57..63 receive nothing: their sources would be rows -1..-7.
            const int want = y <= 56 ? 1000 * (56 - y) + (63 - x) : -1;
            ASSERT_EQ(south[y][x], want) << "(" << x << ", " << y << ")";
        }
    }
}

// The one-bit picture in the XBM layout turns the same way, uncovered
// pixels dark (1) like the sky.
TEST(SouthernTurn, OneBitPictureTurnsBitByBit)
{
    struct row {
        int x, y, to_x, to_y;
    };
    constexpr std::array<row, 4> cases{{{0, 0, 63, 56}, {7, 3, 56, 53}, {8, 3, 55, 53}, {40, 50, 23, 6}}};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        mono_bitmap lit;
        lit.fill(0xFF);
        lit[static_cast<std::size_t>(8 * c.y + c.x / 8)] &= static_cast<std::uint8_t>(~(1u << (c.x % 8)));
        const mono_bitmap south = turned_south(lit);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                ASSERT_EQ(bitmap_dark(south, x, y), !(x == c.to_x && y == c.to_y)) << x << ", " << y;
            }
        }
    }
    // Uncovered rows are sky even when the whole picture was lit.
    const mono_bitmap all_lit{};
    const mono_bitmap south = turned_south(all_lit);
    EXPECT_TRUE(bitmap_dark(south, 0, 57));
    EXPECT_TRUE(bitmap_dark(south, 63, 63));
    EXPECT_FALSE(bitmap_dark(south, 0, 56));
}

// Seen from the south a waxing moon is lit from the left and a waning one
// from the right; the disc itself stays where it was, give or take a column.
TEST(SouthernTurn, WaxingMoonIsLitFromTheLeft)
{
    struct row {
        double p;
        bool lit_left;
    };
    constexpr std::array<row, 4> cases{{{0.25, true}, {0.15, true}, {0.75, false}, {0.85, false}}};
    const mono_bitmap moon = full_moon_bitmap();
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "p = " << c.p);
        const mono_bitmap south = turned_south(build_phase_bitmap(moon, c.p, 27.0));
        // Column 31 is the turned disc's centre, where the quarters' terminator lies.
        int left = 0;
        int right = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!bitmap_dark(south, x, y)) {
                    left += x < 31 ? 1 : 0;
                    right += x > 31 ? 1 : 0;
                }
            }
        }
        EXPECT_GT(c.lit_left ? left : right, 100);
        EXPECT_EQ(c.lit_left ? right : left, 0);
    }
}

TEST(SouthernTurn, ColourPictureKeepsItsDiscAndTurnsTheRedPoint)
{
    const slot_picture north = colour_picture(0.5, 27.0);
    const slot_picture south = turned_south(north, static_cast<std::uint8_t>(slot_sky));
    EXPECT_EQ(south[56 - red_point_y][63 - red_point_x], slot_red);
    EXPECT_NE(south[red_point_y][red_point_x], slot_red);
    // The disc's widest row, 28, spans columns 5..58 and stays in place.
    for (int x = 0; x < 64; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(south[28][x] != slot_sky, x >= 5 && x <= 58);
    }
}

// Nearest neighbour: output pixel (x, y) is input pixel (x / s, y / s).
TEST(Magnification, EachPixelBecomesAnSBySBlock)
{
    struct row {
        int s;
        std::vector<unsigned long> want;
    };
    const std::vector<unsigned long> two_by_two{1, 2, 3, 4};
    const std::array<row, 3> cases{{
        {1, {1, 2, 3, 4}},
        {2, {1, 1, 2, 2,  //
             1, 1, 2, 2,  //
             3, 3, 4, 4,  //
             3, 3, 4, 4}},
        {3, {1, 1, 1, 2, 2, 2,  //
             1, 1, 1, 2, 2, 2,  //
             1, 1, 1, 2, 2, 2,  //
             3, 3, 3, 4, 4, 4,  //
             3, 3, 3, 4, 4, 4,  //
             3, 3, 3, 4, 4, 4}},
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "s = " << c.s);
        EXPECT_EQ(magnified(two_by_two, 2, c.s), c.want);
    }
}

TEST(Magnification, FullPictureAtTheLargestScale)
{
    std::vector<unsigned long> picture(64 * 64);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = i;
    }
    const std::vector<unsigned long> big = magnified(picture, 64, 8);
    ASSERT_EQ(big.size(), 512u * 512u);
    EXPECT_EQ(big[0], 0u);
    EXPECT_EQ(big[7], 0u);
    EXPECT_EQ(big[8], 1u);
    EXPECT_EQ(big[7 * 512 + 7], 0u);
    EXPECT_EQ(big[8 * 512], 64u);
    EXPECT_EQ(big[511 * 512 + 511], 64u * 64u - 1u);
}

TEST(PixelValues, SlotsThroughThePaletteAndBitsInBlackAndWhite)
{
    std::array<std::uint32_t, 12> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = static_cast<std::uint32_t>(0x100 + i);
    }
    slot_picture slots{};
    slots[3][60] = static_cast<std::uint8_t>(slot_red);
    const pixel_picture from_slots = pixels_of(slots, palette);
    EXPECT_EQ(from_slots[3][60], 0x108u);
    EXPECT_EQ(from_slots[60][3], 0x100u);

    const pixel_picture from_bits = pixels_of(single_bit(9, 2), 7, 9);
    EXPECT_EQ(from_bits[2][9], 7u);
    EXPECT_EQ(from_bits[2][8], 9u);
    EXPECT_EQ(from_bits[9][2], 9u);
}
