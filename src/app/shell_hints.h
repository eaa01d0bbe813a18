#pragma once
// What the shell tells the window manager beyond the toolkit's own hints.

#include <X11/Intrinsic.h>

// Motif's shell reports a position of 0, 0 as if the program had chosen it,
// and every later change of the shell's values then writes "program
// specified location: 0, 0" into WM_NORMAL_HINTS, so that window managers
// that honour program positions put the window in the corner every time.
// Drops that claim unless a position other than 0, 0 was asked for through
// the resources; -geometry +x+y still gives a user-specified position. Call
// right after the shell is created.
void forget_default_position(Widget shell);

// _NET_WM_PID, so that a desktop can match the window to this process and
// end it when it hangs (EWMH); WM_CLIENT_MACHINE, which goes with it, comes
// from the toolkit. Call once the shell is realized.
void set_net_wm_pid(Widget shell);
