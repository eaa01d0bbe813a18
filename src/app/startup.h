#pragma once
// Start-up up to and including the realization of the window.

inline constexpr const char* window_title = "Lunaclock   by Orvane   v3.0.3";

// Sets up the toolkit (which takes its own options off the command line),
// reads the program's options, makes the graphics, builds the window, runs
// the update cycle once and realizes the window. argc and argv are updated
// in place.
void start_up(int& argc, char** argv);
