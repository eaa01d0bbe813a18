// The built program on its own private X server, with no window manager:
// its window appears with the program's title and class, its icon name is
// set by the update cycle, and it keeps running.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"
#include "xvfb.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* title = "Lunaclock   by Orvane   v3.0.3";

struct smoke_case {
    const char* name;
    std::vector<std::string> args;
};

const smoke_case smoke_cases[] = {
    {"no options", {}},
    // The toolkit's own title option does not outlast start-up.
    {"-title Other -m", {"-title", "Other", "-m"}},
};

TEST(E2eSmoke, WindowAppearsTitledAndKeepsUpdating)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    ASSERT_NE(binary, nullptr) << "LUNACLOCK_BINARY is not set";

    for (const smoke_case& c : smoke_cases) {
        SCOPED_TRACE(c.name);
        private_xvfb server;
        const x_connection x(server.display_name());
        Display* d = x.get();
        // Hear of the program's window as it is created and mapped.
        XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);

        // The display comes from the environment, as a user's would.
        const temp_dir dir;
        const std::filesystem::path log = dir.path() / "program.log";
        std::vector<std::string> argv{binary};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        child_process program({argv, {"DISPLAY=" + server.display_name()}, log.string(), std::nullopt});
        const auto ended_with = [&] {
            return "ended with status " + std::to_string(program.wait_exit(0ms).value_or(0)) + "; output:\n" +
                   file_text(log);
        };

        std::optional<Window> window;
        ASSERT_TRUE(wait_until(d, [&] {
            window = find_window_by_name(d, title);
            return window || !program.running();
        }));
        ASSERT_TRUE(program.running()) << ended_with();
        ASSERT_TRUE(window) << "no window titled \"" << title << "\"";
        EXPECT_EQ(wm_name(d, *window).value_or(""), title);

        XClassHint hint{};
        ASSERT_NE(XGetClassHint(d, *window, &hint), 0);
        EXPECT_STREQ(hint.res_class, "Lunaclock");
        XFree(hint.res_name);
        XFree(hint.res_class);

        // The update cycle names the icon after the moon's age once the
        // window is realized.
        XSelectInput(d, *window, PropertyChangeMask | StructureNotifyMask);
        std::string icon_name;
        EXPECT_TRUE(wait_until(d, [&] {
            icon_name = wm_icon_name(d, *window).value_or("");
            return !icon_name.empty() || !program.running();
        }));
        EXPECT_NE(icon_name, "");

        // A few seconds of update cycles later it is still there.
        const bool ended = wait_until(d, [&] { return !program.running(); }, 3s);
        ASSERT_FALSE(ended) << ended_with();
        XWindowAttributes attributes{};
        EXPECT_NE(XGetWindowAttributes(d, *window, &attributes), 0);
        EXPECT_EQ(attributes.map_state, IsViewable);
        EXPECT_EQ(wm_name(d, *window).value_or(""), title);
    }
}

}  // namespace
