// The ARGB pictures given to taskbars as _NET_WM_ICON, built without a display.
#include <gtest/gtest.h>

#include <cstdio>

#include "net_wm_icon.h"
#include "phase_picture.h"

namespace {

std::size_t at(int x, int y) { return static_cast<std::size_t>(2 + 64 * y + x); }

std::string hex(unsigned long v)
{
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "0x%08lX", v);
    return text.data();
}

}  // namespace

TEST(NetWmIcon, HeaderIsWidthAndHeight)
{
    const net_wm_icon_data mono = monochrome_icon_argb(mono_bitmap{});
    EXPECT_EQ(mono.size(), 2u + 64u * 64u);
    EXPECT_EQ(mono[0], 64u);
    EXPECT_EQ(mono[1], 64u);
    const net_wm_icon_data colour = colour_icon_argb(slot_picture{});
    EXPECT_EQ(colour[0], 64u);
    EXPECT_EQ(colour[1], 64u);
}

// One dark bit at a time: the byte and bit order of the XBM layout (least
// significant bit leftmost, 8 bytes a row) decide which pixel turns black.
TEST(NetWmIcon, MonochromeBitGoesToItsPixel)
{
    struct point {
        int x;
        int y;
    };
    constexpr std::array<point, 6> cases{{{0, 0}, {7, 0}, {8, 0}, {1, 1}, {41, 29}, {63, 63}}};
    for (const point& c : cases) {
        SCOPED_TRACE(testing::Message() << "bit at x=" << c.x << " y=" << c.y);
        mono_bitmap bitmap{};
        bitmap[static_cast<std::size_t>(8 * c.y + c.x / 8)] = static_cast<std::uint8_t>(1u << (c.x % 8));
        const net_wm_icon_data icon = monochrome_icon_argb(bitmap);
        EXPECT_EQ(hex(icon[at(c.x, c.y)]), hex(argb_black));
        int black = 0;
        for (std::size_t i = 2; i < icon.size(); ++i) {
            black += icon[i] == argb_black ? 1 : 0;
            EXPECT_TRUE(icon[i] == argb_black || icon[i] == argb_white) << hex(icon[i]);
        }
        EXPECT_EQ(black, 1);
    }
}

TEST(NetWmIcon, MonochromeAllDarkIsAllBlack)
{
    mono_bitmap bitmap;
    bitmap.fill(0xFF);
    const net_wm_icon_data icon = monochrome_icon_argb(bitmap);
    for (std::size_t i = 2; i < icon.size(); ++i) {
        ASSERT_EQ(hex(icon[i]), hex(argb_black)) << "pixel " << i - 2;
    }
}

// Opaque, red in bits 16..23, green 8..15, blue 0..7, each the top byte of
// the 16-bit colour asked for that slot.
TEST(NetWmIcon, SlotColourIsOpaqueArgbOfTopBytes)
{
    struct row {
        int slot;
        unsigned long argb;
    };
    constexpr std::array<row, 8> cases{{
        {0, 0xFF0F0F0FUL},   // start-up sky
        {1, 0xFFDFEFFFUL},   // start-up brightest level
        {slot_sky, 0xFF000000UL},
        {5, 0xFFE0F0FFUL},   // lit level 1
        {7, 0xFF90A0B0UL},   // lit level 3
        {slot_red, 0xFFFF0000UL},
        {9, 0xFF101090UL},   // dark level 1
        {11, 0xFF101050UL},  // dark level 3
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << c.slot);
        EXPECT_EQ(hex(argb_of_slot(c.slot)), hex(c.argb));
    }
}

// slot_picture is [row][column]; the property is row after row.
TEST(NetWmIcon, ColourPixelsFollowRowsAndColumns)
{
    slot_picture slots{};
    for (auto& r : slots) {
        r.fill(static_cast<std::uint8_t>(slot_sky));
    }
    slots[3][60] = static_cast<std::uint8_t>(slot_red);
    slots[60][3] = 5;
    const net_wm_icon_data icon = colour_icon_argb(slots);
    EXPECT_EQ(hex(icon[at(60, 3)]), hex(argb_of_slot(slot_red)));
    EXPECT_EQ(hex(icon[at(3, 60)]), hex(argb_of_slot(5)));
    EXPECT_EQ(hex(icon[at(3, 3)]), hex(argb_of_slot(slot_sky)));
    EXPECT_EQ(hex(icon[at(60, 60)]), hex(argb_of_slot(slot_sky)));
}

// A real redraw: the red point sits where the colour drawing puts it.
TEST(NetWmIcon, ColourRedrawKeepsTheRedPoint)
{
    const net_wm_icon_data icon = colour_icon_argb(colour_picture(0.25, picture_radius(true, 0.25)));
    EXPECT_EQ(hex(icon[at(red_point_x, red_point_y)]), hex(0xFFFF0000UL));
    EXPECT_EQ(hex(icon[at(0, 63)]), hex(argb_of_slot(slot_sky)));
}
