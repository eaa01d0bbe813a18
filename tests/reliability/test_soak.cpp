// Many consecutive runs of the update cycle in test mode (one simulated hour
// each, so SOAK_RUNS = 20000 spans about 28 lunations): the program's
// resources on the X server and its resident memory stay flat, and every
// redraw frees its temporary pixmap.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XRes.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "app_harness.h"
#include "app_state.h"
#include "update_cycle.h"
#include "xvfb.h"

#ifndef SOAK_RUNS
#define SOAK_RUNS 2000
#endif

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's quarantine holds freed memory back, so RSS grows anyway.
constexpr bool rss_is_meaningful = false;
#else
constexpr bool rss_is_meaningful = true;
#endif

namespace {

constexpr int sample_every = 1000;
// Growth of VmRSS from the first thousand runs to the last that still counts
// as flat: allocator noise, far below what a leak of a few bytes a run over
// this many runs would add.
constexpr long rss_slack_kib = 512;

long rss_kib()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// The program's own client on the server, found by the resource base of
// its connection.
XID program_client(Display* display)
{
    const XID window = XtWindow(app_state.toplevel);
    int count = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display, &count, &clients);
    XID found = 0;
    for (int i = 0; i < count; ++i) {
        if ((window & ~clients[i].resource_mask) == clients[i].resource_base) {
            found = clients[i].resource_base;
        }
    }
    XFree(clients);
    return found;
}

std::map<std::string, int> server_resources(Display* display, XID client)
{
    int count = 0;
    XResType* types = nullptr;
    XResQueryClientResources(display, client, &count, &types);
    std::map<std::string, int> by_type;
    for (int i = 0; i < count; ++i) {
        char* name = XGetAtomName(display, types[i].resource_type);
        by_type[name] = static_cast<int>(types[i].count);
        XFree(name);
    }
    XFree(types);
    return by_type;
}

std::string shown(const std::map<std::string, int>& resources)
{
    std::string s;
    for (const auto& [type, count] : resources) {
        s += " " + type + "=" + std::to_string(count);
    }
    return s;
}

// One run as the timer makes it: the toolkit has already dropped the
// timeout that fired.
void timer_run()
{
    XtRemoveTimeOut(app_state.timer_id);
    XtIntervalId fired = app_state.timer_id;
    update_display(app_state.toplevel, &fired);
}

void serve_x_events()
{
    while ((XtAppPending(app_state.app_context) & XtIMXEvent) != 0) {
        XtAppProcessEvent(app_state.app_context, XtIMXEvent);
    }
}

}  // namespace

TEST(Soak, ServerResourcesAndMemoryStayFlat)
{
    private_xvfb server;
    start_program(server.display_name(), {"-t"});
    Display* display = program_display();
    ASSERT_TRUE(dispatch_until([] { return app_state.last_icon_name[0] != '\0'; }));
    dispatch_for(std::chrono::milliseconds(200));

    int ext_event = 0;
    int ext_error = 0;
    ASSERT_TRUE(XResQueryExtension(display, &ext_event, &ext_error)) << "the server has no X-Resource extension";
    const XID client = program_client(display);
    ASSERT_NE(client, 0u);
    const std::map<std::string, int> at_start = server_resources(display, client);
    std::printf("soak: server resources after start-up:%s\n", shown(at_start).c_str());

    std::map<std::string, int> first;
    long rss_first = 0;
    int redraws = 0;
    const double jd_start = app_state.test_jd;
    const auto began = std::chrono::steady_clock::now();
    for (int run = 1; run <= SOAK_RUNS; ++run) {
        const auto shown_before = app_state.shown_bitmap;
        timer_run();
        redraws += app_state.shown_bitmap != shown_before ? 1 : 0;
        if (run % 50 == 0) {
            serve_x_events();
        }
        if (run % sample_every == 0) {
            XSync(display, False);
            const std::map<std::string, int> now = server_resources(display, client);
            const long rss = rss_kib();
            std::printf("soak: run %5d  VmRSS %ld KiB  server:%s\n", run, rss, shown(now).c_str());
            // Every redraw frees its temporary pixmap at once: the count of
            // pixmaps never moves from its start-up value.
            EXPECT_EQ(now.count("PIXMAP") ? now.at("PIXMAP") : 0, at_start.count("PIXMAP") ? at_start.at("PIXMAP") : 0)
                << "after run " << run;
            if (run == sample_every) {
                first = now;
                rss_first = rss;
            }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    XSync(display, False);
    const std::map<std::string, int> last = server_resources(display, client);
    const long rss_last = rss_kib();

    std::printf("soak: %d runs (%.1f simulated days, %d redraws) in %.1f s, %.3f ms a run\n", SOAK_RUNS,
                app_state.test_jd - jd_start, redraws, seconds, 1000.0 * seconds / SOAK_RUNS);
    std::printf("soak: VmRSS after run %d: %ld KiB, after run %d: %ld KiB (%+ld KiB)%s\n", sample_every, rss_first,
                SOAK_RUNS, rss_last, rss_last - rss_first, rss_is_meaningful ? "" : " [sanitizer build: not judged]");
    EXPECT_EQ(last, first) << "first:" << shown(first) << "\nlast: " << shown(last);
    EXPECT_EQ(last, at_start) << "start:" << shown(at_start) << "\nlast: " << shown(last);
    EXPECT_GT(redraws, SOAK_RUNS / 2);
    if (rss_is_meaningful) {
        EXPECT_LE(rss_last - rss_first, rss_slack_kib) << "VmRSS " << rss_first << " KiB -> " << rss_last << " KiB";
    }
}
