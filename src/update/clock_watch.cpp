#include "clock_watch.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>

#include "app_state.h"
#include "update_cycle.h"

namespace {

struct clock_watch_record {
    int fd = -1;                            // timerfd on CLOCK_MONOTONIC
    XtAppContext registered_in = nullptr;  // the context whose input source it is
};

clock_watch_record clock_watch;

void on_update_stalled(XtPointer, int* fd, XtInputId*)
{
    // A run may have re-armed the timer between the toolkit's select and
    // this call; then there is nothing to read and nothing has stalled.
    std::uint64_t expirations = 0;
    if (read(*fd, &expirations, sizeof expirations) != static_cast<ssize_t>(sizeof expirations)) {
        return;
    }
    update_display(app_state.toplevel, nullptr);
}

}  // namespace

void watch_update_timeout(unsigned long interval_ms)
{
    if (clock_watch.fd < 0) {
        clock_watch.fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (clock_watch.fd < 0) {
            return;  // without it the cycle still runs; only a clock step stalls it
        }
    }
    if (clock_watch.registered_in != app_state.app_context) {
        XtAppAddInput(app_state.app_context, clock_watch.fd, reinterpret_cast<XtPointer>(XtInputReadMask),
                      on_update_stalled, nullptr);
        clock_watch.registered_in = app_state.app_context;
    }
    const unsigned long due_ms = interval_ms + stall_margin_ms;
    itimerspec due{};
    due.it_value.tv_sec = static_cast<time_t>(due_ms / 1000);
    due.it_value.tv_nsec = static_cast<long>(due_ms % 1000) * 1000000L;
    timerfd_settime(clock_watch.fd, 0, &due, nullptr);
}
