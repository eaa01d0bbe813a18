// The system clock set while the real program runs, as `date -s`, an NTP
// step or a restored virtual machine set it: back an hour, forward a day,
// back to the true time. libfaketime steps the program's wall clock by the
// offset in its timestamp file and leaves the monotonic clock alone, as a
// real clock step does; the universal-time row is read from the requests
// that draw it, through xtrace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"
#include "xtrace.h"

namespace {

struct shown_time {
    double at;          // monotonic time of the request that drew it
    std::time_t shows;  // the time on screen
};

std::vector<shown_time> universal_times(traced_program& program, double since)
{
    std::vector<shown_time> out;
    for (const traced_program::drawn_text& t : program.texts()) {
        if (t.time >= since) {
            // The real clock's row: GMT.
            if (const std::optional<universal_time_row> shows = universal_time(t.text); shows && !shows->test_clock) {
                out.push_back({t.time, shows->time});
            }
        }
    }
    return out;
}

// The offset file that libfaketime reads on every clock call; replaced whole
// so that a read never sees half a line.
void set_offset(const std::filesystem::path& file, const std::string& offset)
{
    const std::filesystem::path next = file.string() + ".new";
    std::ofstream(next) << offset << "\n";
    std::filesystem::rename(next, file);
}

// Real seconds since the epoch at a monotonic instant near now.
double real_at(double monotonic)
{
    timespec wall{};
    clock_gettime(CLOCK_REALTIME, &wall);
    const double now = static_cast<double>(wall.tv_sec) + static_cast<double>(wall.tv_nsec) / 1e9;
    return now - (monotonic_now() - monotonic);
}

}  // namespace

TEST(ClockSteps, TheNewTimeIsOnScreenAtOnceAndTheCycleGoesOn)
{
    ASSERT_EQ(access(libfaketime_path, R_OK), 0) << libfaketime_path;
    private_xvfb server;
    x_connection watcher(server.display_name());
    temp_dir dir;
    const std::filesystem::path stamp = dir.path() / "offset";
    set_offset(stamp, "+0");

    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asan_options =
        "ASAN_OPTIONS=" + (asan != nullptr ? std::string(asan) + ":" : std::string()) + "verify_asan_link_order=0";
    traced_program program(server.display_name(),
                           {{},
                            {"TZ=JST-9", std::string("LD_PRELOAD=") + libfaketime_path,
                             "FAKETIME_TIMESTAMP_FILE=" + stamp.string(), "FAKETIME_NO_CACHE=1",
                             "FAKETIME_DONT_FAKE_MONOTONIC=1", asan_options}});

    // Up and ticking on the true time.
    ASSERT_TRUE(wait_until(watcher, [&] { return universal_times(program, 0.0).size() >= 2; }, 20s))
        << "no universal time drawn; " << program.output();

    struct step {
        const char* offset;
        long seconds;
    };
    const std::array<step, 3> steps{{{"-3600", -3600}, {"+86400", 86400}, {"+0", 0}}};
    for (const step& s : steps) {
        SCOPED_TRACE(std::string("clock offset ") + s.offset);
        const double stepped = monotonic_now();
        set_offset(stamp, s.offset);
        // The time shown by a request at monotonic instant t, on the stepped clock.
        const auto on_new_clock = [&](const shown_time& t) {
            const double expected = real_at(t.at) + static_cast<double>(s.seconds);
            return std::abs(static_cast<double>(t.shows) - expected) <= 2.0;
        };
        std::vector<shown_time> after;
        const bool followed = wait_until(
            watcher,
            [&] {
                after = universal_times(program, stepped);
                const auto first = std::find_if(after.begin(), after.end(), on_new_clock);
                // The new time, then three more seconds of it: the cycle runs on.
                return first != after.end() && std::count_if(first, after.end(), on_new_clock) >= 4;
            },
            10s);
        ASSERT_TRUE(followed) << after.size() << " universal times drawn since the step, "
                              << (after.empty() ? std::string("none") : std::to_string(after.back().shows))
                              << " last";
        const auto first = std::find_if(after.begin(), after.end(), on_new_clock);
        // The figure that docs/reliability.md quotes.
        std::printf("clock step %s: new time on screen after %.3f s\n", s.offset, first->at - stepped);
        for (auto it = first; it != after.end(); ++it) {
            EXPECT_TRUE(on_new_clock(*it)) << "a time off the new clock was drawn after the new one: " << it->shows;
        }
    }
}
