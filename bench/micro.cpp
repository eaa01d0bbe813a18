// Micro-benchmarks of the update path: the astronomy, the phase bitmap, the
// panel texts, and whole runs of update_display against a private X server.
// Counters "requests" give the X requests one iteration sends (XNextRequest).
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "app_harness.h"
#include "app_state.h"
#include "bench_support.h"
#include "events.h"
#include "moon_rise_set.h"
#include "moon_sun.h"
#include "nova_calls.h"
#include "panel_text.h"
#include "phase_dates.h"
#include "phase_picture.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

constexpr double bench_jd = 2460320.75;   // 2024 January 11, 06:00 UT
constexpr std::time_t bench_start = 1704952800;  // the same instant, Unix time

std::time_t bench_now = bench_start;
// Steady running: every run reads a clock one second later than the last.
std::time_t ticking_clock(std::time_t*) { return ++bench_now; }
std::time_t frozen_clock(std::time_t*) { return bench_now; }

std::unique_ptr<private_xvfb> server;

// No main loop runs here: the exposures that a label change brings back (its
// repaint) are fetched and dispatched by hand, outside the timed part, and
// their requests are counted with the run that caused them.
unsigned long dispatch_replies(Display* display)
{
    const unsigned long before = XNextRequest(display);
    sync_and_dispatch(display);
    // XSync itself is one request (GetInputFocus): not the program's.
    return XNextRequest(display) - before - 1;
}

void BM_lunar_state(benchmark::State& state)
{
    double jd = bench_jd;
    for (auto _ : state) {
        double f = 0, mk = 0, md = 0, sk = 0, sd = 0;
        benchmark::DoNotOptimize(lunar_state(jd, f, mk, md, sk, sd));
        benchmark::DoNotOptimize(f);
        jd += 1.0 / 86400.0;
    }
}
BENCHMARK(BM_lunar_state);

void BM_five_libnova_calls(benchmark::State& state)
{
    double jd = bench_jd;
    for (auto _ : state) {
        benchmark::DoNotOptimize(five_libnova_calls(jd));
        jd += 1.0 / 86400.0;
    }
}
BENCHMARK(BM_five_libnova_calls);

void BM_find_phase_dates(benchmark::State& state)
{
    double jd = bench_jd;
    for (auto _ : state) {
        phase_table t{};
        find_phase_dates(jd, t);
        benchmark::DoNotOptimize(t);
        jd += 1.0;
    }
}
BENCHMARK(BM_find_phase_dates);

void BM_search_phase_dates(benchmark::State& state)
{
    double jd = bench_jd;
    for (auto _ : state) {
        phase_table t{};
        search_phase_dates(jd, t);
        benchmark::DoNotOptimize(t);
        jd += 1.0;
    }
}
BENCHMARK(BM_search_phase_dates);

// One search for the next moonrise and moonset, done about twice a day with a
// location set: at Sydney (both within a day), and at Tromso from 11 and 25
// January 2025, when the moon stays up (down) for days and the search runs on.
void BM_find_rise_set(benchmark::State& state)
{
    const bool far_north = state.range(0) != 0;
    const observer_place place = far_north ? observer_place{69.65, 18.96} : observer_place{-33.87, 151.21};
    const double start = far_north ? 2460687.0 + 14.0 * static_cast<double>(state.range(1)) : 2460686.0;
    double jd = start;
    for (auto _ : state) {
        benchmark::DoNotOptimize(find_rise_set(jd, place));
        jd += 0.001;
    }
}
BENCHMARK(BM_find_rise_set)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// Arg: phase fraction in thousandths; 0 = monochrome radius, 1 = colour radius.
void BM_build_phase_bitmap(benchmark::State& state)
{
    const double p = static_cast<double>(state.range(0)) / 1000.0;
    const double r = picture_radius(state.range(1) != 0, p);
    const mono_bitmap moon = full_moon_bitmap();
    for (auto _ : state) {
        benchmark::DoNotOptimize(build_phase_bitmap(moon, p, r));
    }
}
BENCHMARK(BM_build_phase_bitmap)->Args({250, 0})->Args({500, 0})->Args({5, 1});

void BM_julian_date_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(julian_date_text(bench_jd));
}
BENCHMARK(BM_julian_date_text);

void BM_clock_text(benchmark::State& state)
{
    std::tm utc{};
    gmtime_r(&bench_start, &utc);
    for (auto _ : state) benchmark::DoNotOptimize(clock_text(utc));
}
BENCHMARK(BM_clock_text);

void BM_local_time_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(local_time_text(bench_start));
}
BENCHMARK(BM_local_time_text);

void BM_test_clock_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(test_clock_text(bench_jd));
}
BENCHMARK(BM_test_clock_text);

void BM_age_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(age_text(14, 18, 28));
}
BENCHMARK(BM_age_text);

void BM_phase_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(phase_text(0.5));
}
BENCHMARK(BM_phase_text);

void BM_moon_distance_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(moon_distance_text(384400.0, 1.0));
}
BENCHMARK(BM_moon_distance_text);

void BM_degrees_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(degrees_text(0.5181));
}
BENCHMARK(BM_degrees_text);

void BM_sun_distance_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(sun_distance_text(149598500.0, 1.0));
}
BENCHMARK(BM_sun_distance_text);

void BM_phase_date_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(phase_date_text(2460320.998));
}
BENCHMARK(BM_phase_date_text);

void BM_lunation_number(benchmark::State& state)
{
    double jd = 2460320.998;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lunation_number(jd));
        jd += synodic_month;
    }
}
BENCHMARK(BM_lunation_number);

void BM_lunation_text(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(lunation_text(1250));
}
BENCHMARK(BM_lunation_text);

void BM_pad_to(benchmark::State& state)
{
    for (auto _ : state) {
        text_buffer t{};
        t[0] = 'x';
        pad_to(t, phase_text_width);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_pad_to);

// One direct run of update_display. Arg 0: window shown, 1: iconic.
// Arg 1: clock ticking one second per run (1) or frozen (0).
void BM_update_display(benchmark::State& state)
{
    Display* display = program_display();
    app_state.iconic = state.range(0) != 0 ? 1 : 0;
    clock_source = state.range(1) != 0 ? ticking_clock : frozen_clock;
    update_display(app_state.toplevel, nullptr);  // settle caches at this clock
    dispatch_replies(display);
    unsigned long requests = 0;
    for (auto _ : state) {
        const unsigned long before = XNextRequest(display);
        update_display(app_state.toplevel, nullptr);
        requests += XNextRequest(display) - before;
        state.PauseTiming();
        requests += dispatch_replies(display);
        state.ResumeTiming();
    }
    app_state.iconic = 0;
    clock_source = std::time;
    state.counters["requests"] = benchmark::Counter(static_cast<double>(requests), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_update_display)->ArgNames({"iconic", "ticking"})->Args({0, 1})->Args({0, 0})->Args({1, 1});

// One forced colour redraw, the server's work included (XSync, counted).
void BM_colour_redraw(benchmark::State& state)
{
    Display* display = program_display();
    app_state.iconic = 0;
    clock_source = frozen_clock;
    unsigned long requests = 0;
    for (auto _ : state) {
        const unsigned long before = XNextRequest(display);
        force_redraw();
        update_display(app_state.toplevel, nullptr);
        XSync(display, False);
        requests += XNextRequest(display) - before - 1;  // less XSync's own
        state.PauseTiming();
        requests += dispatch_replies(display);
        state.ResumeTiming();
    }
    clock_source = std::time;
    state.counters["requests"] = benchmark::Counter(static_cast<double>(requests), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_colour_redraw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    server = std::make_unique<private_xvfb>();
    clock_source = frozen_clock;
    start_program(server->display_name());
    // Let the window map and the first timer runs settle.
    dispatch_for(std::chrono::milliseconds(500));
    clock_source = std::time;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
