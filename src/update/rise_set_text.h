#pragma once
// The texts of the moonrise and moonset rows, from the events found, without
// a display.

#include "moon_rise_set.h"
#include "panel_text.h"

// Beyond this many days ahead an event is not shown as a time of its own.
inline constexpr double rise_set_horizon_days = 2.0;

struct rise_set_rows {
    text_buffer rise;
    text_buffer set;
    double valid_until = 0.0;  // Julian date until which both texts stay true
};

// Each row is one of, padded to 23 characters:
//   the event's local time, "%d %b %Y %H:%M %Z", when it comes within 2 days;
//   "below the horizon until <time>" (the rise row) or "above the horizon
//     until <time>" (the set row) when the moon is on that side now and
//     neither rises nor sets within 2 days;
//   "none within 2 days" otherwise.
// Every text is true from events.from until valid_until: the first shown
// event, or the moment a farther event comes within 2 days.
rise_set_rows rise_set_rows_for(const rise_set_events& events);
