#pragma once
// The texts of the information panel, from values, without a display.

#include <array>
#include <ctime>

#include "phase_dates.h"

// Every text is built in a scratch buffer of this size; strftime gets one less.
using text_buffer = std::array<char, 80>;
inline constexpr std::size_t strftime_size = 79;

inline constexpr double miles_per_km = 0.621371;
inline constexpr int phase_text_width = 40;
inline constexpr int phase_date_width = 23;

extern const std::array<const char*, 12> month_names;  // [month - 1]

// Appends spaces until the text is width characters long; longer texts stay.
void pad_to(text_buffer& text, int width);

text_buffer julian_date_text(double clock);
// "%H:%M:%S %d %B %Y %Z" of a broken-down time (UTC from gmtime, or local).
text_buffer clock_text(const std::tm& when);
text_buffer local_time_text(std::time_t now);
// The test clock's universal time, from the Julian date itself.
text_buffer test_clock_text(double clock);
text_buffer age_text(int days, int hours, int minutes);
text_buffer phase_text(double illuminated_fraction);
text_buffer moon_distance_text(double moon_distance_km, double distance_factor);
text_buffer degrees_text(double degrees);
text_buffer sun_distance_text(double sun_distance_km, double distance_factor);
// An instant in local time, truncated to the minute: "%d %b %Y %H:%M %Z".
text_buffer local_minute_text(double jd);
// A phase instant in local time, truncated to the minute, padded to 23.
text_buffer phase_date_text(double jd);
// Lunation number (Brown's series: lunation 1 began 1923 January 17) of the
// lunation that begins with the new moon at last_new_moon.
double lunation_number(double last_new_moon);
text_buffer lunation_text(int number);
