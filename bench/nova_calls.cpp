#include "nova_calls.h"

#include <libnova/earth.h>
#include <libnova/lunar.h>
#include <libnova/solar.h>

nova_results five_libnova_calls(double jd)
{
    nova_results out{};
    ln_lnlat_posn sun{};
    ln_lnlat_posn moon{};
    out.earth_sun_au = ln_get_earth_solar_dist(jd);
    ln_get_solar_ecl_coords(jd, &sun);
    out.moon_km = ln_get_lunar_earth_dist(jd);
    ln_get_lunar_ecl_coords(jd, &moon, 0.0001);
    out.moon_sdiam_arcsec = ln_get_lunar_sdiam(jd);
    out.sun_lng = sun.lng;
    out.moon_lng = moon.lng;
    out.moon_lat = moon.lat;
    return out;
}
