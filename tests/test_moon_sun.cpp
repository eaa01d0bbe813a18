// The moon and the sun at one instant: the phase fraction and the
// illuminated fraction from the elongation, and lunar_state's own
// arithmetic on libnova's results.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

#include <libnova/earth.h>
#include <libnova/lunar.h>
#include <libnova/solar.h>

#include "moon_sun.h"

namespace {

std::string full(double v)
{
    std::ostringstream out;
    out << std::setprecision(17) << v;
    return out.str();
}

struct elongation_case {
    double d;         // moon longitude minus sun longitude, degrees
    double fraction;  // of a turn
};

// Longitudes outside 0..360 need no reduction beforehand.
constexpr elongation_case elongations[] = {
    {0.0, 0.0},     {90.0, 0.25},  {180.0, 0.5},   {270.0, 0.75}, {-90.0, 0.75},   {450.0, 0.25},
    {360.0, 0.0},   {-360.0, 0.0}, {720.0, 0.0},   {-180.0, 0.5}, {-450.0, 0.75},  {1e-9, 1e-9 / 360.0},
    {-359.0, 1.0 / 360.0},
};

TEST(MoonSun, PhaseFractionFromElongation)
{
    for (const elongation_case& c : elongations) {
        SCOPED_TRACE("d = " + full(c.d));
        EXPECT_NEAR(phase_fraction_from_elongation(c.d), c.fraction, 1e-15);
    }
}

TEST(MoonSun, PhaseFractionStaysBelowOneButForTheRoundingCase)
{
    // Within half the spacing of doubles near 360 of 0 from below, d + 360
    // rounds to 360 itself: exactly 1.0.
    EXPECT_EQ(phase_fraction_from_elongation(-1e-14), 1.0);
    EXPECT_EQ(phase_fraction_from_elongation(-2.8e-14), 1.0);
    // Any further below 0, and every other d, stays below 1.
    for (const double d : {-6e-14, -1e-12, -1e-9, -0.5, 359.9999999, 719.9999999, std::nextafter(360.0, 0.0)}) {
        SCOPED_TRACE("d = " + full(d));
        const double fraction = phase_fraction_from_elongation(d);
        EXPECT_LT(fraction, 1.0) << full(fraction);
        EXPECT_GT(fraction, 0.99) << full(fraction);
    }
}

struct illumination_case {
    double sun_lng, moon_lng, moon_lat;  // degrees
    double fraction;
};

constexpr illumination_case illuminations[] = {
    {0.0, 0.0, 0.0, 0.0},
    {120.0, 120.0, 5.0, 0.0019026509541272},  // (1 - cos 5 deg) / 2: new moon off the ecliptic
    {120.0, 120.0, -5.0, 0.0019026509541272},
    {10.0, 190.0, 0.0, 1.0},  // full
    {350.0, 170.0, 0.0, 1.0},
    {350.0, 80.0, 0.0, 0.5},  // first quarter across 0 degrees
    {80.0, 350.0, 0.0, 0.5},
    {0.0, 180.0, 5.0, 0.9980973490458728},  // (1 + cos 5 deg) / 2
    {0.0, 60.0, 0.0, 0.25},
    {0.0, 420.0, 0.0, 0.25},  // a longitude past one turn
};

TEST(MoonSun, IlluminatedFraction)
{
    for (const illumination_case& c : illuminations) {
        SCOPED_TRACE("sun " + full(c.sun_lng) + " moon " + full(c.moon_lng) + " lat " + full(c.moon_lat));
        EXPECT_NEAR(illuminated_fraction_from(c.sun_lng, c.moon_lng, c.moon_lat), c.fraction, 1e-14);
    }
}

// lunar_state against libnova called directly with the same jd: the
// conversions with 149597870.691 km per AU, 1919.26 arcseconds at 1 AU and
// the moon's diameter from its semidiameter, plus physical bounds that a
// wrong constant or a swapped output would break.
TEST(MoonSun, LunarStateAgreesWithLibnova)
{
    constexpr double dates[] = {
        2415020.0,   // 1899-12-31 12:00
        2451545.0,   // 2000-01-01 12:00
        2460313.5,   // 2024-01-04 00:00, near perihelion
        2460495.5,   // 2024-07-04 00:00, near aphelion
        2460320.75,  // 2024-01-11 06:00, hours before new moon
        2460335.25,  // 2024-01-25 18:00, full moon
        2488069.5,   // 2100-01-01 00:00
    };
    for (const double jd : dates) {
        SCOPED_TRACE("jd " + full(jd));
        double illuminated = -1, moon_km = -1, moon_deg = -1, sun_km = -1, sun_deg = -1;
        const double fraction = lunar_state(jd, illuminated, moon_km, moon_deg, sun_km, sun_deg);

        ln_lnlat_posn sun{};
        ln_lnlat_posn moon{};
        ln_get_solar_ecl_coords(jd, &sun);
        ln_get_lunar_ecl_coords(jd, &moon, 0.0001);
        const double au = ln_get_earth_solar_dist(jd);

        EXPECT_NEAR(sun_km, au * 149597870.691, 1e-6);  // km
        EXPECT_NEAR(sun_deg, 1919.26 / au / 3600.0, 1e-12);
        EXPECT_NEAR(moon_km, ln_get_lunar_earth_dist(jd), 1e-6);  // km
        EXPECT_NEAR(moon_deg, 2.0 * ln_get_lunar_sdiam(jd) / 3600.0, 1e-12);
        EXPECT_NEAR(illuminated, illuminated_fraction_from(sun.lng, moon.lng, moon.lat), 1e-12);
        EXPECT_NEAR(fraction, phase_fraction_from_elongation(moon.lng - sun.lng), 1e-12);

        EXPECT_GE(fraction, 0.0);
        EXPECT_LT(fraction, 1.0);
        EXPECT_GE(illuminated, 0.0);
        EXPECT_LE(illuminated, 1.0);
        EXPECT_GT(sun_km, 147.0e6);
        EXPECT_LT(sun_km, 152.2e6);
        EXPECT_GT(sun_deg, 0.524);  // about 0.5245 at aphelion
        EXPECT_LT(sun_deg, 0.5423);  // about 0.5420 at perihelion
        EXPECT_GT(moon_km, 356000.0);
        EXPECT_LT(moon_km, 407000.0);
        EXPECT_GT(moon_deg, 0.488);
        EXPECT_LT(moon_deg, 0.559);
    }
}

TEST(MoonSun, LunarStateAtKnownPhases)
{
    double illuminated = 0, moon_km = 0, moon_deg = 0, sun_km = 0, sun_deg = 0;
    // New moon 2024-01-11 11:57 UT: elongation near 0 (or a hair below 1).
    double fraction = lunar_state(2460321.0, illuminated, moon_km, moon_deg, sun_km, sun_deg);
    EXPECT_LT(std::min(fraction, 1.0 - fraction), 0.002) << full(fraction);
    EXPECT_LT(illuminated, 0.003) << full(illuminated);
    // Full moon 2024-01-25 17:54 UT.
    fraction = lunar_state(2460335.246, illuminated, moon_km, moon_deg, sun_km, sun_deg);
    EXPECT_NEAR(fraction, 0.5, 0.002);
    EXPECT_GT(illuminated, 0.997) << full(illuminated);
    // First quarter 2024-01-18 03:53 UT: half lit, waxing.
    fraction = lunar_state(2460327.662, illuminated, moon_km, moon_deg, sun_km, sun_deg);
    EXPECT_NEAR(fraction, 0.25, 0.002);
    EXPECT_NEAR(illuminated, 0.5, 0.01);
}

}  // namespace
