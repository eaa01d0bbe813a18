// The program starts against a private server, names its window and keeps
// its update cycle running.
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <cstring>

#include "app_harness.h"
#include "app_state.h"
#include "startup.h"
#include "xvfb.h"

TEST(Smoke, StartsTitlesAndKeepsUpdating)
{
    private_xvfb server;
    start_program(server.display_name());
    ASSERT_TRUE(XtIsRealized(app_state.toplevel));
    Display* display = program_display();
    XSync(display, False);

    XTextProperty name{};
    ASSERT_NE(XGetWMName(display, XtWindow(app_state.toplevel), &name), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(name.value), window_title);
    XFree(name.value);

    const XtIntervalId first = app_state.timer_id;
    EXPECT_NE(first, 0u);
    EXPECT_TRUE(dispatch_until([&] { return app_state.timer_id != first && app_state.icon_name[0] != '\0'; }));
    EXPECT_NE(app_state.value_cache[0][0], '\0');
}
