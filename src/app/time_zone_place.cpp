#include "time_zone_place.h"

std::optional<double> time_zone_latitude()
{
    return std::nullopt;
}
