#pragma once
// End-to-end harness: the built program as its own process, on a private
// Xvfb, managed by a real window manager (twm), and observed from outside
// through Xlib and the usual X command-line tools.

#include <X11/Xlib.h>
#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pixels.h"
#include "temp_dir.h"
#include "xvfb.h"

using namespace std::chrono_literals;

// A child process started with fork/exec. The destructor ends it (SIGTERM,
// then SIGKILL) if it still runs and reaps it.
class child_process {
public:
    struct spec {
        std::vector<std::string> argv;              // argv[0] is the file to run
        std::vector<std::string> env;               // "NAME=value" over the parent's environment; "NAME" unsets
        std::string output_file = "/dev/null";      // stdout and stderr
        // Start-at instant for libfaketime, in UTC; written in the child's own
        // TZ because libfaketime reads its "@" timestamp as local time.
        std::optional<std::time_t> fake_start;
    };

    explicit child_process(const spec& s);
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    pid_t pid() const { return pid_; }
    // Waits for the process to end, polling; the wait status, or nothing if it
    // still runs after the timeout.
    std::optional<int> wait_exit(std::chrono::milliseconds timeout);
    bool running();
    // The resources the process used, once wait_exit or running has seen it end.
    const rusage& usage() const { return usage_; }
    // When the process was started (steady clock).
    std::chrono::steady_clock::time_point started() const { return started_; }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    rusage usage_{};
    std::chrono::steady_clock::time_point started_;
};

// The path of the preloaded clock library.
inline constexpr const char* libfaketime_path = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

// UTC "YYYY-MM-DD hh:mm:ss" to time_t.
std::time_t utc_instant(const std::string& text);

// A client connection for the test itself. X errors (a window that went away,
// an image of an unmapped window) are recorded instead of ending the test.
class x_connection {
public:
    explicit x_connection(const std::string& display_name);
    ~x_connection();
    x_connection(const x_connection&) = delete;
    x_connection& operator=(const x_connection&) = delete;
    Display* get() const { return display_; }
    operator Display*() const { return display_; }
    void close();

private:
    Display* display_ = nullptr;
};

// Waits until done() holds, re-checking whenever an event arrives on the
// connection and at least every 20 ms; returns whether it held in time.
bool wait_until(Display* display, const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

// The icon pixmap named by the window's WM_HINTS, read back under a server
// grab so that the hint and the contents belong together.
std::optional<picture> read_icon_pixmap(Display* display, Window client);
// Reads the icon pixmap and the canvas under one grab: the pair shows one moment.
struct icon_and_canvas {
    picture icon;
    picture canvas;
};
std::optional<icon_and_canvas> read_icon_and_canvas(Display* display, Window client, Window canvas);

// Every pixel is the screen's black or white pixel.
bool only_black_and_white(Display* display, const picture& p);

std::optional<std::string> wm_name(Display* display, Window w);
std::optional<std::string> wm_icon_name(Display* display, Window w);
// WM_STATE as set by the window manager: 1 normal, 3 iconic.
std::optional<long> wm_state(Display* display, Window w);

// The client window whose WM_NAME is title, anywhere below the root.
std::optional<Window> find_window_by_name(Display* display, const std::string& title);
// The unique side by side descendant of the client window (64: the canvas
// at scale 1).
std::optional<Window> find_canvas(Display* display, Window client, unsigned side = 64);
// The toggle below the canvas: the child of the canvas frame's column that
// lies below the row holding the frame.
std::optional<Window> find_toggle_below(Display* display, Window canvas);

struct window_geometry {
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    bool viewable = false;
};
std::optional<window_geometry> geometry_of(Display* display, Window w);

// Runs an X command-line tool with DISPLAY set; its exit status. What it
// prints goes to output_file.
int run_tool(const std::string& display_name, const std::vector<std::string>& argv,
             const std::string& output_file = "/dev/null");

// The whole contents of a file; empty if it cannot be read.
std::string file_text(const std::filesystem::path& path);

// A private X server with twm on it, and the program once launched.
class e2e_session {
public:
    struct options {
        std::vector<std::string> args;
        std::string tz = "UTC";
        std::optional<std::time_t> fake_start;  // libfaketime start-at, UTC
        std::vector<std::string> env{};         // "NAME=value", for the program only
    };

    e2e_session();
    ~e2e_session();
    e2e_session(const e2e_session&) = delete;
    e2e_session& operator=(const e2e_session&) = delete;

    // Starts the program and waits for its window to be viewable.
    // Returns the client window (the one with WM_NAME), or nothing.
    std::optional<Window> launch(const options& o);

    const std::string& display_name() const { return server_.display_name(); }
    Display* display() const { return x_->get(); }
    child_process& program() { return *program_; }
    // The program's clock now, seconds since the epoch: its fake start plus
    // the time since exec (the real clock without a fake start).
    double program_clock() const;
    std::string program_output() const;
    // Closes the test's own connection and ends the X server (twm and the
    // program then lose theirs).
    void kill_server();

private:
    temp_dir dir_;
    private_xvfb server_;
    std::optional<x_connection> x_;
    std::optional<child_process> wm_;
    std::optional<child_process> program_;
    std::optional<std::time_t> fake_start_;
};
