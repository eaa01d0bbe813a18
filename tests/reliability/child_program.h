#pragma once
// Runs the built program (LUNACLOCK_BINARY) as a child process against a
// private X server and watches for its window from a connection of our own.

#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e.h"

// Starts the program with DISPLAY set to display and the given arguments
// (argv[0] excluded). Its standard output and error go to output_file.
// Sanitizer reports are turned into aborts so that they count as crashes.
child_process spawn_program(const std::string& display, const std::vector<std::string>& args,
                            const std::string& output_file);

enum class child_outcome { mapped, exited, timed_out };

// Waits until a window is mapped on the watcher's screen (the watcher has
// selected SubstructureNotify on the root), the child has ended (its status
// and usage are then kept by the child_process), or the timeout has passed.
child_outcome wait_for_window(Display* watcher, child_process& program, std::chrono::milliseconds timeout);

// Throws away the events the watcher has seen so far.
void drain_events(Display* watcher);

// CPU time (user + system) of a running process, in seconds, from /proc.
double process_cpu_seconds(pid_t pid);
