#pragma once
// The widget tree of the one window.

#include <array>

// Row captions of the panel, by row number; rows 3, 8 and 11 are spacers.
extern const std::array<const char*, 17> row_labels;

// Builds the tree under toplevel, records the value labels and the canvas in
// value_widgets, clears value_cache, registers the canvas and toggle
// callbacks and sets the toggle from test_mode.
void build_main_window();
