#include "picture_views.h"

bool bitmap_dark(const mono_bitmap& bitmap, int x, int y)
{
    // XBM layout: 8 bytes a row, least significant bit leftmost.
    return ((bitmap[static_cast<std::size_t>(8 * y + x / 8)] >> (x % 8)) & 1u) != 0;
}

mono_bitmap turned_south(const mono_bitmap& north)
{
    square_picture<std::uint8_t> bits{};
    for (int y = 0; y < picture_side; ++y) {
        for (int x = 0; x < picture_side; ++x) {
            bits[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = bitmap_dark(north, x, y) ? 1 : 0;
        }
    }
    const square_picture<std::uint8_t> south = turned_south<std::uint8_t>(bits, 1);
    mono_bitmap out{};
    for (int y = 0; y < picture_side; ++y) {
        for (int x = 0; x < picture_side; ++x) {
            if (south[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] != 0) {
                out[static_cast<std::size_t>(8 * y + x / 8)] |= static_cast<std::uint8_t>(1u << (x % 8));
            }
        }
    }
    return out;
}

pixel_picture pixels_of(const slot_picture& slots, const std::array<std::uint32_t, 12>& palette)
{
    pixel_picture out{};
    for (std::size_t y = 0; y < out.size(); ++y) {
        for (std::size_t x = 0; x < out[y].size(); ++x) {
            out[y][x] = palette[slots[y][x]];
        }
    }
    return out;
}

pixel_picture pixels_of(const mono_bitmap& bitmap, unsigned long black, unsigned long white)
{
    pixel_picture out{};
    for (int y = 0; y < picture_side; ++y) {
        for (int x = 0; x < picture_side; ++x) {
            out[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = bitmap_dark(bitmap, x, y) ? black : white;
        }
    }
    return out;
}

std::vector<unsigned long> magnified(std::span<const unsigned long> pixels, int side, int s)
{
    const int big = side * s;
    std::vector<unsigned long> out(static_cast<std::size_t>(big) * static_cast<std::size_t>(big));
    for (int y = 0; y < big; ++y) {
        const std::size_t from_row = static_cast<std::size_t>(y / s) * static_cast<std::size_t>(side);
        for (int x = 0; x < big; ++x) {
            out[static_cast<std::size_t>(y) * static_cast<std::size_t>(big) + static_cast<std::size_t>(x)] =
                pixels[from_row + static_cast<std::size_t>(x / s)];
        }
    }
    return out;
}
