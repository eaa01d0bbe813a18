// The built program on its own private X server, with no window manager:
// its window appears with the program's title and class, its icon name is
// set by the update cycle, and it keeps running.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "xvfb.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* title = "Lunaclock   by Orvane   v3.0.3";

// The program as a child process with DISPLAY set to the private server;
// ended and reaped when it goes out of scope.
class program_process {
public:
    program_process(const std::string& binary, const std::string& display, const std::vector<std::string>& args)
    {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            std::vector<std::string> words{"lunaclock"};
            words.insert(words.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (std::string& w : words) {
                argv.push_back(w.data());
            }
            argv.push_back(nullptr);
            execv(binary.c_str(), argv.data());
            _exit(127);
        }
    }
    ~program_process()
    {
        if (pid_ > 0 && running()) {
            kill(pid_, SIGTERM);
        }
        if (pid_ > 0 && !reaped_) {
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    program_process(const program_process&) = delete;
    program_process& operator=(const program_process&) = delete;

    bool started() const { return pid_ > 0; }
    bool running()
    {
        if (reaped_) {
            return false;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            status_ = status;
            return false;
        }
        return true;
    }
    int status() const { return status_; }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

struct display_closer {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using display_ptr = std::unique_ptr<Display, display_closer>;

std::string text_property(Display* d, Window w, Atom property)
{
    XTextProperty value{};
    if (XGetTextProperty(d, w, &value, property) == 0 || value.value == nullptr) {
        return {};
    }
    std::string out(reinterpret_cast<const char*>(value.value), value.nitems);
    XFree(value.value);
    return out;
}

// Without a window manager the shell's window is a child of the root.
Window find_by_title(Display* d)
{
    Window root_return = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root_return, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            if (text_property(d, children[i], XA_WM_NAME) == title) {
                found = children[i];
            }
        }
        XFree(children);
    }
    return found;
}

// Waits for events of the display until done() holds or the time is up;
// the wait is on the connection, so it wakes as soon as something arrives.
bool wait_for(Display* d, const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        XSync(d, False);
        while (XPending(d) > 0) {
            XEvent event{};
            XNextEvent(d, &event);
        }
        if (done()) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        if (left <= 0ms) {
            return false;
        }
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 100)));
    }
}

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
        display_ptr display(XOpenDisplay(server.display_name().c_str()));
        ASSERT_NE(display, nullptr);
        Display* d = display.get();
        // Hear of the program's window as it is created and mapped.
        XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);

        program_process program(binary, server.display_name(), c.args);
        ASSERT_TRUE(program.started());

        Window window = 0;
        ASSERT_TRUE(wait_for(
            d,
            [&] {
                window = find_by_title(d);
                return window != 0 || !program.running();
            },
            10s));
        ASSERT_TRUE(program.running()) << "ended with status " << program.status();
        ASSERT_NE(window, Window{0}) << "no window titled \"" << title << "\"";
        EXPECT_EQ(text_property(d, window, XA_WM_NAME), title);

        XClassHint hint{};
        ASSERT_NE(XGetClassHint(d, window, &hint), 0);
        EXPECT_STREQ(hint.res_class, "Lunaclock");
        XFree(hint.res_name);
        XFree(hint.res_class);

        // The update cycle names the icon after the moon's age once the
        // window is realized.
        XSelectInput(d, window, PropertyChangeMask | StructureNotifyMask);
        std::string icon_name;
        EXPECT_TRUE(wait_for(
            d,
            [&] {
                icon_name = text_property(d, window, XA_WM_ICON_NAME);
                return !icon_name.empty() || !program.running();
            },
            10s));
        EXPECT_NE(icon_name, "");

        // A few seconds of update cycles later it is still there.
        const bool ended = wait_for(d, [&] { return !program.running(); }, 3s);
        ASSERT_FALSE(ended) << "ended with status " << program.status();
        XWindowAttributes attributes{};
        EXPECT_NE(XGetWindowAttributes(d, window, &attributes), 0);
        EXPECT_EQ(attributes.map_state, IsViewable);
        EXPECT_EQ(text_property(d, window, XA_WM_NAME), title);
    }
}

}  // namespace
