#pragma once
// The graphics context, the palette and the two start-up icon pixmaps.

#include <array>
#include <cstdint>

// 16-bit red, green and blue of a palette slot.
struct rgb16 {
    std::uint16_t red;
    std::uint16_t green;
    std::uint16_t blue;
};
// The colour asked for in each of the twelve slots: 0..3 the start-up icon,
// 4..11 the phase picture.
rgb16 palette_colour(int slot);

// Makes gc, allocates the palette (colour mode only) and paints both icon
// pixmaps with the full moon. Needs toplevel, not yet realized.
void init_graphics();
