#include "bench_support.h"

#include <X11/Intrinsic.h>

void sync_and_dispatch(Display* display)
{
    XSync(display, False);
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent e;
        XNextEvent(display, &e);
        XtDispatchEvent(&e);
    }
}
