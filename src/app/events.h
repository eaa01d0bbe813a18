#pragma once
// The window's events and the user's one control.

#include <X11/Intrinsic.h>

// Shell event handler: iconic after an UnmapNotify, shown after any other
// event that reaches it; then an immediate update.
void on_structure_event(Widget w, XtPointer client_data, XEvent* event, Boolean* continue_to_dispatch);
// Canvas exposed: redraw the picture now, changed or not.
void on_canvas_expose(Widget w, XtPointer client_data, XtPointer call_data);
// Canvas resized: clear it; the exposure that follows redraws it.
void on_canvas_resize(Widget w, XtPointer client_data, XtPointer call_data);
// "Test" toggled: start or stop the accelerated clock.
void on_test_toggled(Widget w, XtPointer client_data, XtPointer call_data);

// Makes the next picture comparison fail, so the next run redraws.
void force_redraw();
