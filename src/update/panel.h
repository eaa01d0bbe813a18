#pragma once
// The information panel: value labels written only when their text changes.

#include <X11/Intrinsic.h>

#include <ctime>

#include "app_state.h"
#include "phase_dates.h"
#include "update_cycle.h"

// Writes text into label w unless it equals the cache slot, the text last
// written there.
void set_value_text(text_slot& cache, Widget w, const char* text);

// The rows that change with the clock (0 to 10).
void refresh_panel(double clock, std::time_t now, const std::tm& utc, double illuminated_fraction,
                   double moon_distance_km, double moon_diameter_deg, double sun_distance_km,
                   double sun_diameter_deg, const moon_age& age);

// The five phase-date rows and the two lunation labels.
void refresh_phase_rows(const phase_table& phase_dates);
