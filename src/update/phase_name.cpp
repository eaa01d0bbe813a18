#include "phase_name.h"

#include <cstddef>
#include <cstdio>

namespace {

constexpr std::array<const char*, 8> names{
    "New moon",  "Waxing crescent", "First quarter", "Waxing gibbous",
    "Full moon", "Waning gibbous",  "Last quarter",  "Waning crescent",
};

// Lower bounds of sectors 1 to 7. Compared directly rather than computed as
// floor((p + 0.0625) / 0.125), whose rounding could move a p just below a
// bound into the next sector.
constexpr std::array<double, 7> sector_starts{0.0625, 0.1875, 0.3125, 0.4375, 0.5625, 0.6875, 0.8125};
constexpr double new_moon_again = 0.9375;

}  // namespace

const char* phase_name(double p)
{
    if (p >= new_moon_again) {
        return names[0];
    }
    std::size_t sector = 0;
    while (sector < sector_starts.size() && p >= sector_starts[sector]) {
        ++sector;
    }
    return names[sector];
}

std::array<char, 64> phase_tooltip_text(double p, double illuminated_fraction)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%s, %.0f%% illuminated", phase_name(p), 100.0 * illuminated_fraction);
    return text;
}
