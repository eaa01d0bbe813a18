// Runs N steady updates (window shown, clock one second further each run)
// and N sets of the five libnova calls, each inside a function of its own,
// so that valgrind --tool=callgrind can count the instructions of both:
//   valgrind --tool=callgrind ./update_cost 200
// and callgrind_annotate --inclusive=yes lists steady_updates, steady_cycles
// and nova_only with their inclusive instruction counts. steady_cycles adds
// to each run the dispatch of the exposures that repaint the changed labels,
// which the main loop does after the run.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app_harness.h"
#include "app_state.h"
#include "bench_support.h"
#include "nova_calls.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

constexpr double bench_jd = 2460320.75;
std::time_t bench_now = 1704952800;
std::time_t ticking_clock(std::time_t*) { return ++bench_now; }

[[gnu::noinline]] void steady_updates(int n)
{
    for (int i = 0; i < n; ++i) {
        update_display(app_state.toplevel, nullptr);
    }
}

[[gnu::noinline]] void steady_cycles(int n)
{
    Display* display = program_display();
    for (int i = 0; i < n; ++i) {
        update_display(app_state.toplevel, nullptr);
        sync_and_dispatch(display);
    }
}

[[gnu::noinline]] double nova_only(int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        sum += five_libnova_calls(bench_jd + i / 86400.0).moon_lng;
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 200;
    private_xvfb server;
    clock_source = ticking_clock;
    start_program(server.display_name());
    dispatch_for(std::chrono::milliseconds(300));
    update_display(app_state.toplevel, nullptr);
    XSync(program_display(), False);
    const unsigned long before = XNextRequest(program_display());
    steady_updates(n);
    const unsigned long requests = XNextRequest(program_display()) - before;
    steady_cycles(n);
    const double sum = nova_only(n);
    std::printf("runs %d requests_per_run %.3f check %.3f\n", n, static_cast<double>(requests) / n, sum);
    return 0;
}
