#pragma once
// Runs the real program in-process against a private X server: resets the
// global record, performs the real start-up with the given options, and
// dispatches the toolkit's events for a while.

#include <X11/Intrinsic.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pixels.h"

// Resets app_state to its load-time values and runs start_up with
// "lunaclock -display <display> <args...>". The window is realized after it.
void start_program(const std::string& display, const std::vector<std::string>& args = {});

// Dispatches toolkit events and timeouts until done() holds or the timeout
// passes; returns whether done() held.
bool dispatch_until(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Dispatches everything that arrives within the given time.
void dispatch_for(std::chrono::milliseconds duration);

// The text of a label, all segments, whatever their tag.
std::string label_text(Widget w);
// The children of a composite widget (none for any other).
std::vector<Widget> children_of(Widget w);

// The Display of the program's top-level shell.
Display* program_display();

// A clock for clock_source that stands at fixed_now until a test moves it.
extern std::time_t fixed_now;
std::time_t fixed_clock(std::time_t* t);

// The X requests that f queues on the program's display (XNextRequest).
unsigned long requests_of(const std::function<void()>& f);

// The shell's icon pixmap as the toolkit holds it.
Pixmap shell_icon_pixmap();

// The program's canvas is realized and viewable.
bool canvas_viewable();
// Waits until the canvas is on the screen and its first exposures are served.
void show_window();
// A drawable of the program read back once the requests so far are done.
std::optional<picture> program_picture(Drawable d, int width, int height);
