#pragma once
// Keeps the update cycle going when the system clock is set.
//
// The toolkit keeps its timeouts in wall-clock time: set the clock back an
// hour and the pending update timeout waits out the hour. Beside every
// update timeout a one-shot timer on the monotonic clock is armed a little
// later than the timeout falls due. Every run re-arms it, so in the steady
// state it never fires; it fires only when the timeout has stalled, and then
// runs the update directly, which replaces the stalled timeout.

// How much later than the update timeout the monotonic timer falls due,
// milliseconds.
inline constexpr unsigned long stall_margin_ms = 500;

// Arms (or re-arms) the monotonic timer for interval_ms + stall_margin_ms
// from now. The first call in an application context registers the timer
// with the toolkit as an input source.
void watch_update_timeout(unsigned long interval_ms);
