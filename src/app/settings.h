#pragma once
// Settings that are not part of the classic window: application resources of
// the class Lunaclock, read once at start-up. Each one is opt-in: with none of
// them in the resource database the program behaves and draws exactly as it
// always has.

#include <optional>

#include "settings_text.h"

struct settings_record {
    int scale = 1;                     // canvas magnification, 1..8
    std::optional<double> latitude;    // degrees, north positive
    std::optional<double> longitude;   // degrees, east positive
    hemisphere_setting hemisphere = hemisphere_setting::north;
    bool southern_view = false;        // the picture is turned 180 degrees
    bool has_location() const { return latitude.has_value() && longitude.has_value(); }
};

extern settings_record settings;

// Reads the resources for toplevel with XtGetApplicationResources and settles
// every setting; a value that cannot be used gets one toolkit warning and the
// setting keeps its default. Needs app_state.toplevel; sends no request.
void read_settings();

// The toolkit warning for a resource value that cannot be used, e.g.
// Bad value "banana" for resource scale; using 1
void warn_bad_setting(const char* resource, const char* value, const char* outcome);
