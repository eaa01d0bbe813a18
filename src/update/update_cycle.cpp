#include "update_cycle.h"

#include <cmath>

#include "app_state.h"
#include "calendar.h"
#include "clock_watch.h"
#include "moon_sun.h"
#include "panel.h"
#include "picture.h"
#include "rise_set_panel.h"
#include "tooltip.h"

std::time_t (*clock_source)(std::time_t*) = std::time;

namespace {

constexpr double one_hour_days = 1.0 / 24.0;

// Cadence of the cycle, milliseconds.
constexpr unsigned long test_interval_ms = 150;
constexpr unsigned long after_direct_run_ms = 10;
constexpr unsigned long iconic_interval_ms = 120000;
constexpr unsigned long shown_interval_ms = 1000;

}  // namespace

void search_phase_dates(double clock, phase_table& phase_dates)
{
    find_phase_dates(clock, phase_dates);
    if (phase_dates[last_new] > clock) {
        find_phase_dates(clock - 1.5, phase_dates);
    }
    if (clock > phase_dates[next_new]) {
        find_phase_dates(clock + 1.5, phase_dates);
    }
}

moon_age split_age(double age_days)
{
    moon_age age{};
    age.days = static_cast<int>(age_days);
    const double fraction = age_days - std::floor(age_days);
    age.hours = static_cast<int>(fraction * 24.0);
    age.minutes = static_cast<int>(fraction * 1440.0) % 60;
    return age;
}

void update_display(XtPointer client_data, XtIntervalId* id)
{
    std::time_t now = clock_source(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const double real_jd = julian_from_utc(utc);

    double clock = real_jd;
    if (app_state.test_mode != 0) {
        // The test clock starts one day ahead and gains an hour every run,
        // whatever started the run.
        app_state.test_jd = app_state.test_jd == 0.0 ? real_jd + 1.0 : app_state.test_jd + one_hour_days;
        clock = app_state.test_jd;
    }

    double illuminated = 0.0;
    double moon_km = 0.0;
    double moon_deg = 0.0;
    double sun_km = 0.0;
    double sun_deg = 0.0;
    const double phase = lunar_state(clock, illuminated, moon_km, moon_deg, sun_km, sun_deg);

    phase_table phase_dates{};
    if (clock > app_state.table_valid_until || clock < app_state.last_new_moon) {
        search_phase_dates(clock, phase_dates);
        app_state.last_new_moon = phase_dates[last_new];
    }

    const moon_age age = split_age(clock - app_state.last_new_moon);

    if (XtIsRealized(app_state.toplevel)) {
        refresh_picture(phase, age.days, age.hours, age.minutes);
    }

    if (id == nullptr && app_state.timer_id != 0) {
        XtRemoveTimeOut(app_state.timer_id);
    }
    unsigned long interval = shown_interval_ms;
    if (app_state.test_mode != 0) {
        interval = test_interval_ms;
    } else if (id == nullptr) {
        interval = after_direct_run_ms;
    } else if (app_state.iconic) {
        interval = iconic_interval_ms;
    }
    app_state.timer_id = XtAppAddTimeOut(app_state.app_context, interval, update_display, client_data);
    watch_update_timeout(interval);

    if (app_state.iconic) {
        return;
    }

    refresh_panel(clock, now, utc, illuminated, moon_km, moon_deg, sun_km, sun_deg, age);
    refresh_rise_set_rows(clock);
    refresh_tooltip(phase, illuminated);

    if (clock > app_state.table_valid_until) {
        search_phase_dates(clock, phase_dates);
        refresh_phase_rows(phase_dates);
        app_state.table_valid_until = phase_dates[next_new];
    }
}
