#pragma once
// The built program seen through xtrace: xtrace sits between the program and
// a private X server as a proxy and writes every request, reply and event,
// decoded, to a log that the test reads as it grows. xtrace and the program
// inherit the test's own environment, which ctest keeps free of resource
// files of the machine and of the user; spec.env adds to it for the program.

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"

// One line of the log: a request the program sent ('<') or a reply or event
// it received ('>').
struct trace_line {
    double time = 0.0;  // CLOCK_MONOTONIC, seconds
    char direction = '<';
    std::string kind;  // "PolyText8", or for a reply "Reply to AllocColor"
    std::string body;  // the decoded fields after the kind
};

// The value of name=... in a decoded line, up to the next space (a quoted
// text whole, without its quotes); nothing if the field is absent.
std::optional<std::string> trace_field(const std::string& body, const std::string& name);
// A hexadecimal field (0x...) as a number.
std::optional<unsigned long> trace_number(const std::string& body, const std::string& name);

class traced_program {
public:
    struct spec {
        std::vector<std::string> args;  // after the program's name
        std::vector<std::string> env;   // NAME=value, for the program alone; a TZ here also
                                        // gives the zone in which fake_start is written
        // Start-at instant for libfaketime, in UTC. xtrace runs under it too:
        // its time stamps are then on the fake monotonic clock, not monotonic_now's.
        std::optional<std::time_t> fake_start{};
    };

    // Starts xtrace on a free display number in front of display_name, with
    // the built program (LUNACLOCK_BINARY) as its client.
    traced_program(const std::string& display_name, const spec& s);
    ~traced_program();
    traced_program(const traced_program&) = delete;
    traced_program& operator=(const traced_program&) = delete;

    // Reads what the log gained since the last call; every complete line so far.
    const std::vector<trace_line>& lines();
    // The texts drawn with PolyText8 so far, with the time of each request.
    struct drawn_text {
        double time;
        std::string text;
    };
    std::vector<drawn_text> texts();
    // Whether xtrace, with the program as its client, still runs.
    bool running() { return proxy_->running(); }
    // What xtrace and the program printed (their own messages, not the log),
    // for failure reports: the directory is gone once the test ends.
    std::string output() const;

private:
    temp_dir dir_;
    int display_number_ = -1;
    std::optional<child_process> proxy_;
    std::size_t read_to_ = 0;
    std::string partial_;
    std::vector<trace_line> lines_;
};

// A display number with neither lock file nor live socket, for an xtrace
// proxy; a socket that nothing listens on any more is removed.
int free_display_number();
// xtrace leaves its socket behind when it is ended; its starter removes it.
void remove_proxy_socket(int display_number);

// The universal-time row as drawn, "13:55:43 10 December 2026 GMT": GMT on
// the real clock, UTC on the test clock (-t). Nothing for any other text,
// the local-time row among them (it carries the zone of TZ).
struct universal_time_row {
    std::time_t time;  // seconds since the epoch
    bool test_clock;
};
std::optional<universal_time_row> universal_time(const std::string& text);

// CLOCK_MONOTONIC now, seconds: the clock of xtrace's time stamps.
double monotonic_now();
