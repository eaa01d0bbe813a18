// What one forced redraw of the picture costs at scales 1, 2 and 4, in colour
// and in black and white: X requests (XNextRequest) and wall time with the
// server's work (XSync), median of N redraws. Prints key-value lines:
//   ./scale_cost 200
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "bench_support.h"
#include "events.h"
#include "update_cycle.h"
#include "xvfb.h"

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 200;
    private_xvfb server;
    fixed_now = 1705579200;  // 2024-01-18 12:00 UTC
    clock_source = fixed_clock;
    for (const char* mode : {"-c", "-m"}) {
        for (const int scale : {1, 2, 4}) {
            start_program(server.display_name(), {mode, "-xrm", "Lunaclock.scale: " + std::to_string(scale)});
            dispatch_for(std::chrono::milliseconds(300));
            Display* display = program_display();
            update_display(app_state.toplevel, nullptr);
            sync_and_dispatch(display);
            unsigned long requests = 0;
            std::vector<double> micros;
            for (int i = 0; i < n; ++i) {
                const auto start = std::chrono::steady_clock::now();
                const unsigned long before = XNextRequest(display);
                force_redraw();
                update_display(app_state.toplevel, nullptr);
                requests += XNextRequest(display) - before;
                XSync(display, False);
                micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
                sync_and_dispatch(display);
            }
            std::nth_element(micros.begin(), micros.begin() + n / 2, micros.end());
            const std::string key = std::string(mode[1] == 'c' ? "colour" : "mono") + "_scale_" + std::to_string(scale);
            std::printf("%s_requests %.2f\n", key.c_str(), static_cast<double>(requests) / n);
            std::printf("%s_us %.1f\n", key.c_str(), micros[static_cast<std::size_t>(n / 2)]);
        }
    }
    return 0;
}
