#pragma once
// The moon and the sun at one instant, from libnova (0.16).

// The moon's elongation from the sun in ecliptic longitude, as a fraction of
// a turn: 0 new, 0.25 first quarter, 0.5 full, 0.75 last quarter.
// In:  d, moon longitude minus sun longitude, degrees, any value.
// Out: a value from 0 up to 1 (1.0 itself only when d is a hair below 0).
double phase_fraction_from_elongation(double d);

// Illuminated fraction of the moon's disc, 0..1, from the geocentric ecliptic
// longitudes of sun and moon and the moon's latitude (degrees).
double illuminated_fraction_from(double sun_lng, double moon_lng, double moon_lat);

// In:  jd, Julian date (UT; handed to libnova unchanged, no delta-T).
// Out: the phase fraction (returned) and the illuminated fraction (0..1),
//      the earth-moon distance (km, centre to centre), the moon's angular
//      diameter (degrees), the earth-sun distance (km) and the sun's angular
//      diameter (degrees).
double lunar_state(double jd, double& illuminated_fraction, double& moon_distance_km,
                   double& moon_diameter_deg, double& sun_distance_km, double& sun_diameter_deg);
