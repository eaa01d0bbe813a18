#pragma once
// Where the local time zone is: the latitude of the place that names it, from
// the system's tables of zones (zone1970.tab, else zone.tab).

#include <optional>
#include <string>
#include <string_view>

// The name of the local zone, "Australia/Sydney": from TZ when it is set
// (tz_variable non-null; a leading ':' and a path up to "zoneinfo/" are
// dropped), else from the target of the /etc/localtime link. Nothing for a
// zone given by rule ("AEST-10AEDT,M10.1.0,M4.1.0/3"), an empty TZ (UTC), or
// an /etc/localtime that is no link into a zone directory.
std::optional<std::string> local_zone_name(const char* tz_variable, std::optional<std::string> localtime_link);

// The latitude in degrees (north positive) of the zone's row in the text of
// zone1970.tab or zone.tab: tab-separated country codes, ISO 6709
// coordinates (+-DDMM+-DDDMM or +-DDMMSS+-DDDMMSS) and zone name.
std::optional<double> zone_table_latitude(std::string_view table, std::string_view zone);

// The latitude of the local time zone's place, or nothing when it cannot be
// told. Reads TZ, the /etc/localtime link and the tables in TZDIR (or
// /usr/share/zoneinfo).
std::optional<double> time_zone_latitude();
