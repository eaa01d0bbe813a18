// Resource files and the tests: every test runs with the toolkit's resource
// files shut out (tests/CMakeLists.txt gives each one the environment), so
// that an installed app-defaults file or a user's ~/.Xdefaults cannot change
// what it sees. Each row below opens one of the ways a resource file reaches
// the program, with a file that widens the window, and shows that the
// environment a test runs in closes it; test_hermetic_env checks that every
// test runs in that environment.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"
#include "xvfb.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* title = "Lunaclock   by Orvane   v3.0.3";
// Wide margins round the whole panel: the window grows by 2 * 60 pixels less
// the default margins.
constexpr const char* widening = "Lunaclock*master_rc.marginWidth: 60\n";

struct source_case {
    const char* name;
    const char* file;                 // below the test's directory
    std::vector<std::string> opens;   // environment that makes the toolkit read it ("NAME" unsets);
                                      // %D stands for the test's directory
};

const source_case sources[] = {
    // Read when the server has no RESOURCE_MANAGER property, as a private Xvfb has not.
    {"~/.Xdefaults", "home/.Xdefaults", {"HOME=%D/home"}},
    {"XENVIRONMENT", "per-host", {"XENVIRONMENT=%D/per-host"}},
    {"user app-defaults by XUSERFILESEARCHPATH", "user/Lunaclock", {"XUSERFILESEARCHPATH=%D/user/%N"}},
    {"user app-defaults by XAPPLRESDIR", "applresdir/Lunaclock",
     {"XAPPLRESDIR=%D/applresdir/", "XUSERFILESEARCHPATH"}},
    // An installed package's file, /etc/X11/app-defaults/Lunaclock.
    {"system app-defaults", "system/app-defaults/Lunaclock", {"XFILESEARCHPATH=%D/system/%T/%N"}},
};

std::string replace_dir(std::string text, const std::string& dir)
{
    for (auto at = text.find("%D"); at != std::string::npos; at = text.find("%D")) {
        text.replace(at, 2, dir);
    }
    return text;
}

class ResourceFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        binary_ = std::getenv("LUNACLOCK_BINARY");
        ASSERT_NE(binary_, nullptr) << "LUNACLOCK_BINARY is not set";
        for (const source_case& c : sources) {
            const std::filesystem::path file = dir_.path() / c.file;
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << widening;
        }
    }

    // The width of the program's window when started with the environment
    // of the test plus env.
    std::optional<unsigned> window_width(const std::vector<std::string>& env)
    {
        private_xvfb server;
        const x_connection x(server.display_name());
        std::vector<std::string> full{"DISPLAY=" + server.display_name()};
        full.insert(full.end(), env.begin(), env.end());
        child_process program({{binary_}, full, "/dev/null", std::nullopt});
        std::optional<window_geometry> g;
        wait_until(x, [&] {
            const std::optional<Window> w = find_window_by_name(x, title);
            g = w ? geometry_of(x, *w) : std::nullopt;
            return (g && g->viewable) || !program.running();
        });
        if (!g || !g->viewable) {
            return std::nullopt;
        }
        return g->width;
    }

    const char* binary_ = nullptr;
    temp_dir dir_;
};

TEST_F(ResourceFiles, EveryWayInIsClosedInTheTestsEnvironment)
{
    // The environment every test gets, with all the files above in place.
    const std::optional<unsigned> closed = window_width({});
    ASSERT_TRUE(closed);

    for (const source_case& c : sources) {
        SCOPED_TRACE(c.name);
        // The test's environment closes this way in ...
        for (const std::string& e : c.opens) {
            const std::string name = e.substr(0, e.find('='));
            EXPECT_NE(std::getenv(name.c_str()), nullptr) << name << " is not set for the tests";
        }
        // ... and opened, the file there changes the window.
        std::vector<std::string> env;
        for (const std::string& e : c.opens) {
            env.push_back(replace_dir(e, dir_.path().string()));
        }
        const std::optional<unsigned> open = window_width(env);
        ASSERT_TRUE(open);
        EXPECT_GT(*open, *closed + 60);
    }
}

}  // namespace
