#pragma once
// The colour phase picture as the drawing steps describe it, worked out here
// on its own, apart from the program's span and drawing code, so that a test
// comparing the two can see a wrong span or slot.
//
// The lit span of offset i (rows 28 + i and 28 - i) for radius r and phase
// fraction p: K = cos(asin(i / r)) r, c = cos(2 pi p); waxing (p < 0.5) the
// columns 32 + cK to 32 + K, waning 32 - K to 32 - cK, both truncated; a
// span whose right end is left of its left end is empty. Colour slots: the
// dark side 4 (level 0) or 8 + level, the lit side 4 + level, the red point
// at column 41, row 29 slot 8 over everything.

#include <cmath>
#include <cstddef>
#include <utility>

#include "moon_images.h"

inline std::pair<int, int> expected_lit_span(int i, double r, double p)
{
    const double k = std::cos(std::asin(static_cast<double>(i) / r)) * r;
    const double c = std::cos(6.283185307179586 * p);
    if (p < 0.5) {
        return {static_cast<int>(32.0 + c * k), static_cast<int>(32.0 + k)};
    }
    return {static_cast<int>(32.0 - k), static_cast<int>(32.0 - c * k)};
}

// Radius of the colour path: 28 within 0.01 of new moon (strictly), else 27.
inline double expected_colour_radius(double p) { return (p < 0.01 || p > 0.99) ? 28.0 : 27.0; }

inline int expected_level(int x, int y)
{
    return moon_color_image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
}

// The palette slot that pixel (x, y) ends with after a colour redraw.
inline int expected_colour_slot(double p, double r, int x, int y)
{
    if (x == 41 && y == 29) {
        return 8;
    }
    const int level = expected_level(x, y);
    const int i = y >= 28 ? y - 28 : 28 - y;
    if (i < static_cast<int>(r)) {
        const auto [left, right] = expected_lit_span(i, r, p);
        if (x >= left && x <= right) {
            return 4 + level;
        }
    }
    return level <= 0 ? 4 : 8 + level;
}
