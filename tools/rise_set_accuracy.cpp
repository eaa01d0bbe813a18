#include "rise_set_accuracy.h"

#include <libnova/lunar.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <vector>

#include "calendar.h"
#include "moon_rise_set.h"

namespace {

struct place_row {
    const char* name;
    const char* zone;
    observer_place place;
};

const place_row places[] = {
    {"Berlin", "Europe/Berlin", {52.52, 13.405}},
    {"Sydney", "Australia/Sydney", {-33.87, 151.21}},
    {"Quito", "America/Guayaquil", {-0.18, -78.47}},
    {"Tromso", "Europe/Oslo", {69.65, 18.96}},
};

constexpr double one_minute = 1.0 / 1440.0;

double jd_of_utc(int year, int month, int day)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    return julian_from_utc(t);
}

// Julian date of local midnight starting a day of January 2025 in the zone
// that TZ names now.
double local_midnight(int day)
{
    std::tm t{};
    t.tm_year = 2025 - 1900;
    t.tm_mon = 0;
    t.tm_mday = day;
    t.tm_isdst = -1;
    const std::time_t instant = std::mktime(&t);
    std::tm utc{};
    gmtime_r(&instant, &utc);
    return julian_from_utc(utc);
}

// Height above the standard altitude (degrees) and its rate (degrees per
// minute) from libnova's altitude, at an instant.
double height(double jd, const observer_place& p) { return moon_altitude(jd, p) - moon_standard_altitude; }
double rate(double jd, const observer_place& p) { return (height(jd + one_minute, p) - height(jd - one_minute, p)) / 2.0; }

}  // namespace

void print_rise_set_accuracy()
{
    const double from = jd_of_utc(2025, 1, 1);
    const double to = jd_of_utc(2025, 2, 1);

    std::printf("\n## Moonrise and moonset\n\n");
    std::printf(
        "No published moonrise table could be consulted where this report is made (no\n"
        "almanac is shipped in `tests/data/`, and the machine reaches none), so the\n"
        "instants are checked against the physics instead, as\n"
        "`tests/test_moon_rise_set.cpp` does: at each instant found, the moon's altitude\n"
        "straight from libnova (`ln_get_lunar_equ_coords`, `ln_get_hrz_from_equ`; the\n"
        "search itself interpolates 4-hourly positions) is compared with the standard\n"
        "altitude of +0.125 degrees, and the difference is turned into time by the\n"
        "altitude's rate there. The month is January 2025, near the major lunar\n"
        "standstill, when the moon's declination reaches 28.5 degrees. Local days are\n"
        "those of the zone named.\n\n");
    std::printf(
        "| Place | Latitude, longitude | Zone | Rises | Sets | Local days without a rise | Longest stay up or down | Greatest altitude error | Greatest time error |\n"
        "|---|---|---|---:|---:|---:|---:|---:|---:|\n");
    for (const place_row& p : places) {
        setenv("TZ", p.zone, 1);
        tzset();
        const std::vector<horizon_crossing> events = rises_and_sets(from, to, p.place);
        int rises = 0;
        double worst_altitude = 0.0;
        double worst_seconds = 0.0;
        double longest = 0.0;
        double previous = from;
        for (const horizon_crossing& e : events) {
            rises += e.rise ? 1 : 0;
            const double h = height(e.jd, p.place);
            worst_altitude = std::max(worst_altitude, std::fabs(h));
            worst_seconds = std::max(worst_seconds, std::fabs(h / rate(e.jd, p.place)) * 60.0);
            longest = std::max(longest, e.jd - previous);
            previous = e.jd;
        }
        longest = std::max(longest, to - previous);
        int days_without = 0;
        for (int day = 1; day <= 31; ++day) {
            const double start = local_midnight(day);
            const double end = day == 31 ? local_midnight(31) + 1.0 : local_midnight(day + 1);
            const bool risen = std::any_of(events.begin(), events.end(),
                                           [&](const horizon_crossing& e) { return e.rise && e.jd >= start && e.jd < end; });
            days_without += risen ? 0 : 1;
        }
        std::printf("| %s | %.2f, %.2f | %s | %d | %d | %d | %.1f days | %.5f deg | %.2f s |\n", p.name,
                    p.place.latitude, p.place.longitude, p.zone, rises, static_cast<int>(events.size()) - rises,
                    days_without, longest, worst_altitude, worst_seconds);
    }
    unsetenv("TZ");
    tzset();
    std::printf(
        "\nThe days without a rise at Berlin, Sydney and Quito are the one day a lunation\n"
        "that the moon, rising some 50 minutes later each day, skips; at Tromso the moon\n"
        "stays up from 8 to 15 January and down from 22 to 30 January, and the rows then\n"
        "read \"above the horizon until ...\" and \"below the horizon until ...\".\n"
        "Rises and sets closer together than the 10-minute sampling step (a graze of\n"
        "the horizon) would be missed; none occurs in this month.\n\n");

    std::printf("### libnova's own ln_get_lunar_rst\n\n");
    std::printf(
        "libnova offers `ln_get_lunar_rst`, which interpolates three daily positions\n"
        "(Meeus, Astronomical Algorithms, ch. 15). Asked for each UT day of the same\n"
        "month, its instants compare with the search above as follows (an instant\n"
        "counts as matched when the search has the same kind of event within 2 hours;\n"
        "otherwise the search finds no such event there):\n\n"
        "| Place | Days answered | Days called circumpolar | Instants | Unmatched | Greatest difference | Greatest altitude error at its instants |\n"
        "|---|---:|---:|---:|---:|---:|---:|\n");
    for (const place_row& p : places) {
        const std::vector<horizon_crossing> events = rises_and_sets(from - 1.0, to + 1.0, p.place);
        int answered = 0;
        int circumpolar = 0;
        int instants = 0;
        int unmatched = 0;
        double worst_minutes = 0.0;
        double worst_altitude = 0.0;
        for (double day = from; day < to; day += 1.0) {
            ln_lnlat_posn observer{p.place.longitude, p.place.latitude};
            ln_rst_time rst{};
            if (ln_get_lunar_rst(day, &observer, &rst) != 0) {
                ++circumpolar;
                continue;
            }
            ++answered;
            for (const bool rise : {true, false}) {
                const double when = rise ? rst.rise : rst.set;
                ++instants;
                worst_altitude = std::max(worst_altitude, std::fabs(height(when, p.place)));
                std::optional<double> nearest;
                for (const horizon_crossing& e : events) {
                    if (e.rise == rise && (!nearest || std::fabs(e.jd - when) < std::fabs(*nearest - when))) {
                        nearest = e.jd;
                    }
                }
                if (!nearest || std::fabs(*nearest - when) > 2.0 / 24.0) {
                    ++unmatched;
                } else {
                    worst_minutes = std::max(worst_minutes, std::fabs(*nearest - when) * 1440.0);
                }
            }
        }
        std::printf("| %s | %d | %d | %d | %d | %.1f min | %.3f deg |\n", p.name, answered, circumpolar, instants,
                    unmatched, worst_minutes, worst_altitude);
    }
    std::printf(
        "\nIt gives a rise and a set for every day it answers, so on the day without a\n"
        "moonrise its rise belongs to another day; it drifts by minutes\n"
        "at mid-latitudes and by much more at Tromso, and there calls whole days\n"
        "circumpolar, or gives instants where the moon does not cross the horizon at\n"
        "all. Lunaclock therefore searches the altitude itself.\n\n");

    std::printf("## How far the time zone's place can be from yours\n\n");
    std::printf(
        "With `hemisphere: auto` and no `latitude`, the view is chosen by the latitude\n"
        "of the place that names the local time zone, from the system's\n"
        "`zone1970.tab` (else `zone.tab`). Only its sign matters, but the place can be\n"
        "far from the user: one row stands for a whole zone.\n\n"
        "- `America/New_York` (40.7 N) stands for the eastern United States, from Key\n"
        "  West (24.6 N) to northern Maine (47.5 N): about 23 degrees of latitude.\n"
        "- `Europe/Moscow` (55.8 N) stands for most of European Russia, from Dagestan\n"
        "  (about 41 N) to Franz Josef Land (about 81 N).\n"
        "- `Australia/Perth` (32.0 S) stands for all of Western Australia, 13.7 S to\n"
        "  35.1 S.\n"
        "- Zones that straddle the equator give the wrong hemisphere to part of their\n"
        "  users: `Asia/Jakarta` (6.2 S) for northern Sumatra (up to 5.9 N),\n"
        "  `America/Bogota` (4.6 N) for Colombia's Amazonas (down to 4.2 S),\n"
        "  `Africa/Nairobi` (1.3 S) for northern Kenya (up to 4.6 N), and\n"
        "  `America/Guayaquil` (2.2 S) for Quito itself (0.2 S, right) and for\n"
        "  northern Ecuador (up to 1.4 N, wrong).\n"
        "- A zone that `zone1970.tab` folds into another (`Europe/Oslo`, whose row\n"
        "  there is `Europe/Berlin`'s) is looked up in `zone.tab`, which keeps its own\n"
        "  place; a name in neither table, a zone given by rule\n"
        "  (`TZ=AEST-10AEDT,...`) or plain `UTC` tells nothing, and the view is north.\n\n"
        "Near the equator, or whenever the zone is wide, set `latitude` (or\n"
        "`hemisphere`) instead. The moonrise and moonset rows never use the zone's\n"
        "place: they need both `latitude` and `longitude`.\n");
}
