#include "phase_picture.h"

#include <cstdio>

lit_span lit_span_at(int i, double r, double c, double p)
{
    const double k = std::cos(std::asin(static_cast<double>(i) / r)) * r;  // half-width of the disc
    double left = 0.0;
    double right = 0.0;
    if (p < 0.5) {
        left = disc_centre_x + c * k;
        right = disc_centre_x + k;
    } else {
        left = disc_centre_x - k;
        right = disc_centre_x - c * k;
    }
    // Both are positive, so truncation is the floor.
    return {static_cast<int>(left), static_cast<int>(right)};
}

bool colour_path(bool iconic, int color_mode) { return !iconic && color_mode != 0; }

double picture_radius(bool colour, double p)
{
    return colour && (p < 0.01 || p > 0.99) ? 28.0 : 27.0;
}

mono_bitmap build_phase_bitmap(const mono_bitmap& moon, double p, double r)
{
    mono_bitmap out;
    out.fill(0xFF);
    const double c = std::cos(two_pi * p);
    const int n = static_cast<int>(r);
    auto copy_span = [&](int y, const lit_span& span) {
        for (int x = span.left; x <= span.right; ++x) {
            const int byte = 8 * y + x / 8;
            const auto bit = static_cast<std::uint8_t>(1u << (x % 8));
            out[byte] = static_cast<std::uint8_t>((out[byte] & ~bit) | (moon[byte] & bit));
        }
    };
    for (int i = 0; i < n; ++i) {
        const lit_span span = lit_span_at(i, r, c, p);
        copy_span(disc_centre_y + i, span);
        if (i != 0) {
            copy_span(disc_centre_y - i, span);
        }
    }
    return out;
}

slot_picture colour_picture(double p, double r)
{
    slot_picture out{};
    for_each_colour_point(p, r, [&](int x, int y, int slot) { out[y][x] = static_cast<std::uint8_t>(slot); });
    return out;
}

std::array<char, 32> icon_name_text(int days, int hours, int minutes)
{
    std::array<char, 32> text{};
    if (days != 0) {
        std::snprintf(text.data(), text.size(), "%dd %dh", days, hours);
    } else {
        std::snprintf(text.data(), text.size(), "%dh %dm", hours, minutes);
    }
    return text;
}
