#include "tooltip.h"

#include <Xm/Label.h>
#include <Xm/Xm.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "app_state.h"
#include "phase_name.h"

namespace {

// Below the pointer, clear of the cursor's shape, as Motif places its tips.
constexpr int tip_offset_y = 20;

struct tooltip_record {
    Widget canvas = nullptr;  // the canvas whose crossings are followed
    int post_delay_ms = 0;
    int post_duration_ms = 0;
    std::array<char, 64> text{};  // the text last built
    Widget shell = nullptr;  // made on the first post
    Widget label = nullptr;
    bool posted = false;
    XtIntervalId timer = 0;  // the pending post or unpost
};

tooltip_record tooltip;

void cancel_timer()
{
    if (tooltip.timer != 0) {
        XtRemoveTimeOut(tooltip.timer);
        tooltip.timer = 0;
    }
}

void set_tip_text()
{
    XmString string = XmStringCreateSimple(tooltip.text.data());
    XtVaSetValues(tooltip.label, XmNlabelString, string, nullptr);
    XmStringFree(string);
}

void unpost(XtPointer, XtIntervalId*)
{
    tooltip.timer = 0;
    if (tooltip.posted) {
        XtPopdown(tooltip.shell);
        tooltip.posted = false;
    }
}

void post(XtPointer, XtIntervalId*)
{
    tooltip.timer = 0;
    if (tooltip.text[0] == '\0') {
        return;
    }
    if (tooltip.shell == nullptr) {
        tooltip.shell = XtVaCreatePopupShell("tipShell", overrideShellWidgetClass, app_state.toplevel,
                                             XtNallowShellResize, True, nullptr);
        tooltip.label = XtVaCreateManagedWidget("tipLabel", xmLabelWidgetClass, tooltip.shell, nullptr);
    }
    set_tip_text();
    Window root = None;
    Window child = None;
    int x = 0;
    int y = 0;
    int window_x = 0;
    int window_y = 0;
    unsigned mask = 0;
    XQueryPointer(XtDisplay(tooltip.canvas), XtWindow(tooltip.canvas), &root, &child, &x, &y, &window_x, &window_y,
                  &mask);
    XtRealizeWidget(tooltip.shell);
    Screen* screen = XtScreen(tooltip.canvas);
    Dimension shell_width = 0;
    Dimension shell_height = 0;
    XtVaGetValues(tooltip.shell, XtNwidth, &shell_width, XtNheight, &shell_height, nullptr);
    const int width = shell_width;
    const int height = shell_height;
    x = std::clamp(x, 0, std::max(0, WidthOfScreen(screen) - width));
    y = y + tip_offset_y + height > HeightOfScreen(screen) ? y - tip_offset_y - height : y + tip_offset_y;
    XtVaSetValues(tooltip.shell, XtNx, static_cast<Position>(x), XtNy, static_cast<Position>(std::max(0, y)), nullptr);
    XtPopup(tooltip.shell, XtGrabNone);
    tooltip.posted = true;
    if (tooltip.post_duration_ms > 0) {
        tooltip.timer = XtAppAddTimeOut(app_state.app_context, static_cast<unsigned long>(tooltip.post_duration_ms),
                                        unpost, nullptr);
    }
}

void on_canvas_crossing(Widget, XtPointer, XEvent* event, Boolean*)
{
    cancel_timer();
    if (event->type == EnterNotify) {
        tooltip.timer = XtAppAddTimeOut(app_state.app_context,
                                        static_cast<unsigned long>(std::max(0, tooltip.post_delay_ms)), post, nullptr);
    } else {
        unpost(nullptr, nullptr);
    }
}

}  // namespace

void attach_canvas_tooltip(Widget canvas)
{
    tooltip = tooltip_record{};
    // These are resources of the shell's Motif extension, which exists only
    // once the shell has a Motif child: read after the canvas is made.
    Boolean enabled = False;
    int delay = 0;
    int duration = 0;
    XtVaGetValues(app_state.toplevel, XmNtoolTipEnable, &enabled, XmNtoolTipPostDelay, &delay,
                  XmNtoolTipPostDuration, &duration, nullptr);
    if (enabled == False) {
        return;
    }
    tooltip.canvas = canvas;
    tooltip.post_delay_ms = delay;
    tooltip.post_duration_ms = duration;
    XtAddEventHandler(canvas, EnterWindowMask | LeaveWindowMask, False, on_canvas_crossing, nullptr);
}

void refresh_tooltip(double p, double illuminated_fraction)
{
    if (tooltip.canvas == nullptr) {
        return;
    }
    const std::array<char, 64> text = phase_tooltip_text(p, illuminated_fraction);
    if (std::strcmp(text.data(), tooltip.text.data()) == 0) {
        return;
    }
    tooltip.text = text;
    if (tooltip.posted) {
        set_tip_text();
    }
}

const char* tooltip_text() { return tooltip.text.data(); }
