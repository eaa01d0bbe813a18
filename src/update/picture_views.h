#pragma once
// The finished 64 by 64 picture as values, for the views that the classic
// point-by-point drawing cannot give: the southern view (turned 180 degrees)
// and the magnified canvas. No display needed.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "moon_images.h"
#include "phase_picture.h"

inline constexpr int picture_side = 64;

// A 64 by 64 picture of any pixel type, [row][column].
template <typename T>
using square_picture = std::array<std::array<T, picture_side>, picture_side>;
using pixel_picture = square_picture<unsigned long>;  // X pixel values

// The southern view turns the picture 180 degrees about the disc's centre,
// (32, 28): the pixel at (x, y) goes to (63 - x, 56 - y). The disc moves by
// one column only (it spans columns 5..59, an odd width about column 32).
inline constexpr int turn_sum_x = picture_side - 1;
inline constexpr int turn_sum_y = 2 * disc_centre_y;

// What falls outside the frame is dropped; uncovered pixels are sky.
template <typename T>
square_picture<T> turned_south(const square_picture<T>& north, T sky)
{
    square_picture<T> south;
    for (auto& row : south) {
        row.fill(sky);
    }
    for (int y = 0; y < picture_side; ++y) {
        const int to_y = turn_sum_y - y;
        if (to_y < 0 || to_y >= picture_side) {
            continue;
        }
        for (int x = 0; x < picture_side; ++x) {
            south[static_cast<std::size_t>(to_y)][static_cast<std::size_t>(turn_sum_x - x)] =
                north[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
        }
    }
    return south;
}

// The one-bit picture turned the same way; uncovered pixels are dark sky (1).
mono_bitmap turned_south(const mono_bitmap& north);

bool bitmap_dark(const mono_bitmap& bitmap, int x, int y);

// Pixel values of the drawn picture: palette slots through the palette, or
// the one-bit picture in black (1 bits) and white (0 bits).
pixel_picture pixels_of(const slot_picture& slots, const std::array<std::uint32_t, 12>& palette);
pixel_picture pixels_of(const mono_bitmap& bitmap, unsigned long black, unsigned long white);

// A side x side picture, row by row, magnified s times by nearest neighbour:
// each pixel becomes an s x s block of a (side * s) square, row by row.
std::vector<unsigned long> magnified(std::span<const unsigned long> pixels, int side, int s);
