#pragma once
// The program's one global record. Every procedure reads and writes it
// directly; no callback is handed a pointer to it.

#include <X11/Intrinsic.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "moon_images.h"

// A label text. The panel's texts stay near 40 characters, but a time row
// carries the zone abbreviation of %Z, and strftime may write 78 characters
// there: a slot holds the longest text the scratch buffer can, whole.
inline constexpr std::size_t text_slot_size = 80;
using text_slot = std::array<char, text_slot_size>;

inline constexpr int panel_row_count = 17;
// value_widgets: 0..16 the value label of that panel row (3, 8, 11 unused),
// 17 unused, 18 and 19 the lunation labels of rows 12 and 16, 20 the canvas.
inline constexpr int lunation_slot_last = 18;
inline constexpr int lunation_slot_next = 19;
inline constexpr int canvas_slot = 20;

struct app_state_record {
    int color_mode = -2;           // -2 not given, 0 monochrome, 1 colour
    double distance_factor = 1.0;  // km -> shown unit: 1.0 km, 0.621371 miles
    mono_bitmap moon_bitmap = full_moon_bitmap();
    mono_bitmap shown_bitmap = {'a', 'b', 'c', 'd'};  // never equal to a built picture
    XtAppContext app_context = nullptr;
    Widget toplevel = nullptr;
    int test_mode = 0;
    XGCValues gc_values{};
    GC gc = nullptr;
    std::array<std::uint32_t, 12> palette{};
    std::array<Pixmap, 2> icon_pixmaps{};  // [0] the shell's icon, [1] the spare
    std::array<text_slot, panel_row_count> value_cache{};
    std::array<Widget, 21> value_widgets{};
    Boolean iconic = 0;
    mono_bitmap phase_bitmap{};
    double test_jd = 0.0;  // Julian date; exactly 0.0 means not started
    double table_valid_until = 0.0;
    double last_new_moon = 0.0;
    XtIntervalId timer_id = 0;
    std::array<text_slot, 2> lunation_cache{};
    std::array<char, 32> icon_name{};
    std::array<char, 32> last_icon_name{};
};

extern app_state_record app_state;
