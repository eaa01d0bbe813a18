#pragma once
// The timer-driven update cycle: the one procedure in which time advances.

#include <X11/Intrinsic.h>

#include <ctime>

#include "phase_dates.h"

// The clock the cycle reads; tests may point it elsewhere.
extern std::time_t (*clock_source)(std::time_t*);

// Finds the phase dates of the lunation that holds clock, retrying 1.5 days
// either side where the true new moons fall on the wrong side of the mean
// ones. Up to three searches.
void search_phase_dates(double clock, phase_table& phase_dates);

// Moon's age split for display: whole days, hours 0..23, minutes 0..59.
struct moon_age {
    int days;
    int hours;
    int minutes;
};
moon_age split_age(double age_days);

// XtTimerCallbackProc. client_data is the top-level widget; id is NULL when
// the program calls it directly, which replaces the pending timeout.
void update_display(XtPointer client_data, XtIntervalId* id);
