#pragma once
// The phase by name, for the canvas's tooltip. No display needed.

#include <array>

// The principal phase nearest to phase fraction p, in eight sectors of 0.125
// centred on 0, 0.125, ... 0.875: "New moon" for p < 0.0625 or p >= 0.9375,
// then "Waxing crescent", "First quarter", ... "Waning crescent".
const char* phase_name(double p);

// "Waxing gibbous, 78% illuminated": the name, and the panel's "%.0f" of the
// illuminated percentage.
std::array<char, 64> phase_tooltip_text(double p, double illuminated_fraction);
