#pragma once
#include <array>
#include <cstdint>
// One-bit 64x64 picture in the XBM layout: 8 bytes a row, bit (x mod 8) of byte 8*y + x/8, 1 dark, 0 lit.
using mono_bitmap = std::array<std::uint8_t, 512>;
extern const std::array<std::array<std::int16_t, 64>, 64> moon_color_image;  // [row][column], levels 0..3
mono_bitmap full_moon_bitmap();  // the contents of moon_bitmap.xbm
