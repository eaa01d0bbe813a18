#include "panel_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "calendar.h"

const std::array<const char*, 12> month_names{"January", "February", "March",     "April",
                                              "May",     "June",     "July",      "August",
                                              "September", "October", "November", "December"};

namespace {

constexpr double km_per_earth_radius = 6378.16;
constexpr double km_per_au_shown = 149598500.0;
constexpr double lunation_1_jd = 2423436.0;  // 1923 January 16, 12:00 UT

const char* plural(int count) { return count == 1 ? "" : "s"; }
const char* distance_unit(double distance_factor) { return distance_factor == miles_per_km ? "mi" : "km"; }

// "<distance> <unit>, <size> <measure>": the distance in the shown unit,
// then in a natural measure that is always worked out from kilometres.
text_buffer distance_text(double km, double distance_factor, double in_measure, int decimals, const char* measure)
{
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%.0f %s, %.*f %s", km * distance_factor, distance_unit(distance_factor),
                  decimals, in_measure, measure);
    return text;
}

}  // namespace

void pad_to(text_buffer& text, int width)
{
    std::size_t length = std::strlen(text.data());
    while (length < static_cast<std::size_t>(width) && length + 1 < text.size()) {
        text[length++] = ' ';
    }
    text[length] = '\0';
}

text_buffer julian_date_text(double clock)
{
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%.5f", clock);
    return text;
}

text_buffer clock_text(const std::tm& when)
{
    text_buffer text{};
    // strftime leaves the buffer undefined when the text does not fit (a
    // zone abbreviation can be very long): show nothing rather than garbage.
    if (std::strftime(text.data(), strftime_size, "%H:%M:%S %d %B %Y %Z", &when) == 0) {
        text[0] = '\0';
    }
    return text;
}

text_buffer local_time_text(std::time_t now)
{
    return clock_text(*std::localtime(&now));
}

text_buffer test_clock_text(double clock)
{
    const civil_time c = civil_from_julian(clock);
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%02d:%02d:%02d %02d %s %d UTC", c.hour, c.minute, c.second, c.day,
                  month_names[static_cast<std::size_t>(c.month - 1)], c.year);
    return text;
}

text_buffer age_text(int days, int hours, int minutes)
{
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%d day%s, %d hour%s, %d minute%s.", days, plural(days), hours,
                  plural(hours), minutes, plural(minutes));
    return text;
}

text_buffer phase_text(double illuminated_fraction)
{
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%.0f%%   (0%% = New, 100%% = Full)", 100.0 * illuminated_fraction);
    pad_to(text, phase_text_width);
    return text;
}

text_buffer moon_distance_text(double moon_distance_km, double distance_factor)
{
    return distance_text(moon_distance_km, distance_factor, moon_distance_km / km_per_earth_radius, 1, "Earth radii.");
}

text_buffer degrees_text(double degrees)
{
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%.4f degrees.", degrees);
    return text;
}

text_buffer sun_distance_text(double sun_distance_km, double distance_factor)
{
    return distance_text(sun_distance_km, distance_factor, sun_distance_km / km_per_au_shown, 3,
                         "astronomical units.");
}

text_buffer local_minute_text(double jd)
{
    const civil_time c = civil_from_julian(jd);
    std::tm utc{};
    utc.tm_sec = c.second;
    utc.tm_min = c.minute;
    utc.tm_hour = c.hour;
    utc.tm_mday = c.day;
    utc.tm_mon = c.month - 1;
    utc.tm_year = c.year - 1900;
    const std::time_t instant = timegm(&utc);
    text_buffer text{};
    if (std::strftime(text.data(), strftime_size, "%d %b %Y %H:%M %Z", std::localtime(&instant)) == 0) {
        text[0] = '\0';
    }
    return text;
}

text_buffer phase_date_text(double jd)
{
    text_buffer text = local_minute_text(jd);
    pad_to(text, phase_date_width);
    return text;
}

double lunation_number(double last_new_moon)
{
    return std::floor((last_new_moon + 7.0 - lunation_1_jd) / synodic_month) + 1.0;
}

text_buffer lunation_text(int number)
{
    text_buffer text{};
    std::snprintf(text.data(), text.size(), "%d", number);
    return text;
}
