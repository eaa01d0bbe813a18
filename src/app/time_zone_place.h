#pragma once
// Where the local time zone is: the latitude of the place that names it.

#include <optional>

// The latitude in degrees (north positive) of the local time zone's place,
// or nothing when it cannot be told.
std::optional<double> time_zone_latitude();
