#pragma once
// The phase picture without a display: which pixels of the full moon are lit
// at a phase fraction, in the one-bit layout and as the colour drawing's
// sequence of points.

#include <array>
#include <cmath>
#include <cstdint>

#include "moon_images.h"

inline constexpr int disc_centre_x = 32;
inline constexpr int disc_centre_y = 28;
inline constexpr int red_point_x = 41;
inline constexpr int red_point_y = 29;
inline constexpr double two_pi = 6.283185307179586;

// Palette slots of the phase picture.
inline constexpr int slot_sky = 4;        // level 0, either side
inline constexpr int slot_lit_base = 4;   // lit side: slot_lit_base + level (5..7)
inline constexpr int slot_red = 8;
inline constexpr int slot_dark_base = 8;  // dark side: slot_dark_base + level (9..11)

// The columns lit in rows 28 + i and 28 - i; a span with right < left is empty.
struct lit_span {
    int left;
    int right;
    bool operator==(const lit_span&) const = default;
};

// In: offset i (0..r-1), disc radius r (27 or 28 pixels), c = cos(2 pi p),
//     phase fraction p. Waxing (p < 0.5) is lit from the right-hand limb,
//     waning from the left.
lit_span lit_span_at(int i, double r, double c, double p);

// The colour drawing uses the monochrome disc except within 0.01 of new moon,
// where the larger radius lets the thin crescent's edge reach the limb.
bool colour_path(bool iconic, int color_mode);
double picture_radius(bool colour, double p);

// The one-bit phase picture: the bits of moon inside the lit spans of offsets
// 0 .. int(r) - 1, every other bit dark (1).
mono_bitmap build_phase_bitmap(const mono_bitmap& moon, double p, double r);

// Visits the points of a colour redraw in drawing order, calling
// point(x, y, palette_slot): the whole picture on the dark side column by
// column, the lit spans over it, and the red point last.
template <typename Point>
void for_each_colour_point(double p, double r, Point&& point)
{
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 64; ++y) {
            const int level = moon_color_image[y][x];
            point(x, y, level <= 0 ? slot_sky : slot_dark_base + level);
        }
    }
    const double c = std::cos(two_pi * p);
    const int n = static_cast<int>(r);
    for (int i = 0; i < n; ++i) {
        const lit_span span = lit_span_at(i, r, c, p);
        for (const int y : {disc_centre_y + i, disc_centre_y - i}) {
            for (int x = span.left; x <= span.right; ++x) {
                point(x, y, slot_lit_base + moon_color_image[y][x]);
            }
            if (i == 0) {
                break;
            }
        }
    }
    point(red_point_x, red_point_y, slot_red);
}

// The final palette slot of every pixel of a colour redraw, [row][column].
using slot_picture = std::array<std::array<std::uint8_t, 64>, 64>;
slot_picture colour_picture(double p, double r);

// Icon name: "%dd %dh" once the moon is a day old, "%dh %dm" before.
std::array<char, 32> icon_name_text(int days, int hours, int minutes);
