#pragma once
// The five libnova calls of one update, and nothing else: the floor against
// which the cost of a whole update is judged.

struct nova_results {
    double earth_sun_au;
    double sun_lng;
    double moon_km;
    double moon_lng;
    double moon_lat;
    double moon_sdiam_arcsec;
};

// In: jd, Julian date (UT). Kept out of line so that callgrind can name it.
[[gnu::noinline]] nova_results five_libnova_calls(double jd);
