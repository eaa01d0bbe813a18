#include "moon_rise_set.h"

#include <libnova/lunar.h>
#include <libnova/transform.h>

#include <algorithm>
#include <cmath>
#include <vector>

static_assert(moon_standard_altitude == LN_LUNAR_STANDART_HORIZON);

namespace {

constexpr double minutes_per_day = 1440.0;
constexpr double sample_step = 10.0 / minutes_per_day;  // days
// Bisection stops once the bracket is shorter than this (days): 0.3 s.
constexpr double bisection_width = 0.3 / 86400.0;
// The moon's equatorial coordinates are taken from libnova every 4 hours and
// interpolated in between: one full lunar theory costs about a millisecond,
// and a cubic through 4-hourly positions stays within 1e-5 degrees of it.
constexpr double node_step = 4.0 / 24.0;  // days

ln_lnlat_posn libnova_observer(const observer_place& place)
{
    return {place.longitude, place.latitude};
}

double altitude_of(ln_equ_posn equ, const observer_place& place, double jd)
{
    ln_lnlat_posn observer = libnova_observer(place);
    ln_hrz_posn hrz{};
    ln_get_hrz_from_equ(&equ, &observer, jd, &hrz);
    return hrz.alt;
}

// The moon's right ascension and declination from a start onwards, from
// libnova at evenly spaced nodes, interpolated by four-point Lagrange
// polynomials (Meeus, ch. 3). Nodes are computed as they are first needed.
class lunar_track {
public:
    explicit lunar_track(double start) : start_(start - node_step) {}

    ln_equ_posn at(double jd)
    {
        const double x = (jd - start_) / node_step;
        // Nodes first..first+3 around jd; jd is never before the start, but
        // x may round to a hair below 1 there.
        const auto first = static_cast<std::size_t>(std::max(std::floor(x) - 1.0, 0.0));
        ensure(first + 3);
        const double u = x - static_cast<double>(first);  // about 1..2
        double ra = 0.0;
        double dec = 0.0;
        for (std::size_t i = 0; i < 4; ++i) {
            double weight = 1.0;
            for (std::size_t j = 0; j < 4; ++j) {
                if (j != i) {
                    weight *= (u - static_cast<double>(j)) / (static_cast<double>(i) - static_cast<double>(j));
                }
            }
            ra += weight * ra_[first + i];
            dec += weight * dec_[first + i];
        }
        return {std::fmod(ra, 360.0), dec};
    }

private:
    void ensure(std::size_t last)
    {
        while (ra_.size() <= last) {
            ln_equ_posn equ{};
            ln_get_lunar_equ_coords(start_ + static_cast<double>(ra_.size()) * node_step, &equ);
            // Right ascension unwrapped, so that it can be interpolated.
            if (!ra_.empty()) {
                while (equ.ra < ra_.back() - 180.0) {
                    equ.ra += 360.0;
                }
                while (equ.ra > ra_.back() + 180.0) {
                    equ.ra -= 360.0;
                }
            }
            ra_.push_back(equ.ra);
            dec_.push_back(equ.dec);
        }
    }

    double start_;
    std::vector<double> ra_;
    std::vector<double> dec_;
};

}  // namespace

double moon_altitude(double jd, const observer_place& place)
{
    ln_equ_posn equ{};
    ln_get_lunar_equ_coords(jd, &equ);
    return altitude_of(equ, place, jd);
}

rise_set_events find_rise_set(double jd, const observer_place& place, double span_days)
{
    lunar_track track(jd);
    // Height above the standard altitude, degrees.
    const auto height = [&](double t) { return altitude_of(track.at(t), place, t) - moon_standard_altitude; };

    rise_set_events events;
    events.from = jd;
    events.until = jd + span_days;
    double before = jd;
    double height_before = height(jd);
    events.up_at_start = height_before > 0.0;
    const auto samples = static_cast<int>(std::ceil(span_days / sample_step));
    for (int i = 1; i <= samples && !(events.rise && events.set); ++i) {
        const double after = jd + i * sample_step;
        const double height_after = height(after);
        if ((height_before > 0.0) != (height_after > 0.0)) {
            const bool rising = height_after > 0.0;
            double low = before;
            double high = after;
            while (high - low > bisection_width) {
                const double middle = 0.5 * (low + high);
                if ((height(middle) > 0.0) == rising) {
                    high = middle;
                } else {
                    low = middle;
                }
            }
            std::optional<double>& slot = rising ? events.rise : events.set;
            if (!slot) {
                slot = 0.5 * (low + high);
            }
        }
        before = after;
        height_before = height_after;
    }
    return events;
}

std::vector<horizon_crossing> rises_and_sets(double from, double to, const observer_place& place)
{
    constexpr double one_second = 1.0 / 86400.0;
    std::vector<horizon_crossing> crossings;
    while (from < to) {
        const rise_set_events found = find_rise_set(from, place);
        if (!found.rise && !found.set) {
            break;
        }
        const bool rise_first = found.rise && (!found.set || *found.rise < *found.set);
        const double when = rise_first ? *found.rise : *found.set;
        if (when >= to) {
            break;
        }
        crossings.push_back({when, rise_first});
        from = when + one_second;
    }
    return crossings;
}
