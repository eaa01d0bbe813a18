#include "child_program.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

pid_t spawn_program(const std::string& display, const std::vector<std::string>& args, int output_fd)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    if (binary == nullptr) {
        throw std::runtime_error("LUNACLOCK_BINARY is not set");
    }
    std::vector<std::string> words{binary};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        setenv("ASAN_OPTIONS", "abort_on_error=1:detect_leaks=0", 1);
        setenv("UBSAN_OPTIONS", "abort_on_error=1:print_stacktrace=1", 1);
        dup2(output_fd, STDOUT_FILENO);
        dup2(output_fd, STDERR_FILENO);
        execv(binary, argv.data());
        _exit(127);
    }
    return pid;
}

void drain_events(Display* watcher)
{
    XSync(watcher, False);
    while (XPending(watcher) > 0) {
        XEvent event;
        XNextEvent(watcher, &event);
    }
}

child_outcome wait_for_window(Display* watcher, pid_t pid, int& status, rusage& usage,
                              std::chrono::milliseconds timeout)
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
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
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
