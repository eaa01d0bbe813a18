// The real program's command line beside the toolkit's options, and what its
// shell tells the window manager. The program runs as its own process on a
// private X server; its texts are read from the requests that draw them
// (through xtrace), its window and properties from outside.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "e2e.h"
#include "xtrace.h"

namespace {

constexpr const char* title = "Lunaclock   by Orvane   v3.0.3";
constexpr unsigned long red = 0xFF0000;

// ---------------------------------------------------------------------------
// Command lines: the program's four options alone, grouped and in any order
// beside the toolkit's options.

struct command_line_case {
    std::vector<std::string> args;
    bool test_clock;
    bool monochrome;
    bool miles;
    std::optional<std::pair<int, int>> position;  // where -geometry puts the window
};

std::string joined(const std::vector<std::string>& args)
{
    std::string out;
    for (const std::string& a : args) {
        out += (out.empty() ? "" : " ") + a;
    }
    return out;
}

void PrintTo(const command_line_case& c, std::ostream* os) { *os << "lunaclock " << joined(c.args); }

// "406243 km, 63.7 Earth radii." or "252431 mi, 63.7 Earth radii."
std::optional<std::string> moon_distance_unit(const std::string& text)
{
    if (text.find("Earth radii.") == std::string::npos) {
        return std::nullopt;
    }
    const auto space = text.find(' ');
    const auto comma = text.find(',');
    if (space == std::string::npos || comma == std::string::npos || comma < space) {
        return std::nullopt;
    }
    return text.substr(space + 1, comma - space - 1);
}

class CommandLine : public ::testing::TestWithParam<command_line_case> {};

TEST_P(CommandLine, EveryOptionTakesEffect)
{
    const command_line_case& c = GetParam();
    private_xvfb server;
    x_connection x(server.display_name());
    Display* d = x;
    traced_program program(server.display_name(), {c.args, {"TZ=JST-9"}});

    std::optional<Window> client;
    std::optional<Window> canvas;
    std::optional<universal_time_row> shown_time;
    std::optional<std::string> unit;
    ASSERT_TRUE(wait_until(d, [&] {
        if (!client) {
            client = find_window_by_name(d, title);
        }
        // The shell's window gets its title before its children exist.
        if (client && !canvas) {
            canvas = find_canvas(d, *client);
        }
        for (const traced_program::drawn_text& t : program.texts()) {
            if (!shown_time) {
                shown_time = universal_time(t.text);
            }
            if (!unit) {
                unit = moon_distance_unit(t.text);
            }
        }
        return client && canvas && shown_time && unit;
    }, 20s)) << "the window, its canvas or its texts did not show; " << program.output();

    // Test clock: a day ahead of the real one, in the test clock's format.
    EXPECT_EQ(shown_time->test_clock, c.test_clock);
    const double ahead = std::difftime(shown_time->time, std::time(nullptr));
    if (c.test_clock) {
        EXPECT_NEAR(ahead, 86400.0, 3600.0 * 6) << "the test clock starts a day ahead";
    } else {
        EXPECT_NEAR(ahead, 0.0, 5.0);
    }

    EXPECT_EQ(*unit, c.miles ? "mi" : "km");

    // Colour shows the red point; black and white shows only those two.
    if (c.monochrome) {
        EXPECT_TRUE(wait_until(d, [&] {
            const std::optional<picture> p = read_drawable(d, *canvas, 64, 64);
            return p && only_black_and_white(d, *p);
        })) << "the canvas never showed a black-and-white picture";
    } else {
        EXPECT_TRUE(wait_until(d, [&] {
            const std::optional<picture> p = read_drawable(d, *canvas, 64, 64);
            return p && p->at(41, 29) == red;
        })) << "the canvas never showed the colour picture's red point";
    }

    // The program's own title wins over -title; no window manager moves the
    // window, so -geometry's position is where it is.
    EXPECT_EQ(wm_name(d, *client), std::optional<std::string>(title));
    if (c.position) {
        int x_root = 0;
        int y_root = 0;
        Window child = 0;
        XTranslateCoordinates(d, *client, DefaultRootWindow(d), 0, 0, &x_root, &y_root, &child);
        EXPECT_EQ(x_root, c.position->first);
        EXPECT_EQ(y_root, c.position->second);
    }
}

const std::pair<int, int> at_40_40{40, 40};

INSTANTIATE_TEST_SUITE_P(
    ArgumentVectors, CommandLine,
    ::testing::Values(
        // args, test clock, black and white, miles, position
        command_line_case{{}, false, false, false, std::nullopt},
        command_line_case{{"-t"}, true, false, false, std::nullopt},
        command_line_case{{"-t", "-m"}, true, true, false, std::nullopt},
        command_line_case{{"-m", "-t"}, true, true, false, std::nullopt},
        command_line_case{{"-t", "-U"}, true, false, true, std::nullopt},
        command_line_case{{"-U", "-t", "-m"}, true, true, true, std::nullopt},
        command_line_case{{"-tU"}, true, false, true, std::nullopt},
        command_line_case{{"-t", "-geometry", "+40+40"}, true, false, false, at_40_40},
        command_line_case{{"-title", "x", "-t", "-m"}, true, true, false, std::nullopt},
        command_line_case{{"-geometry", "+40+40", "-m", "-U"}, false, true, true, at_40_40},
        // Unknown letters are skipped silently; a non-option ends the parsing.
        command_line_case{{"-x", "-t", "-m"}, true, true, false, std::nullopt},
        command_line_case{{"word", "-t", "-m"}, false, false, false, std::nullopt}));

// ---------------------------------------------------------------------------
// The hints a window manager reads, as xprop prints them, under twm.

// xprop's output for the client window's properties.
std::string xprop(const std::string& display_name, Window w, const std::vector<std::string>& properties,
                  const std::filesystem::path& out)
{
    std::vector<std::string> argv{"xprop", "-id", std::to_string(w)};
    argv.insert(argv.end(), properties.begin(), properties.end());
    run_tool(display_name, argv, out.string());
    return file_text(out);
}

struct hints_case {
    std::vector<std::string> args;
    const char* location;  // the line xprop prints for the position, or nullptr for none
};

void PrintTo(const hints_case& c, std::ostream* os) { *os << "lunaclock " << joined(c.args); }

class WindowHints : public ::testing::TestWithParam<hints_case> {};

TEST_P(WindowHints, PositionOnlyWhenAskedForAndThePidOfTheProcess)
{
    const hints_case& c = GetParam();
    e2e_session session;
    const std::optional<Window> client = session.launch({c.args, "UTC", std::nullopt});
    ASSERT_TRUE(client) << session.program_output();
    Display* d = session.display();
    // The icon name comes with the first redraw, after which the shell's
    // values have changed at least once: hints written by then are final.
    ASSERT_TRUE(wait_until(d, [&] { return wm_icon_name(d, *client).has_value(); }));

    temp_dir dir;
    const std::string shown = xprop(session.display_name(), *client,
                                    {"WM_NORMAL_HINTS", "_NET_WM_PID", "WM_CLIENT_MACHINE"}, dir.path() / "xprop");
    std::printf("%s", shown.c_str());

    if (c.location == nullptr) {
        EXPECT_EQ(shown.find("specified location"), std::string::npos) << shown;
    } else {
        EXPECT_NE(shown.find(c.location), std::string::npos) << shown;
        EXPECT_EQ(shown.find("program specified location"), std::string::npos) << shown;
    }
    std::string pid_line = "_NET_WM_PID(CARDINAL) = ";
    pid_line += std::to_string(session.program().pid());
    pid_line += '\n';
    EXPECT_NE(shown.find(pid_line), std::string::npos) << shown;
    std::array<char, 256> host{};
    gethostname(host.data(), host.size() - 1);
    EXPECT_NE(shown.find(std::string("WM_CLIENT_MACHINE(STRING) = \"") + host.data() + "\""), std::string::npos)
        << shown;
}

INSTANTIATE_TEST_SUITE_P(Geometry, WindowHints,
                         ::testing::Values(hints_case{{}, nullptr}, hints_case{{"-geometry", "300x200"}, nullptr},
                                           hints_case{{"-geometry", "+40+40"}, "user specified location: 40, 40"}));

}  // namespace
