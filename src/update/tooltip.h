#pragma once
// The canvas's tooltip: the phase by name and the illuminated share, e.g.
// "Waxing gibbous, 78% illuminated". Opt-in: it exists only when tooltips are
// enabled on the shell (Lunaclock.toolTipEnable: True), and then follows the
// shell's toolTipPostDelay and toolTipPostDuration.
//
// Motif 2.3 posts its own tooltips only for primitives and gadgets, never
// for a manager such as the canvas's DrawingArea, so the canvas has a small
// tip of its own: a Motif label in an override-redirect shell, posted after
// the pointer has rested on the canvas for the delay.

#include <X11/Intrinsic.h>

// Registers the canvas's pointer crossings if tooltips are enabled on the
// shell; otherwise does nothing at all. Called once, after the canvas is made.
void attach_canvas_tooltip(Widget canvas);

// Keeps the tooltip's text current; sends nothing unless the text changed
// while the tip is up. Does nothing when tooltips are not enabled.
void refresh_tooltip(double p, double illuminated_fraction);

// The text the tooltip shows now; empty when tooltips are not enabled or no
// run has set it yet.
const char* tooltip_text();
