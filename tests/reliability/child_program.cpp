#include "child_program.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

child_process spawn_program(const std::string& display, const std::vector<std::string>& args,
                            const std::string& output_file)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    if (binary == nullptr) {
        throw std::runtime_error("LUNACLOCK_BINARY is not set");
    }
    std::vector<std::string> argv{binary};
    argv.insert(argv.end(), args.begin(), args.end());
    return child_process({argv,
                          {"DISPLAY=" + display, "ASAN_OPTIONS=abort_on_error=1:detect_leaks=0",
                           "UBSAN_OPTIONS=abort_on_error=1:print_stacktrace=1"},
                          output_file,
                          std::nullopt});
}

void drain_events(Display* watcher)
{
    XSync(watcher, False);
    while (XPending(watcher) > 0) {
        XEvent event;
        XNextEvent(watcher, &event);
    }
}

child_outcome wait_for_window(Display* watcher, child_process& program, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (XPending(watcher) > 0) {
            XEvent event;
            XNextEvent(watcher, &event);
            if (event.type == MapNotify) {
                return child_outcome::mapped;
            }
        }
        if (!program.running()) {
            return child_outcome::exited;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return child_outcome::timed_out;
        }
        pollfd p{ConnectionNumber(watcher), POLLIN, 0};
        poll(&p, 1, 10);
    }
}

double process_cpu_seconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The command name may hold spaces; the fields after it start past ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    // Fields 3..13 precede utime (14) and stime (15).
    for (int i = 3; i <= 13; ++i) {
        fields >> field;
    }
    fields >> utime >> stime;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}
