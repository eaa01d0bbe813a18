#pragma once
// What the benchmark drivers share beyond the test harness.

#include <X11/Xlib.h>

// Waits for the server to catch up (XSync) and dispatches every event that
// came back meanwhile, such as the exposures a label change brings. No main
// loop runs in the drivers, so this stands in for it, outside what is timed.
void sync_and_dispatch(Display* display);
