#include "rise_set_text.h"

#include <algorithm>
#include <cstdio>

namespace {

struct row {
    text_buffer text{};
    double valid_until = 0.0;
};

// One row. waiting: the moon is now on the side that this event ends (below
// for a rise, above for a set), so that no other event comes first.
row event_row(std::optional<double> when, const rise_set_events& events, bool waiting, const char* side)
{
    row r;
    if (when && *when - events.from <= rise_set_horizon_days) {
        r.text = local_minute_text(*when);
        r.valid_until = *when;
    } else if (when && waiting) {
        std::snprintf(r.text.data(), r.text.size(), "%s the horizon until %.50s", side, local_minute_text(*when).data());
        r.valid_until = *when;
    } else {
        std::snprintf(r.text.data(), r.text.size(), "none within 2 days");
        // True until the next such event (or the end of what was searched)
        // comes within 2 days.
        r.valid_until = when.value_or(events.until) - rise_set_horizon_days;
    }
    pad_to(r.text, phase_date_width);
    return r;
}

}  // namespace

rise_set_rows rise_set_rows_for(const rise_set_events& events)
{
    const row rise = event_row(events.rise, events, !events.up_at_start, "below");
    const row set = event_row(events.set, events, events.up_at_start, "above");
    return {rise.text, set.text, std::min(rise.valid_until, set.valid_until)};
}
