// When its X server dies the program ends at once through the X library's
// fatal-error path, with the library's message, and does not spin on the
// dead connection.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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

    std::FILE* output = std::tmpfile();
    ASSERT_NE(output, nullptr);
    const pid_t pid = spawn_program(server.display_name(), {}, fileno(output));
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait_for_window(watcher, pid, status, usage, std::chrono::seconds(10)), child_outcome::mapped);
    XCloseDisplay(watcher);

    const double cpu_before = process_cpu_seconds(pid);
    kill(server.pid(), SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    bool ended = false;
    while (std::chrono::steady_clock::now() - killed < std::chrono::seconds(5)) {
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
            ended = true;
            break;
        }
        usleep(2000);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
    server.stop();
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(ended) << "still running 5 s after the server died";

    const double cpu_total = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::rewind(output);
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, output)) > 0) {
        text.append(buffer, n);
    }
    std::fclose(output);

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
