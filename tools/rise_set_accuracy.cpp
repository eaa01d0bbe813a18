#include "rise_set_accuracy.h"

#include <libnova/lunar.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "calendar.h"
#include "moon_rise_set.h"
#include "test_dates.h"

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

// Julian date of local midnight starting a day of January 2025 in the zone
// that TZ names now; mktime carries day 32 over into 1 February.
double local_midnight(int day)
{
    std::tm t{};
    t.tm_year = 2025 - 1900;
    t.tm_mon = 0;
    t.tm_mday = day;
    t.tm_isdst = -1;
    return jd_of(std::mktime(&t));
}

// The local day of the month of a Julian date, in the zone that TZ names now.
int local_day(double jd)
{
    const auto instant = static_cast<std::time_t>(std::llround((jd - 2440587.5) * 86400.0));
    std::tm t{};
    localtime_r(&instant, &t);
    return t.tm_mday;
}

// Text broken into lines of at most 80 characters at spaces.
std::string wrapped(const std::string& text)
{
    std::string out;
    std::size_t line_start = 0;
    std::size_t word = 0;
    while (word < text.size()) {
        std::size_t end = text.find(' ', word);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end - line_start > 80 && word > line_start) {
            out.back() = '\n';
            line_start = word;
        }
        out.append(text, word, end - word);
        if (end < text.size()) {
            out += ' ';
        }
        word = end + 1;
    }
    return out;
}

// A stretch above or below the horizon between two crossings.
struct stay {
    double from = 0.0;
    double to = 0.0;
    double days() const { return to - from; }
};

// "8 to 15 January", in the zone that TZ names now.
std::string january_days(const stay& s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d to %d January", local_day(s.from), local_day(s.to));
    return text;
}

// Height above the standard altitude (degrees) and its rate (degrees per
// minute) from libnova's altitude, at an instant.
double height(double jd, const observer_place& p) { return moon_altitude(jd, p) - moon_standard_altitude; }
double rate(double jd, const observer_place& p) { return (height(jd + one_minute, p) - height(jd - one_minute, p)) / 2.0; }

}  // namespace

void print_rise_set_accuracy()
{
    const double from = jd_of(2025, 1, 1, 0, 0, 0);
    const double to = jd_of(2025, 2, 1, 0, 0, 0);

    // Each place's crossings, a day beyond the month on either side so that
    // ln_get_lunar_rst's instants near its ends find their match.
    struct place_events {
        const place_row* row;
        std::vector<horizon_crossing> events;
    };
    std::vector<place_events> all;
    for (const place_row& p : places) {
        all.push_back({&p, rises_and_sets(from - 1.0, to + 1.0, p.place)});
    }

    // What the text after the table says, taken from the same figures.
    std::vector<const char*> skipping;  // places that skip one rise a lunation
    std::string long_stays;             // places where the moon stays up or down for days
    double shortest = to - from;        // the shortest time between two crossings in the month
    const char* shortest_at = "";

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
    for (const place_events& pe : all) {
        const place_row& p = *pe.row;
        setenv("TZ", p.zone, 1);
        tzset();
        std::vector<horizon_crossing> events;
        std::copy_if(pe.events.begin(), pe.events.end(), std::back_inserter(events),
                     [&](const horizon_crossing& e) { return e.jd >= from && e.jd < to; });
        int rises = 0;
        double worst_altitude = 0.0;
        double worst_seconds = 0.0;
        stay up;
        stay down;
        double previous = from;
        for (const horizon_crossing& e : events) {
            rises += e.rise ? 1 : 0;
            const double h = height(e.jd, p.place);
            worst_altitude = std::max(worst_altitude, std::fabs(h));
            worst_seconds = std::max(worst_seconds, std::fabs(h / rate(e.jd, p.place)) * 60.0);
            // Ending in a set, the stay was above the horizon.
            stay& longest_kind = e.rise ? down : up;
            if (e.jd - previous > longest_kind.days()) {
                longest_kind = {previous, e.jd};
            }
            if (&e != &events.front() && e.jd - previous < shortest) {
                shortest = e.jd - previous;
                shortest_at = p.name;
            }
            previous = e.jd;
        }
        if (!events.empty()) {
            stay& last_kind = events.back().rise ? up : down;
            if (to - previous > last_kind.days()) {
                last_kind = {previous, to};
            }
        }
        const double longest = std::max(up.days(), down.days());
        int days_without = 0;
        for (int day = 1; day <= 31; ++day) {
            const double start = local_midnight(day);
            const double end = local_midnight(day + 1);
            const bool risen = std::any_of(pe.events.begin(), pe.events.end(),
                                           [&](const horizon_crossing& e) { return e.rise && e.jd >= start && e.jd < end; });
            days_without += risen ? 0 : 1;
        }
        std::printf("| %s | %.2f, %.2f | %s | %d | %d | %d | %.1f days | %.5f deg | %.2f s |\n", p.name,
                    p.place.latitude, p.place.longitude, p.zone, rises, static_cast<int>(events.size()) - rises,
                    days_without, longest, worst_altitude, worst_seconds);
        if (longest > 1.0) {
            long_stays += long_stays.empty() ? "at " : "; at ";
            long_stays += p.name;
            long_stays += " the moon stays up from ";
            long_stays += january_days(up);
            long_stays += " and down from ";
            long_stays += january_days(down);
        } else if (days_without == 1) {
            skipping.push_back(p.name);
        }
    }
    unsetenv("TZ");
    tzset();
    std::string names;
    for (std::size_t i = 0; i < skipping.size(); ++i) {
        names += i == 0 ? "" : i + 1 == skipping.size() ? " and " : ", ";
        names += skipping[i];
    }
    std::string text = skipping.size() == 1 ? "The day without a rise at " : "The days without a rise at ";
    text += names;
    text += skipping.size() == 1 ? " is" : " are";
    text += " the one day a lunation that the moon, rising some 50 minutes later each day, skips";
    if (!long_stays.empty()) {
        text += "; ";
        text += long_stays;
        text += ", and the rows then read \"above the horizon until ...\" and \"below the horizon until ...\"";
    }
    char hours[32];
    std::snprintf(hours, sizeof hours, "%.1f", shortest * 24.0);
    text += ". Rises and sets closer together than the 10-minute sampling step (a graze of the horizon) "
            "would be missed; the closest two in this month are ";
    text += hours;
    text += " hours apart, at ";
    text += shortest_at;
    text += ".";
    std::printf("\n%s\n\n", wrapped(text).c_str());

    std::printf("### libnova's own ln_get_lunar_rst\n\n");
    std::printf(
        "libnova offers `ln_get_lunar_rst`, which interpolates three daily positions\n"
        "(Meeus, Astronomical Algorithms, ch. 15). Asked for each UT day of the same\n"
        "month, its instants compare with the search above as follows (an instant\n"
        "counts as matched when the search has the same kind of event within 2 hours;\n"
        "otherwise the search finds no such event there):\n\n"
        "| Place | Days answered | Days called circumpolar | Instants | Unmatched | Greatest difference | Greatest altitude error at its instants |\n"
        "|---|---:|---:|---:|---:|---:|---:|\n");
    for (const place_events& pe : all) {
        const place_row& p = *pe.row;
        const std::vector<horizon_crossing>& events = pe.events;
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
