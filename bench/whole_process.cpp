// Whole-process figures of the program beside xclock -digital -update 1, on
// one private X server, printed as "key value" lines for bench/report.py:
//   requests   X requests per steady second: the program in-process, counted
//              with XNextRequest around a stretch of its main loop; xclock
//              (and, as a cross-check, the real program) through xtrace,
//              counted over the same stretch of the monotonic clock.
//   unchanged  requests sent by a second run of update_display at an
//              unchanged clock.
//   cpu, rss   the real program and xclock run together; utime+stime from
//              /proc/PID/stat over a minute, VmRSS once start-up has settled.
//   startup    exec to MapNotify of the top-level window, seen by a watcher
//              that selects SubstructureNotify on the root; median of runs.
//   testmode   CPU share of "lunaclock -t" (150 ms per run) and of the server.
// Usage: whole_process <lunaclock binary> [cpu seconds]
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "update_cycle.h"
#include "xtrace.h"
#include "xvfb.h"

namespace {

using namespace std::chrono_literals;

double monotonic_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void sleep_for(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// Starts argv in a process group of its own with DISPLAY set; output goes
// to /dev/null unless log names a file.
pid_t spawn(const std::vector<std::string>& args, const std::string& display, const std::string& log = "/dev/null")
{
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        // Ends with the driver, should the driver be stopped half-way.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        setenv("DISPLAY", display.c_str(), 1);
        if (freopen(log.c_str(), "w", stdout) == nullptr || freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        std::vector<std::string> words = args;
        std::vector<char*> argv;
        for (std::string& w : words) {
            argv.push_back(w.data());
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void end_group(pid_t pid)
{
    if (pid <= 0) {
        return;
    }
    kill(-pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

// utime + stime of a process, seconds.
double cpu_seconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
    }
    std::istringstream fields(all.substr(close + 2));
    std::vector<std::string> f;
    std::string w;
    while (fields >> w) {
        f.push_back(w);
    }
    // Fields 14 and 15 of stat; f[0] is field 3 (state).
    if (f.size() < 13) {
        return -1.0;
    }
    return static_cast<double>(std::stoll(f[11]) + std::stoll(f[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Time on a CPU, seconds, from /proc/PID/schedstat (nanoseconds): the same
// quantity as utime+stime without its 10 ms ticks.
double run_seconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    long long ns = -1;
    in >> ns;
    return static_cast<double>(ns) / 1e9;
}

// A "Name:  N kB" line of /proc/PID/status (VmRSS, RssAnon, RssFile).
long status_kib(pid_t pid, const std::string& name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::atol(line.c_str() + name.size() + 1);
        }
    }
    return -1;
}
long rss_kib(pid_t pid) { return status_kib(pid, "VmRSS"); }

// Resident kB of the mappings of files whose path contains part.
long mapped_rss_kib(pid_t pid, const std::string& part)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::string line;
    bool counting = false;
    long total = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 17) {
            counting = line.find(part) != std::string::npos;
        } else if (counting && line.rfind("Rss:", 0) == 0) {
            total += std::atol(line.c_str() + 4);
        }
    }
    return total;
}

// Requests in an xtrace log (lines "<time> <conn>:<:<seq>: ...") whose
// monotonic time stamp lies in [from, to).
long trace_requests(const std::string& path, double from, double to)
{
    std::ifstream in(path);
    std::string line;
    long count = 0;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space == std::string::npos || line.compare(space + 4, 3, ":<:") != 0) {
            continue;
        }
        // The connection set-up line has no sequence number.
        if (line.size() < space + 12 || line[space + 11] != ':') {
            continue;
        }
        const double t = std::atof(line.c_str());
        if (t >= from && t < to) {
            ++count;
        }
    }
    return count;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0.0 : (n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0);
}

// Windows side by side, none covering another: no window manager runs, and
// a covered label would be spared its repaint.
constexpr const char* xclock_place = "+760+0";

std::time_t frozen_now = 0;
std::time_t frozen_clock(std::time_t*) { return frozen_now; }

// In a child process: the real program in-process; writes to fd the
// requests of the measured stretch, its bounds, and those of a second run
// at an unchanged clock.
constexpr int request_windows = 3;

// In a child process: the real program in-process; writes to fd, for each
// measured stretch, its requests and bounds, then the requests of a second
// run at an unchanged clock.
[[noreturn]] void in_process_program(const std::string& display, double settle, double seconds, int fd)
{
    start_program(display, {"-geometry", "+0+0"});
    dispatch_for(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(settle)));
    Display* d = program_display();
    std::string text;
    char line[200];
    for (int w = 0; w < request_windows; ++w) {
        XSync(d, False);
        const double t0 = monotonic_seconds();
        const unsigned long n0 = XNextRequest(d);
        dispatch_for(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(seconds)));
        const unsigned long n1 = XNextRequest(d);
        const double t1 = monotonic_seconds();
        std::snprintf(line, sizeof line, "%lu %.6f %.6f\n", n1 - n0, t0, t1);
        text += line;
    }

    frozen_now = std::time(nullptr);
    clock_source = frozen_clock;
    update_display(app_state.toplevel, nullptr);
    XSync(d, False);
    const unsigned long u0 = XNextRequest(d);
    update_display(app_state.toplevel, nullptr);
    const unsigned long u1 = XNextRequest(d);
    std::snprintf(line, sizeof line, "%lu\n", u1 - u0);
    text += line;
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        _exit(1);
    }
    _exit(0);
}

void measure_requests(const std::string& display, const std::string& binary, const std::string& dir)
{
    constexpr double settle = 4.0;
    constexpr double seconds = 7.0;  // per stretch; request_windows of them
    const int fake_a = free_display_number();
    const std::string xclock_log = dir + "/xclock.trace";
    const pid_t xclock = spawn({"xtrace", "-n", "-d", display, "-D", ":" + std::to_string(fake_a),
                                "--monotonic-timestamps", "-o", xclock_log, "--", "xclock", "-digital", "-update",
                                "1", "-geometry", xclock_place},
                               display);
    sleep_for(0.3);  // let the proxy claim its display number
    const int fake_b = free_display_number();
    const std::string program_log = dir + "/lunaclock.trace";
    const pid_t traced = spawn({"xtrace", "-n", "-d", display, "-D", ":" + std::to_string(fake_b),
                                "--monotonic-timestamps", "-o", program_log, "--", binary, "-geometry", "+0+384"},
                               display);

    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        in_process_program(display, settle, seconds, fds[1]);
    }
    close(fds[1]);
    std::string result;
    char buf[256];
    ssize_t n = 0;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) {
        result.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    end_group(xclock);
    end_group(traced);
    remove_proxy_socket(fake_a);
    remove_proxy_socket(fake_b);

    std::istringstream lines(result);
    std::vector<double> in_process;
    std::vector<double> traced_program;
    std::vector<double> traced_xclock;
    for (int w = 0; w < request_windows; ++w) {
        unsigned long requests = 0;
        double t0 = 0.0;
        double t1 = 0.0;
        if (!(lines >> requests >> t0 >> t1)) {
            std::fprintf(stderr, "whole_process: the in-process program reported nothing\n");
            std::exit(1);
        }
        const double span = t1 - t0;
        in_process.push_back(static_cast<double>(requests) / span);
        traced_program.push_back(static_cast<double>(trace_requests(program_log, t0, t1)) / span);
        traced_xclock.push_back(static_cast<double>(trace_requests(xclock_log, t0, t1)) / span);
    }
    unsigned long unchanged = 0;
    lines >> unchanged;
    std::printf("requests_windows %d\n", request_windows);
    std::printf("requests_window_s %.3f\n", seconds);
    std::printf("requests_per_s_lunaclock %.3f\n", median(in_process));
    std::printf("requests_per_s_lunaclock_xtrace %.3f\n", median(traced_program));
    std::printf("requests_per_s_xclock %.3f\n", median(traced_xclock));
    std::printf("unchanged_run_requests %lu\n", unchanged);
}

void measure_cpu_rss(const std::string& display, const std::string& binary, pid_t server, double seconds)
{
    const pid_t program = spawn({binary, "-geometry", "+0+0"}, display);
    const pid_t xclock = spawn({"xclock", "-digital", "-update", "1", "-geometry", xclock_place}, display);
    sleep_for(5.0);
    std::printf("rss_kib_lunaclock %ld\n", rss_kib(program));
    std::printf("rss_kib_xclock %ld\n", rss_kib(xclock));
    std::printf("rss_anon_kib_lunaclock %ld\n", status_kib(program, "RssAnon"));
    std::printf("rss_anon_kib_xclock %ld\n", status_kib(xclock, "RssAnon"));
    std::printf("rss_file_kib_lunaclock %ld\n", status_kib(program, "RssFile"));
    std::printf("rss_file_kib_xclock %ld\n", status_kib(xclock, "RssFile"));
    std::printf("rss_kib_lunaclock_libnova %ld\n", mapped_rss_kib(program, "libnova"));
    std::printf("rss_kib_lunaclock_libXm %ld\n", mapped_rss_kib(program, "libXm.so"));
    const double p0 = cpu_seconds(program);
    const double x0 = cpu_seconds(xclock);
    const double s0 = cpu_seconds(server);
    const double pr0 = run_seconds(program);
    const double xr0 = run_seconds(xclock);
    const double w0 = monotonic_seconds();
    sleep_for(seconds);
    const double wall = monotonic_seconds() - w0;
    const double p1 = cpu_seconds(program);
    const double x1 = cpu_seconds(xclock);
    const double s1 = cpu_seconds(server);
    const double pr1 = run_seconds(program);
    const double xr1 = run_seconds(xclock);
    std::printf("cpu_s_per_hour_lunaclock_schedstat %.4f\n", (pr1 - pr0) / wall * 3600.0);
    std::printf("cpu_s_per_hour_xclock_schedstat %.4f\n", (xr1 - xr0) / wall * 3600.0);
    std::printf("rss_kib_lunaclock_end %ld\n", rss_kib(program));
    std::printf("rss_kib_xclock_end %ld\n", rss_kib(xclock));
    end_group(program);
    end_group(xclock);
    std::printf("cpu_wall_s %.3f\n", wall);
    std::printf("cpu_s_per_hour_lunaclock %.3f\n", (p1 - p0) / wall * 3600.0);
    std::printf("cpu_s_per_hour_xclock %.3f\n", (x1 - x0) / wall * 3600.0);
    std::printf("cpu_s_per_hour_server_both %.3f\n", (s1 - s0) / wall * 3600.0);
}

// Seconds from fork+exec to the MapNotify of a child of the root.
double time_to_map(Display* watcher, const std::vector<std::string>& args, const std::string& display)
{
    const double start = monotonic_seconds();
    const pid_t pid = spawn(args, display);
    double mapped = -1.0;
    const double deadline = start + 20.0;
    while (mapped < 0.0 && monotonic_seconds() < deadline) {
        while (XPending(watcher) > 0) {
            XEvent e;
            XNextEvent(watcher, &e);
            if (e.type == MapNotify && e.xmap.event == DefaultRootWindow(watcher)) {
                mapped = monotonic_seconds();
                break;
            }
        }
        if (mapped < 0.0) {
            pollfd p{ConnectionNumber(watcher), POLLIN, 0};
            poll(&p, 1, 50);
        }
    }
    end_group(pid);
    // Drop the unmap and destroy notifications of this run.
    XSync(watcher, False);
    sleep_for(0.2);
    XSync(watcher, False);
    while (XPending(watcher) > 0) {
        XEvent e;
        XNextEvent(watcher, &e);
    }
    return mapped < 0.0 ? -1.0 : mapped - start;
}

void measure_startup(const std::string& display, const std::string& binary)
{
    Display* watcher = XOpenDisplay(display.c_str());
    if (watcher == nullptr) {
        std::fprintf(stderr, "whole_process: cannot open %s\n", display.c_str());
        std::exit(1);
    }
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    XSync(watcher, False);
    constexpr int runs = 7;
    std::vector<double> program;
    std::vector<double> xclock;
    // One warm-up of each, so that neither pays alone for a cold page cache.
    time_to_map(watcher, {binary}, display);
    time_to_map(watcher, {"xclock", "-digital", "-update", "1"}, display);
    for (int i = 0; i < runs; ++i) {
        program.push_back(time_to_map(watcher, {binary}, display));
        xclock.push_back(time_to_map(watcher, {"xclock", "-digital", "-update", "1"}, display));
    }
    XCloseDisplay(watcher);
    std::printf("startup_runs %d\n", runs);
    std::printf("startup_ms_lunaclock %.3f\n", median(program) * 1000.0);
    std::printf("startup_ms_xclock %.3f\n", median(xclock) * 1000.0);
}

void measure_test_mode(const std::string& display, const std::string& binary, pid_t server)
{
    constexpr int windows = 3;
    constexpr double seconds = 7.0;
    const pid_t program = spawn({binary, "-t"}, display);
    sleep_for(2.0);
    std::vector<double> share;
    std::vector<double> server_share;
    for (int w = 0; w < windows; ++w) {
        const double p0 = cpu_seconds(program);
        const double s0 = cpu_seconds(server);
        const double w0 = monotonic_seconds();
        sleep_for(seconds);
        const double wall = monotonic_seconds() - w0;
        share.push_back((cpu_seconds(program) - p0) / wall);
        server_share.push_back((cpu_seconds(server) - s0) / wall);
    }
    end_group(program);
    std::printf("testmode_windows %d\n", windows);
    std::printf("testmode_window_s %.3f\n", seconds);
    std::printf("testmode_cpu_share_lunaclock %.4f\n", median(share));
    std::printf("testmode_cpu_share_server %.4f\n", median(server_share));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: whole_process <lunaclock binary> [cpu seconds] [work dir]\n");
        return 2;
    }
    const std::string binary = argv[1];
    const double cpu_window = argc > 2 ? std::atof(argv[2]) : 65.0;
    const std::string dir = argc > 3 ? argv[3] : ".";
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    {
        private_xvfb server;
        measure_requests(server.display_name(), binary, dir);
    }
    {
        private_xvfb server;
        measure_cpu_rss(server.display_name(), binary, server.pid(), cpu_window);
    }
    {
        private_xvfb server;
        measure_startup(server.display_name(), binary);
    }
    {
        private_xvfb server;
        measure_test_mode(server.display_name(), binary, server.pid());
    }
    return 0;
}
