// The program's own options through the real getopt: grouping, the last of
// -c and -m wins, unknown letters are silent, and parsing ends at the first
// non-option or at "--".
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "app_state.h"
#include "options.h"

namespace {

struct option_case {
    std::vector<std::string> args;  // after the program name
    int color_mode;
    int test_mode;
    double distance_factor;
};

const option_case option_cases[] = {
    {{}, -2, 0, 1.0},
    {{"-m", "-c"}, 1, 0, 1.0},
    {{"-c", "-m"}, 0, 0, 1.0},
    {{"-cm"}, 0, 0, 1.0},
    {{"-mc"}, 1, 0, 1.0},
    {{"-t"}, -2, 1, 1.0},
    {{"-mt"}, 0, 1, 1.0},
    {{"-U"}, -2, 0, 0.621371},
    {{"-U", "-U"}, -2, 0, 0.621371},
    {{"-x"}, -2, 0, 1.0},
    {{"-mx"}, 0, 0, 1.0},
    {{"-xm"}, 0, 0, 1.0},
    {{"-x", "-t", "-q", "-U"}, -2, 1, 0.621371},
    {{"foo", "-m"}, -2, 0, 1.0},
    {{"-c", "foo", "-m", "-t"}, 1, 0, 1.0},
    {{"--", "-m"}, -2, 0, 1.0},
    {{"-t", "--", "-m"}, -2, 1, 1.0},
    {{"-", "-m"}, -2, 0, 1.0},  // a lone hyphen is not an option either
};

std::string joined(const std::vector<std::string>& args)
{
    std::string out = "lunaclock";
    for (const std::string& a : args) {
        out += ' ' + a;
    }
    return out;
}

TEST(Options, ArgumentVectors)
{
    for (const option_case& c : option_cases) {
        SCOPED_TRACE(joined(c.args));
        app_state = app_state_record{};
        optind = 0;  // a fresh getopt scan

        std::vector<std::string> words{"lunaclock"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        const std::vector<std::string> before = words;
        std::vector<char*> argv;
        for (std::string& w : words) {
            argv.push_back(w.data());
        }
        argv.push_back(nullptr);

        testing::internal::CaptureStderr();
        read_options(static_cast<int>(words.size()), argv.data());
        const std::string said = testing::internal::GetCapturedStderr();

        EXPECT_EQ(said, "");
        EXPECT_EQ(app_state.color_mode, c.color_mode);
        EXPECT_EQ(app_state.test_mode, c.test_mode);
        EXPECT_NEAR(app_state.distance_factor, c.distance_factor, 1e-15);
        // The arguments are not reordered.
        for (std::size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(std::string(argv[i]), before[i]) << "argument " << i;
        }
    }
}

}  // namespace
