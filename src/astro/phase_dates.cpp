#include "phase_dates.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "calendar.h"

namespace {

constexpr double jd_1900 = 2415020.0;   // 1899 December 31, 12:00 UT
constexpr double degrees_to_radians = 0.017453292519943295;

double sin_deg(double degrees) { return std::sin(degrees * degrees_to_radians); }
double cos_deg(double degrees) { return std::cos(degrees * degrees_to_radians); }

// One periodic term: coefficient (days) x sin(m*M + mp*M' + f*F).
// M is the sun's mean anomaly, M' the moon's, F the moon's argument of
// latitude. A coefficient of 0 means the series has no such term.
struct periodic_term {
    int m;              // multiple of M
    int mp;             // multiple of M'
    int f;              // multiple of F
    double new_full;    // new and full moon, days
    double quarter;     // first and last quarter, days
};

// Meeus (AFC) ch. 32. The M term's coefficients also carry a T term, added in
// truephase(); the rest are constant. Summed in this order.
constexpr std::array<periodic_term, 15> phase_terms{{
    // m  mp  f   new/full   quarter
    {1, 0, 0, 0.1734, 0.1721},     // M   (- 0.000393 T, - 0.0004 T)
    {2, 0, 0, 0.0021, 0.0021},     // 2M
    {0, 1, 0, -0.4068, -0.628},    // M'
    {0, 2, 0, 0.0161, 0.0089},     // 2M'
    {0, 3, 0, -0.0004, -0.0004},   // 3M'
    {0, 0, 2, 0.0104, 0.0079},     // 2F
    {1, 1, 0, -0.0051, -0.0119},   // M + M'
    {1, -1, 0, -0.0074, -0.0047},  // M - M'
    {1, 0, 2, 0.0004, 0.0003},     // 2F + M
    {-1, 0, 2, -0.0004, -0.0004},  // 2F - M
    {0, 1, 2, -0.0006, -0.0006},   // 2F + M'
    {0, -1, 2, 0.0010, 0.0021},    // 2F - M'
    {1, 2, 0, 0.0005, 0.0003},     // M + 2M'
    {1, -2, 0, 0.0, 0.0004},       // M - 2M'  (quarters only)
    {2, 1, 0, 0.0, -0.0003},       // 2M + M'  (quarters only)
}};

// The part of the mean phase shared by mean_new_moon and truephase.
double mean_phase(double k, double t)
{
    const double t2 = t * t;
    const double t3 = t2 * t;
    return 2415020.75933 + synodic_month * k + 0.0001178 * t2 - 0.000000155 * t3 +
           0.00033 * sin_deg(166.56 + 132.87 * t - 0.009173 * t2);
}

}  // namespace

double mean_new_moon(double date, double k)
{
    const double t = (date - jd_1900) / 36525.0;
    return mean_phase(k, t);
}

double truephase(double k, double phase)
{
    k += phase;
    const double t = k / 1236.85;
    const double t2 = t * t;
    const double t3 = t2 * t;
    double pt = mean_phase(k, t);

    const double m = 359.2242 + 29.10535608 * k - 0.0000333 * t2 - 0.00000347 * t3;
    const double mp = 306.0253 + 385.81691806 * k + 0.0107306 * t2 + 0.00001236 * t3;
    const double f = 21.2964 + 390.67050646 * k - 0.0016528 * t2 - 0.00000239 * t3;

    bool quarter = false;
    if (phase < 0.01 || std::fabs(phase - 0.5) < 0.01) {
        quarter = false;
    } else if (std::fabs(phase - 0.25) < 0.01 || std::fabs(phase - 0.75) < 0.01) {
        quarter = true;
    } else {
        std::fputs("TRUEPHASE called with invalid phase selector.\n", stderr);
        std::abort();
    }

    double sum = 0.0;
    for (const periodic_term& term : phase_terms) {
        double coefficient = quarter ? term.quarter : term.new_full;
        if (coefficient == 0.0) {
            continue;
        }
        if (term.m == 1 && term.mp == 0 && term.f == 0) {
            coefficient -= (quarter ? 0.0004 : 0.000393) * t;
        }
        sum += coefficient * sin_deg(term.m * m + term.mp * mp + term.f * f);
    }
    pt += sum;

    if (quarter) {
        const double adjust = 0.0028 - 0.0004 * cos_deg(m) + 0.0003 * cos_deg(mp);
        pt += phase < 0.5 ? adjust : -adjust;
    }
    return pt;
}

void find_phase_dates(double jd, phase_table& phase_dates)
{
    const double start = jd - 45.0;
    const civil_time c = civil_from_julian(start);
    // Lunation count at the first day of that month, rounded down.
    double k1 = std::floor((c.year + (c.month - 1) / 12.0 - 1900.0) * 12.3685);
    double nt1 = mean_new_moon(start, k1);
    double a = nt1;
    double k2 = 0.0;
    for (;;) {
        a += synodic_month;
        k2 = k1 + 1.0;
        const double nt2 = mean_new_moon(a, k2);
        if (nt1 <= jd && nt2 > jd) {
            break;
        }
        nt1 = nt2;
        k1 = k2;
    }
    phase_dates[last_new] = truephase(k1, 0.0);
    phase_dates[first_quarter] = truephase(k1, 0.25);
    phase_dates[full] = truephase(k1, 0.5);
    phase_dates[last_quarter] = truephase(k1, 0.75);
    phase_dates[next_new] = truephase(k2, 0.0);
}
