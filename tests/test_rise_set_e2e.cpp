// The built program as a user runs it, under libfaketime and TZ: with a
// location it draws the moonrise and moonset rows, without one it draws no
// such group, and a bad latitude gets one warning. What the program draws is
// read from its own requests, through xtrace: the label texts travel in
// PolyText8 requests.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e.h"
#include "moon_rise_set.h"
#include "rise_set_checks.h"
#include "test_dates.h"
#include "xtrace.h"
#include "xvfb.h"

namespace {

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The texts of the PolyText8 requests in an xtrace log, in order.
std::vector<std::string> drawn_texts(const std::string& log)
{
    std::vector<std::string> texts;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("PolyText8") == std::string::npos) {
            continue;
        }
        const std::size_t start = line.find("s='");
        const std::size_t end = line.find("'}", start);
        if (start != std::string::npos && end != std::string::npos) {
            texts.push_back(line.substr(start + 3, end - start - 3));
        }
    }
    return texts;
}

// The text drawn just after a caption: its value label.
std::optional<std::string> value_after(const std::vector<std::string>& texts, const std::string& caption)
{
    const auto it = std::find(texts.begin(), texts.end(), caption);
    if (it == texts.end() || it + 1 == texts.end()) {
        return std::nullopt;
    }
    return *(it + 1);
}

struct row_expectation {
    const char* prefix;  // the words before the time, "" for a bare time; nullptr: no time at all
    const char* exact;   // the whole text, when it is fixed
    bool rise;           // the crossing the time marks
};

struct e2e_case {
    const char* name;
    const char* tz;
    std::time_t start;
    std::vector<std::string> args;
    std::optional<observer_place> place;  // nullopt: no rows are drawn
    row_expectation rise_row;
    row_expectation set_row;
    const char* warning;  // expected once in the output, or nullptr
};

const e2e_case cases[] = {
    {"Sydney",
     "Australia/Sydney",
     utc_hour(2025, 1, 10, 12),
     {"-xrm", "Lunaclock.latitude: -33.87", "-xrm", "Lunaclock.longitude: 151.21"},
     observer_place{-33.87, 151.21},
     {"", nullptr, true},
     {"", nullptr, false},
     nullptr},
    {"Tromso, moon up for days",
     "Europe/Oslo",
     utc_hour(2025, 1, 11, 12),
     {"-xrm", "Lunaclock.latitude: 69.65", "-xrm", "Lunaclock.longitude: 18.96"},
     observer_place{69.65, 18.96},
     {nullptr, "none within 2 days     ", true},
     {"above the horizon until ", nullptr, false},
     nullptr},
    {"no location", "Europe/Berlin", utc_hour(2025, 1, 10, 12), {}, std::nullopt, {}, {}, nullptr},
    {"bad latitude",
     "Europe/Berlin",
     utc_hour(2025, 1, 10, 12),
     {"-xrm", "Lunaclock.latitude: 91", "-xrm", "Lunaclock.longitude: 13.4"},
     std::nullopt,
     {},
     {},
     "Warning: Bad value \"91\" for resource latitude; ignored"},
};

void expect_row(const std::string& text, const row_expectation& row, const e2e_case& c)
{
    SCOPED_TRACE(text);
    if (row.exact != nullptr) {
        EXPECT_EQ(text, row.exact);
        return;
    }
    ASSERT_EQ(text.rfind(row.prefix, 0), 0u);
    expect_crossing_in(text, *c.place, row.rise, jd_of(c.start));
}

TEST(RiseSetE2e, RowsOfTheRealProgram)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    ASSERT_NE(binary, nullptr);
    for (const e2e_case& c : cases) {
        SCOPED_TRACE(c.name);
        // The rows are read in the program's zone.
        setenv("TZ", c.tz, 1);
        tzset();
        private_xvfb server;
        const x_connection x(server.display_name());
        const temp_dir dir;
        const std::filesystem::path trace = dir.path() / "xtrace.log";
        const std::filesystem::path output = dir.path() / "program.log";
        std::string proxy = ":";
        proxy += std::to_string(free_display_number());
        std::vector<std::string> argv{"xtrace", "-n", "-d", server.display_name(), "-D", proxy,
                                      "-o", trace.string(), "--", binary};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        // No resource file of the machine or the user reaches the program.
        const std::string home = dir.path().string();
        child_process program({argv,
                               {"TZ=" + std::string(c.tz), "HOME=" + home, "XENVIRONMENT=/dev/null",
                                "XAPPLRESDIR=" + home, "XUSERFILESEARCHPATH=" + home + "/%N",
                                "XFILESEARCHPATH=" + home + "/%N"},
                               output.string(),
                               c.start});
        // The last group of the left column is drawn before the phase dates.
        std::vector<std::string> texts;
        ASSERT_TRUE(wait_until(x, [&] {
            texts = drawn_texts(file_text(trace));
            return value_after(texts, "Next new moon:").has_value() || !program.running();
        })) << file_text(output);
        ASSERT_TRUE(program.running()) << file_text(output);

        const std::optional<std::string> rise = value_after(texts, "Moonrise:       ");
        const std::optional<std::string> set = value_after(texts, "Moonset:        ");
        if (!c.place) {
            EXPECT_FALSE(rise);
            EXPECT_FALSE(set);
            EXPECT_TRUE(value_after(texts, "Sun subtends:   "));
        } else {
            ASSERT_TRUE(rise);
            ASSERT_TRUE(set);
            expect_row(*rise, c.rise_row, c);
            expect_row(*set, c.set_row, c);
        }
        const std::string said = file_text(output);
        if (c.warning != nullptr) {
            const std::size_t first = said.find(c.warning);
            EXPECT_NE(first, std::string::npos) << said;
            EXPECT_EQ(said.find(c.warning, first + 1), std::string::npos) << said;
        } else {
            EXPECT_EQ(said.find("Warning"), std::string::npos) << said;
        }
    }
    unsetenv("TZ");
    tzset();
}

}  // namespace
