// When its X server dies the program ends at once through the X library's
// fatal-error path, with the library's message, and does not spin on the
// dead connection.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "child_program.h"
#include "xvfb.h"

TEST(DisplayLoss, ProgramEndsWithTheLibraryMessageWhenTheServerDies)
{
    private_xvfb server;
    Display* watcher = XOpenDisplay(server.display_name().c_str());
    ASSERT_NE(watcher, nullptr);
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    drain_events(watcher);

    const temp_dir dir;
    const std::filesystem::path log = dir.path() / "program.log";
    child_process program = spawn_program(server.display_name(), {}, log.string());
    ASSERT_EQ(wait_for_window(watcher, program, std::chrono::seconds(10)), child_outcome::mapped);
    XCloseDisplay(watcher);

    const double cpu_before = process_cpu_seconds(program.pid());
    kill(server.pid(), SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    const std::optional<int> ended = program.wait_exit(std::chrono::seconds(5));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
    server.stop();
    ASSERT_TRUE(ended) << "still running 5 s after the server died";
    const int status = *ended;

    const rusage& usage = program.usage();
    const double cpu_total = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const std::string text = file_text(log);

    std::printf("display loss: ended %.3f s after the server was killed; CPU %.3f s in all, %.3f s after the kill\n",
                seconds, cpu_total, cpu_total - cpu_before);
    std::printf("display loss: status %s %d; output: %s\n", WIFEXITED(status) ? "exit" : "signal",
                WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status), text.c_str());

    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_TRUE(text.find("X connection to") != std::string::npos || text.find("fatal IO error") != std::string::npos)
        << text;
    // A loop on the dead connection would burn the whole wait; clock ticks
    // are 10 ms, so allow a generous margin over the real cost of ending.
    EXPECT_LT(cpu_total - cpu_before, 0.5);
}
