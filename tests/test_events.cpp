// The window's event handlers and the "Test" toggle, driven in-process with
// real X events on a private server. The clock the update cycle reads is a
// fixed instant under the test's control; the cadence is the toolkit's own.
#include <gtest/gtest.h>

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xutil.h>
#include <Xm/DrawingA.h>
#include <Xm/ToggleB.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <iomanip>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "events.h"
#include "phase_dates.h"
#include "test_dates.h"
#include "update_cycle.h"
#include "xvfb.h"

namespace {

using namespace std::chrono_literals;

// A pointer no handler may follow: the handlers take neither client data nor
// call data, so a dereference of it crashes the test.
const XtPointer garbage = reinterpret_cast<XtPointer>(static_cast<std::uintptr_t>(0xdeadbeef));

// The instant every run reads, and what each run saw.
std::time_t fake_now = 0;
struct run_record {
    Boolean iconic;
    int test_mode;
};
std::vector<run_record> runs;

std::time_t counting_clock(std::time_t* out)
{
    runs.push_back({app_state.iconic, app_state.test_mode});
    if (out != nullptr) {
        *out = fake_now;
    }
    return fake_now;
}

// The last event that reached the shell after on_structure_event had seen it,
// and the number of runs by then.
std::optional<int> seen_type;
std::size_t runs_at_seen = 0;

void record_event(Widget, XtPointer, XEvent* event, Boolean*)
{
    seen_type = event->type;
    runs_at_seen = runs.size();
}

// The same for the canvas's exposures, seen after on_canvas_expose.
std::size_t canvas_exposes = 0;
std::size_t runs_at_canvas_expose = 0;

void record_canvas_expose(Widget, XtPointer, XtPointer)
{
    ++canvas_exposes;
    runs_at_canvas_expose = runs.size();
}

Window shell_window() { return XtWindow(app_state.toplevel); }
Widget canvas() { return app_state.value_widgets[canvas_slot]; }
Widget test_toggle() { return XtNameToWidget(app_state.toplevel, "*test"); }

bool shell_mapped()
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(program_display(), shell_window(), &attributes);
    return attributes.map_state != IsUnmapped;
}

struct image_deleter {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using scoped_image = std::unique_ptr<XImage, image_deleter>;

scoped_image read_pixmap(Pixmap pixmap)
{
    return scoped_image(XGetImage(program_display(), pixmap, 0, 0, 64, 64, AllPlanes, ZPixmap));
}

// Pixels of the image that are neither the screen's black nor its white.
int non_monochrome_pixels(XImage* image)
{
    Screen* screen = XtScreen(app_state.toplevel);
    const unsigned long black = BlackPixelOfScreen(screen);
    const unsigned long white = WhitePixelOfScreen(screen);
    int count = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            count += p != black && p != white ? 1 : 0;
        }
    }
    return count;
}

// The real clock's texts and phase table for an instant.
std::string utc_text(std::time_t t, const char* format)
{
    std::tm utc{};
    gmtime_r(&t, &utc);
    std::array<char, 80> text{};
    std::strftime(text.data(), text.size() - 1, format, &utc);
    return text.data();
}

std::string universal_time_text(std::time_t t) { return utc_text(t, "%H:%M:%S %d %B %Y %Z"); }

std::string test_clock_universal_text(std::time_t t) { return utc_text(t, "%H:%M:%S %d %B %Y UTC"); }

void toggle(XtPointer call_data = nullptr) { XtCallCallbacks(test_toggle(), XmNvalueChangedCallback, call_data); }

void unmap_shell()
{
    XUnmapWindow(program_display(), shell_window());
    XFlush(program_display());
    ASSERT_TRUE(dispatch_until([] { return seen_type == UnmapNotify && app_state.iconic == 1; }));
}

void map_shell()
{
    XMapWindow(program_display(), shell_window());
    XFlush(program_display());
    ASSERT_TRUE(dispatch_until([] { return seen_type == MapNotify && app_state.iconic == 0; }));
}

// Waits for the next run, of any origin: after a direct run outside test
// mode, the 10 ms follow-up.
void await_follow_up()
{
    const std::size_t before = runs.size();
    ASSERT_TRUE(dispatch_until([&] { return runs.size() > before; }, 2000ms));
}

class Events : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = std::make_unique<private_xvfb>();
        // Half a day before a new moon, on a whole 45 minutes of the day so
        // that the Julian date is exact in binary: one day later the test
        // clock lies in the next lunation.
        const double base = jd_of(1709251200);  // 2024-03-01 00:00 UTC
        phase_table dates{};
        search_phase_dates(base, dates);
        const double instant = dates[next_new] - 0.5;
        const auto seconds = static_cast<std::time_t>(std::floor((instant - 2440587.5) * 86400.0));
        base_now_ = seconds - seconds % 2700;
        fake_now = base_now_;
        clock_source = counting_clock;
        start_program(server_->display_name());
        XtAddEventHandler(app_state.toplevel, StructureNotifyMask | ExposureMask, True, record_event, nullptr);
        XtAddCallback(app_state.value_widgets[canvas_slot], XmNexposeCallback, record_canvas_expose, nullptr);
    }

    static void TearDownTestSuite()
    {
        clock_source = std::time;
        server_.reset();
    }

    // Every test starts shown, in real-clock mode, at the fixed instant, with
    // the start-up exposures and follow-up runs behind it.
    void SetUp() override
    {
        fake_now = base_now_;
        if (app_state.test_mode != 0) {
            toggle();
        }
        if (!shell_mapped()) {
            map_shell();
        }
        dispatch_for(100ms);
        ASSERT_TRUE(shell_mapped());
        ASSERT_EQ(app_state.iconic, 0);
        ASSERT_EQ(app_state.test_mode, 0);
    }

    static std::unique_ptr<private_xvfb> server_;
    static std::time_t base_now_;
};

std::unique_ptr<private_xvfb> Events::server_;
std::time_t Events::base_now_ = 0;

TEST_F(Events, UnmapSetsIconicAndMapClearsItEachWithADirectRun)
{
    unmap_shell();
    // The handler ran the cycle itself: the last run already saw iconic.
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.back().iconic, 1);
    EXPECT_EQ(runs_at_seen, runs.size());

    // A direct run is followed 10 ms later by a timer run, then iconic
    // quiet: the next one is two minutes away.
    await_follow_up();
    const std::size_t after_follow_up = runs.size();
    dispatch_for(1500ms);
    EXPECT_EQ(runs.size(), after_follow_up) << "a run came within 1.5 s while iconic";

    const std::size_t before = runs.size();
    map_shell();
    EXPECT_GT(runs.size(), before);
    EXPECT_EQ(runs.back().iconic, 0);
    EXPECT_EQ(runs_at_seen, runs.size());
    // The direct run replaced the two-minute timeout with the 10 ms one.
    await_follow_up();
}

struct other_event_case {
    const char* name;
    int type;
    void (*send)();
};

void move_shell()
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(program_display(), shell_window(), &attributes);
    XMoveResizeWindow(program_display(), shell_window(), attributes.x + 7, attributes.y + 5,
                      static_cast<unsigned>(attributes.width), static_cast<unsigned>(attributes.height));
    XFlush(program_display());
}

void send_client_message()
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = shell_window();
    event.xclient.message_type = XInternAtom(program_display(), "LUNACLOCK_TEST_MESSAGE", False);
    event.xclient.format = 32;
    XSendEvent(program_display(), shell_window(), False, NoEventMask, &event);
    XFlush(program_display());
}

TEST_F(Events, AnyOtherEventWhileUnmappedClearsIconicWithOneRun)
{
    const other_event_case cases[] = {
        {"ConfigureNotify", ConfigureNotify, move_shell},
        {"ClientMessage", ClientMessage, send_client_message},
    };
    for (const other_event_case& c : cases) {
        SCOPED_TRACE(c.name);
        unmap_shell();
        await_follow_up();
        dispatch_for(50ms);
        const std::size_t before = runs.size();
        seen_type.reset();
        c.send();
        ASSERT_TRUE(dispatch_until([&] { return seen_type == c.type; }));
        EXPECT_FALSE(shell_mapped());
        EXPECT_EQ(app_state.iconic, 0);
        // Exactly one run, started by the event itself, and not an iconic one.
        EXPECT_EQ(runs_at_seen, before + 1);
        EXPECT_EQ(runs.back().iconic, 0);
        map_shell();
        dispatch_for(50ms);
    }
}

TEST_F(Events, StructureHandlerSetsIconicByEventTypeAloneAndLeavesTheFlag)
{
    struct row {
        int type;
        Boolean flag;
        Boolean iconic;
    };
    const row rows[] = {
        {UnmapNotify, True, 1},   {MapNotify, True, 0},     {UnmapNotify, False, 1}, {ConfigureNotify, False, 0},
        {UnmapNotify, 7, 1},      {ClientMessage, 7, 0},    {UnmapNotify, True, 1},  {Expose, True, 0},
        {UnmapNotify, False, 1},  {ReparentNotify, False, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE("event type " + std::to_string(r.type) + ", flag " + std::to_string(r.flag));
        XEvent event{};
        event.type = r.type;
        event.xany.window = shell_window();
        event.xany.display = program_display();
        Boolean flag = r.flag;
        const std::size_t before = runs.size();
        on_structure_event(app_state.toplevel, garbage, &event, &flag);
        EXPECT_EQ(flag, r.flag);
        EXPECT_EQ(app_state.iconic, r.iconic);
        EXPECT_EQ(runs.size(), before + 1);
    }
    EXPECT_EQ(app_state.iconic, 0);
}

TEST_F(Events, CadenceFollowsIconicAndTestMode)
{
    struct row {
        const char* name;
        bool test;
        bool iconic;
        std::chrono::milliseconds window;
        std::size_t min_runs;
        std::size_t max_runs;
    };
    // Generous bounds: a run every 1000 ms shown, 150 ms in test mode
    // whether iconic or not, none for two minutes while iconic otherwise.
    const row rows[] = {
        {"shown", false, false, 2500ms, 1, 3},
        {"iconic", false, true, 1500ms, 0, 0},
        {"test, shown", true, false, 1050ms, 4, 9},
        {"test, iconic", true, true, 1050ms, 4, 9},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.test) {
            toggle();
            ASSERT_EQ(app_state.test_mode, 1);
        }
        if (r.iconic) {
            unmap_shell();
        }
        // Start counting just after a run: the follow-up of a direct run, or
        // one of the cadence.
        await_follow_up();
        const std::size_t before = runs.size();
        dispatch_for(r.window);
        const std::size_t counted = runs.size() - before;
        EXPECT_GE(counted, r.min_runs);
        EXPECT_LE(counted, r.max_runs);
        for (std::size_t i = before; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].iconic, r.iconic ? 1 : 0);
        }
        if (r.iconic) {
            map_shell();
        }
        if (r.test) {
            toggle();
        }
        dispatch_for(50ms);
    }
}

TEST_F(Events, IconicRunsRedrawTheMonochromeIconEveryTime)
{
    ASSERT_EQ(app_state.color_mode, 1);
    force_redraw();
    update_display(app_state.toplevel, nullptr);
    // Shown in colour, at an unchanged instant, a run sends nothing.
    {
        const unsigned long before = XNextRequest(program_display());
        const Pixmap icon = shell_icon_pixmap();
        update_display(app_state.toplevel, nullptr);
        EXPECT_EQ(XNextRequest(program_display()), before);
        EXPECT_EQ(shell_icon_pixmap(), icon);
        const scoped_image image = read_pixmap(icon);
        ASSERT_TRUE(image);
        EXPECT_EQ(XGetPixel(image.get(), 41, 29), app_state.palette[8]) << "the colour picture has its red point";
    }

    unmap_shell();
    Pixmap previous = shell_icon_pixmap();
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("iconic run " + std::to_string(run));
        const unsigned long before = XNextRequest(program_display());
        update_display(app_state.toplevel, nullptr);
        EXPECT_NE(XNextRequest(program_display()), before);
        const Pixmap icon = shell_icon_pixmap();
        EXPECT_NE(icon, previous);
        previous = icon;
        const scoped_image image = read_pixmap(icon);
        ASSERT_TRUE(image);
        EXPECT_EQ(non_monochrome_pixels(image.get()), 0);
        EXPECT_NE(XGetPixel(image.get(), 41, 29), app_state.palette[8]);
    }
    // The timer's own runs redraw too: the 10 ms follow-up changes the icon.
    await_follow_up();
    EXPECT_NE(shell_icon_pixmap(), previous);
}

TEST_F(Events, CanvasExposeRedrawsAnUnchangedPhase)
{
    // Just after a run of the cadence the next one is a second away.
    await_follow_up();
    const Pixmap icon = shell_icon_pixmap();
    const std::size_t before = runs.size();
    const std::size_t exposes = canvas_exposes;
    XClearArea(program_display(), XtWindow(canvas()), 0, 0, 0, 0, True);
    XFlush(program_display());
    ASSERT_TRUE(dispatch_until([&] { return canvas_exposes > exposes; }, 2000ms));
    // The callback itself ran the cycle, which redrew.
    EXPECT_EQ(runs_at_canvas_expose, before + 1);
    EXPECT_NE(shell_icon_pixmap(), icon);
    EXPECT_EQ(app_state.shown_bitmap, app_state.phase_bitmap);
}

TEST_F(Events, CanvasResizeClearsOnlyARealizedCanvasAndLeavesTheRunToTheExpose)
{
    // An unmanaged drawing area is never realized.
    Widget unrealized =
        XtVaCreateWidget("unrealized", xmDrawingAreaWidgetClass, XtParent(XtParent(canvas())), XmNwidth, 64, XmNheight, 64,
                         nullptr);
    ASSERT_FALSE(XtIsRealized(unrealized));
    XSync(program_display(), False);
    {
        const unsigned long requests = XNextRequest(program_display());
        const XtIntervalId timer = app_state.timer_id;
        const std::size_t before = runs.size();
        on_canvas_resize(unrealized, garbage, garbage);
        EXPECT_EQ(XNextRequest(program_display()), requests);
        EXPECT_EQ(app_state.timer_id, timer);
        EXPECT_EQ(runs.size(), before);
    }
    XtDestroyWidget(unrealized);
    dispatch_for(20ms);

    ASSERT_TRUE(XtIsRealized(canvas()));
    await_follow_up();
    const Pixmap icon = shell_icon_pixmap();
    const unsigned long requests = XNextRequest(program_display());
    const XtIntervalId timer = app_state.timer_id;
    const std::size_t before = runs.size();
    on_canvas_resize(canvas(), nullptr, nullptr);
    EXPECT_EQ(app_state.timer_id, timer);
    EXPECT_EQ(runs.size(), before);
    EXPECT_EQ(shell_icon_pixmap(), icon);
    EXPECT_NE(XNextRequest(program_display()), requests);
    XFlush(program_display());
    // The exposure that follows reaches on_canvas_expose, which redraws.
    const std::size_t exposes = canvas_exposes;
    ASSERT_TRUE(dispatch_until([&] { return canvas_exposes > exposes; }, 2000ms));
    EXPECT_EQ(runs_at_canvas_expose, before + 1);
    EXPECT_NE(shell_icon_pixmap(), icon);
}

TEST_F(Events, SwitchingTestModeOnWaitsForTheNextScheduledRun)
{
    const XtPointer call_data[] = {nullptr, garbage};
    for (const XtPointer data : call_data) {
        SCOPED_TRACE(data == nullptr ? "null call data" : "garbage call data");
        app_state.test_jd = 12345.0;
        const auto panel = app_state.value_cache;
        const XtIntervalId timer = app_state.timer_id;
        const std::size_t before = runs.size();
        toggle(data);
        EXPECT_EQ(app_state.test_mode, 1);
        EXPECT_EQ(app_state.test_jd, 0.0);
        EXPECT_EQ(app_state.timer_id, timer);
        EXPECT_EQ(runs.size(), before);
        EXPECT_EQ(app_state.value_cache, panel);

        ASSERT_TRUE(dispatch_until([&] { return runs.size() > before; }, 2000ms));
        const double real = jd_of(fake_now);
        EXPECT_EQ(app_state.test_jd, real + 1.0) << std::setprecision(17) << app_state.test_jd << " vs "
                                                 << real + 1.0;
        EXPECT_STREQ(app_state.value_cache[1].data(), test_clock_universal_text(fake_now + 86400).c_str());
        toggle(data);
        dispatch_for(50ms);
    }
}

TEST_F(Events, SwitchingTestModeOffShowsTheRealClockAtOnce)
{
    const XtPointer call_data[] = {nullptr, garbage};
    for (const XtPointer data : call_data) {
        SCOPED_TRACE(data == nullptr ? "null call data" : "garbage call data");
        toggle(data);
        const std::size_t started = runs.size();
        ASSERT_TRUE(dispatch_until([&] { return runs.size() >= started + 3; }, 3000ms));
        const double real = jd_of(fake_now);
        phase_table real_dates{};
        search_phase_dates(real, real_dates);
        // The test clock has passed the real next new moon.
        ASSERT_GT(app_state.table_valid_until, real_dates[next_new] + 1.0);

        const double test_jd = app_state.test_jd;
        const std::size_t before = runs.size();
        toggle(data);
        EXPECT_EQ(app_state.test_mode, 0);
        EXPECT_EQ(runs.size(), before + 1);
        EXPECT_NEAR(app_state.table_valid_until, real_dates[next_new], 1e-9)
            << std::setprecision(17) << app_state.table_valid_until << " vs " << real_dates[next_new];
        EXPECT_STREQ(app_state.value_cache[1].data(), universal_time_text(fake_now).c_str());
        EXPECT_EQ(app_state.test_jd, test_jd);

        // One follow-up run 10 ms later, then the shown cadence.
        dispatch_for(500ms);
        EXPECT_EQ(runs.size(), before + 2);
        EXPECT_EQ(app_state.test_jd, test_jd);
    }
}

TEST_F(Events, SwitchingTestModeOffRedrawsAnUnchangedPhase)
{
    toggle();
    const std::size_t started = runs.size();
    ASSERT_TRUE(dispatch_until([&] { return runs.size() >= started + 2; }, 3000ms));
    // Put the real clock where the test clock stands, so that only the forced
    // redraw can change the picture.
    fake_now = static_cast<std::time_t>(std::llround((app_state.test_jd - 2440587.5) * 86400.0));
    const Pixmap icon = shell_icon_pixmap();
    toggle();
    EXPECT_NE(shell_icon_pixmap(), icon);
    EXPECT_EQ(app_state.shown_bitmap, app_state.phase_bitmap);
}

TEST_F(Events, TestClockRestartsFromTheRealClockAfterOffAndOn)
{
    toggle();
    const std::size_t started = runs.size();
    ASSERT_TRUE(dispatch_until([&] { return runs.size() >= started + 4; }, 3000ms));
    const double real = jd_of(fake_now);
    ASSERT_GT(app_state.test_jd, real + 1.0 + 2.0 / 24.0);
    toggle();
    dispatch_for(50ms);
    toggle();
    EXPECT_EQ(app_state.test_jd, 0.0);
    const std::size_t before = runs.size();
    ASSERT_TRUE(dispatch_until([&] { return runs.size() > before; }, 2000ms));
    EXPECT_EQ(app_state.test_jd, real + 1.0) << std::setprecision(17) << app_state.test_jd << " vs " << real + 1.0;
}

}  // namespace
