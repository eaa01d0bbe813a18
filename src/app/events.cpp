#include "events.h"

#include "app_state.h"
#include "update_cycle.h"

void force_redraw()
{
    // Every built picture's first byte is 0xFF; its complement never matches.
    app_state.shown_bitmap[0] = static_cast<std::uint8_t>(~app_state.phase_bitmap[0]);
}

void on_structure_event(Widget, XtPointer, XEvent* event, Boolean*)
{
    app_state.iconic = event->type == UnmapNotify ? 1 : 0;
    update_display(app_state.toplevel, nullptr);
}

void on_canvas_expose(Widget, XtPointer, XtPointer)
{
    force_redraw();
    update_display(app_state.toplevel, nullptr);
}

void on_canvas_resize(Widget w, XtPointer, XtPointer)
{
    if (!XtIsRealized(w)) {
        return;
    }
    XClearArea(XtDisplay(w), XtWindow(w), 0, 0, 0, 0, True);
}

void on_test_toggled(Widget, XtPointer, XtPointer)
{
    const int was = app_state.test_mode;
    app_state.test_mode = was == 0 ? 1 : 0;
    if (was == 0) {
        // The next scheduled run starts the test clock from the real one.
        app_state.test_jd = 0.0;
        return;
    }
    app_state.table_valid_until = 0.0;
    force_redraw();
    update_display(app_state.toplevel, nullptr);
}
