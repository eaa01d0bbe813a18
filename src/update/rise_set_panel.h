#pragma once
// The moonrise and moonset rows of the panel, shown when both the latitude
// and the longitude are set.

#include <X11/Intrinsic.h>

#include <array>

#include "app_state.h"

struct rise_set_panel_record {
    std::array<Widget, 2> value_widgets{};  // [0] moonrise, [1] moonset; null without a location
    std::array<text_slot, 2> value_cache{};
    // The texts shown hold until this Julian date, unless the clock goes back
    // before the last clock seen.
    double valid_until = 0.0;
    double last_clock = 0.0;
};

extern rise_set_panel_record rise_set_panel;

inline constexpr std::array<const char*, 2> rise_set_labels{"Moonrise:       ", "Moonset:        "};

// The group txt5_f / txt5_rc below the sun's in col1_rc, with a cell of
// llabel and lvalue per row. Only called when the location is set.
void build_rise_set_group(Widget col1_rc);

// Writes the two rows for the clock (a Julian date, UT) when the texts shown
// no longer hold; does nothing without the group.
void refresh_rise_set_rows(double clock);
