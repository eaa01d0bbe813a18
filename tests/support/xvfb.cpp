#include "xvfb.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

private_xvfb::private_xvfb(std::vector<std::string> extra)
{
    int fds[2];
    if (pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        close(fds[0]);
        // A test that crashes runs no destructor: the server must not outlive
        // it, still holding the output pipe that ctest waits on.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        std::vector<std::string> args{"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        // Keep the server's chatter out of the test output.
        if (freopen("/dev/null", "w", stdout) == nullptr || freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, 200);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t n = read(fds[0], &c, 1);
        if (n <= 0 || c == '\n') {
            break;
        }
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty()) {
        stop();
        throw std::runtime_error("Xvfb did not start");
    }
    display_ = ":" + number;
}

void private_xvfb::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

private_xvfb::~private_xvfb() { stop(); }
