#include "panel.h"

#include <Xm/Xm.h>

#include <algorithm>
#include <cstring>

#include "panel_text.h"

namespace {

enum panel_row {
    row_julian_date = 0,
    row_universal_time = 1,
    row_local_time = 2,
    row_age = 4,
    row_phase = 5,
    row_moon_distance = 6,
    row_moon_diameter = 7,
    row_sun_distance = 9,
    row_sun_diameter = 10,
    row_first_phase_date = 12,
};

void set_row(int row, const text_buffer& text)
{
    const auto slot = static_cast<std::size_t>(row);
    set_value_text(app_state.value_cache[slot], app_state.value_widgets[slot], text.data());
}

// Copies a text into a cache slot whole; the texts come from buffers of the
// slot's size, so nothing is cut.
void store(text_slot& cache, const char* text)
{
    const std::size_t length = std::min(std::strlen(text), cache.size() - 1);
    std::memcpy(cache.data(), text, length);
    cache[length] = '\0';
}

}  // namespace

void set_value_text(text_slot& cache, Widget w, const char* text)
{
    if (std::strcmp(text, cache.data()) == 0) {
        return;
    }
    XmString label = XmStringCreateSimple(const_cast<char*>(text));
    XtVaSetValues(w, XmNlabelString, label, nullptr);
    XmStringFree(label);
    store(cache, text);
}

void refresh_panel(double clock, std::time_t now, const std::tm& utc, double illuminated_fraction,
                   double moon_distance_km, double moon_diameter_deg, double sun_distance_km,
                   double sun_diameter_deg, const moon_age& age)
{
    set_row(row_julian_date, julian_date_text(clock));
    set_row(row_universal_time, app_state.test_mode != 0 ? test_clock_text(clock) : clock_text(utc));
    if (app_state.test_mode == 0) {
        set_row(row_local_time, local_time_text(now));
    }
    set_row(row_age, age_text(age.days, age.hours, age.minutes));
    set_row(row_phase, phase_text(illuminated_fraction));
    set_row(row_moon_distance, moon_distance_text(moon_distance_km, app_state.distance_factor));
    set_row(row_moon_diameter, degrees_text(moon_diameter_deg));
    set_row(row_sun_distance, sun_distance_text(sun_distance_km, app_state.distance_factor));
    set_row(row_sun_diameter, degrees_text(sun_diameter_deg));
}

void refresh_phase_rows(const phase_table& phase_dates)
{
    const auto number = static_cast<int>(lunation_number(phase_dates[last_new]));
    for (std::size_t i = 0; i < phase_dates.size(); ++i) {
        set_row(row_first_phase_date + static_cast<int>(i), phase_date_text(phase_dates[i]));
    }
    set_value_text(app_state.lunation_cache[0], app_state.value_widgets[lunation_slot_last],
                   lunation_text(number).data());
    set_value_text(app_state.lunation_cache[1], app_state.value_widgets[lunation_slot_next],
                   lunation_text(number + 1).data());
}
