#pragma once
// The published tables in tests/data/, read as they were copied (CSV with a
// header line, CRLF or LF line ends), and the program's own figure for each
// row. Shared by the accuracy tests and tools/accuracy_report so that the
// report shows exactly what the tests bound.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "calendar.h"
#include "moon_sun.h"
#include "phase_dates.h"
#include "update_cycle.h"

namespace reference {

inline constexpr double minutes_per_day = 1440.0;
// The AU as libnova and Espenak's tables use it (IAU 1976), km.
inline constexpr double km_per_au = 149597870.691;

// Names as the tables spell them, in phase_table order (0 new .. 3 last quarter).
inline constexpr std::string_view phase_names[4] = {"New Moon", "First Quarter", "Full Moon",
                                                    "Last Quarter"};

struct phase_row {
    int year;
    int phase;          // 0 new, 1 first quarter, 2 full, 3 last quarter
    double published;   // Julian date (UT), Espenak's table
    std::string text;   // the instant as published, for messages
    double usno;        // Julian date (UT), the USNO's table, same event
    std::string usno_text;
};

// The same event as the USNO publishes it, in the fields the comparisons read.
inline phase_row as_usno(const phase_row& row)
{
    phase_row usno = row;
    usno.published = row.usno;
    usno.text = row.usno_text;
    return usno;
}

struct distance_row {
    enum body_kind { moon, sun } body;
    std::string event;  // "moon perigee", "earth aphelion", ...
    double instant;     // Julian date (UT)
    double distance;    // km for the moon, AU for the sun, as published
    std::string text;
};

// The directory of the copied tables: $LUNACLOCK_SOURCE_DIR/tests/data, or
// the given fallback when the variable is unset.
inline std::string data_dir(const char* fallback_source_dir = nullptr)
{
    const char* source = std::getenv("LUNACLOCK_SOURCE_DIR");
    if (source == nullptr || *source == '\0') {
        source = fallback_source_dir;
    }
    return std::string(source == nullptr ? "." : source) + "/tests/data";
}

// "YYYY-MM-DD HH:MM" (UT) to a Julian date; nullopt if malformed.
inline std::optional<double> julian_from_text(const std::string& text, int* year_out = nullptr)
{
    std::tm utc{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &year, &month, &day, &hour, &minute, &tail) != 5 ||
        month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59) {
        return std::nullopt;
    }
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    if (year_out != nullptr) {
        *year_out = year;
    }
    return julian_from_utc(utc);
}

// The comma-separated fields of each data line (header skipped, CR dropped).
// Empty if the file cannot be read.
inline std::vector<std::vector<std::string>> read_csv(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (header) {
            header = false;
            continue;
        }
        if (line.empty()) {
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream fields_in(line);
        std::string field;
        while (std::getline(fields_in, field, ',')) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

// moon_phases_ut.csv: espenak_ut,phase,usno_ut. A malformed line is reported
// in *error (first one only) and skipped.
inline std::vector<phase_row> read_phases(const std::string& path, std::string* error)
{
    std::vector<phase_row> out;
    for (const auto& fields : read_csv(path)) {
        phase_row row{};
        int phase = -1;
        for (int i = 0; i < 4 && fields.size() == 3; ++i) {
            if (fields[1] == phase_names[i]) {
                phase = i;
            }
        }
        const std::optional<double> jd = fields.size() == 3 ? julian_from_text(fields[0], &row.year) : std::nullopt;
        const std::optional<double> usno = fields.size() == 3 ? julian_from_text(fields[2]) : std::nullopt;
        if (phase < 0 || !jd || !usno) {
            if (error != nullptr && error->empty()) {
                *error = "malformed phase line: " + (fields.empty() ? std::string() : fields[0]);
            }
            continue;
        }
        row.phase = phase;
        row.published = *jd;
        row.text = fields[0];
        row.usno = *usno;
        row.usno_text = fields[2];
        out.push_back(row);
    }
    return out;
}

// moon_earth_distances.csv: instant_ut,event,distance ("404911 km" or
// "0.9833070 AU").
inline std::vector<distance_row> read_distances(const std::string& path, std::string* error)
{
    std::vector<distance_row> out;
    for (const auto& fields : read_csv(path)) {
        distance_row row{};
        const std::optional<double> jd = fields.size() == 3 ? julian_from_text(fields[0]) : std::nullopt;
        char unit[8] = {};
        double value = 0.0;
        const bool parsed = jd && std::sscanf(fields[2].c_str(), "%lf %7s", &value, unit) == 2;
        const std::string_view u(unit);
        if (!parsed || !((u == "km" && fields[1].starts_with("moon ")) ||
                         (u == "AU" && fields[1].starts_with("earth ")))) {
            if (error != nullptr && error->empty()) {
                *error = "malformed distance line: " + (fields.empty() ? std::string() : fields[0]);
            }
            continue;
        }
        row.body = u == "km" ? distance_row::moon : distance_row::sun;
        row.event = fields[1];
        row.instant = *jd;
        row.distance = value;
        row.text = fields[0];
        out.push_back(row);
    }
    return out;
}

// The program's own instant of the published phase: the phase dates of the
// lunation that holds the published instant, by the update cycle's search.
// A new moon is the boundary of two lunations, so the nearer of the table's
// two new moons is the one that matches.
inline double program_instant(const phase_row& row)
{
    phase_table table{};
    search_phase_dates(row.published, table);
    if (row.phase != 0) {
        return table[row.phase];
    }
    const double before = table[last_new];
    const double after = table[next_new];
    return std::abs(before - row.published) <= std::abs(after - row.published) ? before : after;
}

// Program minus published, minutes.
inline double phase_difference_minutes(const phase_row& row)
{
    return (program_instant(row) - row.published) * minutes_per_day;
}

// The program's distance at the published instant, in the table's unit
// (km for the moon, AU for the sun).
inline double program_distance(const distance_row& row)
{
    double illuminated = 0.0, moon_km = 0.0, moon_deg = 0.0, sun_km = 0.0, sun_deg = 0.0;
    lunar_state(row.instant, illuminated, moon_km, moon_deg, sun_km, sun_deg);
    return row.body == distance_row::moon ? moon_km : sun_km / km_per_au;
}

}  // namespace reference
