// Random command lines never crash the program: every run ends either by our
// SIGTERM after its window appeared (or after two seconds), or by the
// program's or toolkit's own exit. Any other signal is a crash.
//
// FUZZ_RUNS is set by the build (a short run for every check, a long one for
// the soak); LUNACLOCK_FUZZ_SEED overrides the seed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "child_program.h"
#include "xvfb.h"

#ifndef FUZZ_RUNS
#define FUZZ_RUNS 50
#endif

namespace {

using words = std::vector<std::string>;

// Toolkit options as a user types them; the last few are malformed on purpose.
const std::vector<words> toolkit_options{
    {"-geometry", "10x10"},   {"-geometry", "+5+5"},      {"-geometry", "99999x99999-99999+99999"},
    {"-geometry", "foo"},     {"-bg", "red"},             {"-bg", "no such colour"},
    {"-fg", "blue"},          {"-bd", "green"},           {"-fn", "fixed"},
    {"-fn", "-no-such-font-*"}, {"-xrm", "Lunaclock*foreground: blue"}, {"-xrm", "*background: #123"},
    {"-xrm", "Lunaclock*geometry: 1x1"}, {"-xrm", "!"}, {"-iconic"}, {"-title", "x"},
    {"-name", "y"},           {"-reverse"},              {"-rv"},
    {"-synchronous"},         {"-selectionTimeout", "1"}, {"-xnllanguage", "C"},
    // A toolkit option whose argument is missing when it ends the line.
    {"-geometry"},            {"-xrm"},                   {"-bg"},
};

std::string random_bytes(std::mt19937& rng, std::size_t length, int low, int high)
{
    std::uniform_int_distribution<int> byte(low, high);
    std::string s;
    for (std::size_t i = 0; i < length; ++i) {
        s.push_back(static_cast<char>(byte(rng)));
    }
    return s;
}

words random_vector(std::mt19937& rng)
{
    constexpr const char letters[] = "cmtUxyzqhv?-";
    std::uniform_int_distribution<int> count(0, 8);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> letter(0, sizeof letters - 2);
    std::uniform_int_distribution<std::size_t> toolkit(0, toolkit_options.size() - 1);
    words v;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
        switch (kind(rng)) {
        case 0:
        case 1:
        case 2: {  // an option group
            std::string group = "-";
            const int len = std::uniform_int_distribution<int>(1, 5)(rng);
            for (int j = 0; j < len; ++j) {
                group.push_back(letters[letter(rng)]);
            }
            v.push_back(group);
            break;
        }
        case 3: v.emplace_back("--"); break;
        case 4: v.push_back(random_bytes(rng, std::uniform_int_distribution<std::size_t>(200, 6000)(rng), 'a', 'z'));
            break;
        case 5:  // non-ASCII: valid UTF-8 or stray high bytes
            v.push_back(std::uniform_int_distribution<int>(0, 1)(rng) == 0
                            ? std::string("Mondph\xc3\xa4se \xe2\x98\xbe \xf0\x9f\x8c\x95")
                            : random_bytes(rng, 40, 0x80, 0xff));
            break;
        case 6:
        case 7:
        case 8: {
            const words& option = toolkit_options[toolkit(rng)];
            v.insert(v.end(), option.begin(), option.end());
            break;
        }
        default: v.emplace_back(std::uniform_int_distribution<int>(0, 1)(rng) == 0 ? "file" : "-"); break;
        }
    }
    return v;
}

std::string shown(const words& v)
{
    std::string out;
    for (const std::string& w : v) {
        out += " '";
        for (const char c : w.size() > 60 ? w.substr(0, 60) + "..." : w) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u >= 0x7f) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", u);
                out += hex;
            } else {
                out.push_back(c);
            }
        }
        out += "'";
        if (w.size() > 60) {
            // Appended piece by piece: "(" + std::to_string(...) trips a false
            // -Wrestrict of GCC 12 in optimised builds.
            out += '(';
            out += std::to_string(w.size());
            out += " bytes)";
        }
    }
    return out;
}

}  // namespace

TEST(ArgumentFuzz, RandomCommandLinesNeverCrash)
{
    unsigned seed = 20240111;
    if (const char* s = std::getenv("LUNACLOCK_FUZZ_SEED")) {
        seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    }
    std::printf("argument fuzz: %d runs, seed %u (LUNACLOCK_FUZZ_SEED=%u to repeat)\n", FUZZ_RUNS, seed, seed);
    std::mt19937 rng(seed);

    private_xvfb server;
    Display* watcher = XOpenDisplay(server.display_name().c_str());
    ASSERT_NE(watcher, nullptr);
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);

    const temp_dir dir;
    const std::filesystem::path log = dir.path() / "run.log";
    std::map<std::string, int> outcomes;
    int crashes = 0;
    for (int run = 0; run < FUZZ_RUNS; ++run) {
        const words v = random_vector(rng);
        drain_events(watcher);
        child_process program = spawn_program(server.display_name(), v, log.string());
        const child_outcome outcome = wait_for_window(watcher, program, std::chrono::seconds(2));
        const bool terminated = outcome != child_outcome::exited;
        if (terminated) {
            kill(program.pid(), SIGTERM);
        }
        const std::optional<int> ended = program.wait_exit(std::chrono::seconds(10));
        ASSERT_TRUE(ended) << "run " << run << " (seed " << seed << "): still running 10 s after SIGTERM\nvector:"
                           << shown(v);
        const int status = *ended;
        std::string what;
        bool crash = false;
        if (WIFSIGNALED(status)) {
            crash = !(terminated && WTERMSIG(status) == SIGTERM);
            if (crash) {
                what = "crashed by signal " + std::to_string(WTERMSIG(status));
            } else {
                what = outcome == child_outcome::mapped ? "mapped, then SIGTERM" : "no window in 2 s, then SIGTERM";
            }
        } else if (WIFEXITED(status)) {
            what = "exited by itself with status " + std::to_string(WEXITSTATUS(status));
        }
        ++outcomes[what];
        if (crash) {
            ++crashes;
            std::ifstream in(log);
            std::string text(8192, '\0');
            in.read(text.data(), static_cast<std::streamsize>(text.size()));
            text.resize(static_cast<std::size_t>(in.gcount()));
            ADD_FAILURE() << "run " << run << " (seed " << seed << "): " << what << "\nvector:" << shown(v)
                          << "\noutput:\n" << text;
        }
    }
    XCloseDisplay(watcher);
    for (const auto& [what, count] : outcomes) {
        std::printf("  %5d  %s\n", count, what.c_str());
    }
    std::printf("argument fuzz: %d runs, %d crashes, seed %u\n", FUZZ_RUNS, crashes, seed);
}
