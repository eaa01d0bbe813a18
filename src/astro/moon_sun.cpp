#include "moon_sun.h"

#include <cmath>

#include <libnova/earth.h>
#include <libnova/lunar.h>
#include <libnova/solar.h>

namespace {

constexpr double km_per_au = 149597870.691;
constexpr double sun_diameter_at_1_au_arcsec = 1919.26;
constexpr double arcsec_per_degree = 3600.0;
constexpr double lunar_precision = 0.0001;  // handed to ln_get_lunar_ecl_coords
constexpr double pi = 3.141592653589793;

}  // namespace

double phase_fraction_from_elongation(double d)
{
    // No reduction beforehand: floor takes any number of turns off.
    return (d - 360.0 * std::floor(d / 360.0)) / 360.0;
}

double illuminated_fraction_from(double sun_lng, double moon_lng, double moon_lat)
{
    return (1.0 - std::cos((sun_lng - moon_lng) * pi / 180.0) * std::cos(moon_lat * pi / 180.0)) / 2.0;
}

double lunar_state(double jd, double& illuminated_fraction, double& moon_distance_km,
                   double& moon_diameter_deg, double& sun_distance_km, double& sun_diameter_deg)
{
    ln_lnlat_posn sun{};
    ln_lnlat_posn moon{};

    const double au = ln_get_earth_solar_dist(jd);
    ln_get_solar_ecl_coords(jd, &sun);
    sun_diameter_deg = sun_diameter_at_1_au_arcsec / au / arcsec_per_degree;
    sun_distance_km = au * km_per_au;
    moon_distance_km = ln_get_lunar_earth_dist(jd);
    ln_get_lunar_ecl_coords(jd, &moon, lunar_precision);
    moon_diameter_deg = 2.0 * ln_get_lunar_sdiam(jd) / arcsec_per_degree;
    illuminated_fraction = illuminated_fraction_from(sun.lng, moon.lng, moon.lat);
    return phase_fraction_from_elongation(moon.lng - sun.lng);
}
