#include "e2e.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "test_dates.h"

extern char** environ;

namespace {

int record_x_error(Display*, XErrorEvent*)
{
    // Windows come and go under a window manager; a failed request shows up
    // as an empty result, which the callers check.
    return 0;
}

struct x_free {
    void operator()(void* p) const
    {
        if (p != nullptr) {
            XFree(p);
        }
    }
};

// Holds the server for a few requests so that they observe one moment.
class server_grab {
public:
    explicit server_grab(Display* d) : display_(d) { XGrabServer(display_); }
    ~server_grab()
    {
        XUngrabServer(display_);
        XSync(display_, False);
    }
    server_grab(const server_grab&) = delete;
    server_grab& operator=(const server_grab&) = delete;

private:
    Display* display_;
};

std::optional<Pixmap> icon_pixmap_of(Display* display, Window client)
{
    std::unique_ptr<XWMHints, x_free> hints(XGetWMHints(display, client));
    if (!hints || (hints->flags & IconPixmapHint) == 0 || hints->icon_pixmap == None) {
        return std::nullopt;
    }
    return hints->icon_pixmap;
}

void collect_descendants(Display* display, Window w, std::vector<Window>& out)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, w, &root, &parent, &children, &count) == 0) {
        return;
    }
    std::unique_ptr<Window, x_free> hold(children);
    for (unsigned i = 0; i < count; ++i) {
        out.push_back(children[i]);
        collect_descendants(display, children[i], out);
    }
}

std::optional<Window> parent_of(Display* display, Window w)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, w, &root, &parent, &children, &count) == 0) {
        return std::nullopt;
    }
    std::unique_ptr<Window, x_free> hold(children);
    return parent;
}

std::vector<Window> children_of(Display* display, Window w)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> out;
    if (XQueryTree(display, w, &root, &parent, &children, &count) == 0) {
        return out;
    }
    std::unique_ptr<Window, x_free> hold(children);
    out.assign(children, children + count);
    return out;
}

std::optional<std::string> text_property(Display* display, Window w, Atom property)
{
    XTextProperty prop{};
    if (XGetTextProperty(display, w, &prop, property) == 0 || prop.value == nullptr) {
        return std::nullopt;
    }
    std::unique_ptr<unsigned char, x_free> hold(prop.value);
    return std::string(reinterpret_cast<const char*>(prop.value), prop.nitems);
}

// Twm needs fonts that Xvfb has built in; it iconifies by unmapping, so the
// client gets the UnmapNotify that a desktop's iconify gives.
constexpr std::string_view twm_config =
    "RandomPlacement\n"
    "NoGrabServer\n"
    "UsePPosition \"on\"\n"
    "IconifyByUnmapping\n"
    "TitleFont \"fixed\"\n"
    "ResizeFont \"fixed\"\n"
    "MenuFont \"fixed\"\n"
    "IconFont \"fixed\"\n"
    "IconManagerFont \"fixed\"\n";

}  // namespace

child_process::child_process(const spec& s)
{
    if (s.argv.empty()) {
        throw std::invalid_argument("child_process: empty argv");
    }
    started_ = std::chrono::steady_clock::now();
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ != 0) {
        return;
    }
    // Child: the test binary is single-threaded, so the libc calls below are
    // safe between fork and exec.
    const int out = open(s.output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        _exit(126);
    }
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    close(out);
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) {
        dup2(in, STDIN_FILENO);
        close(in);
    }
    for (const std::string& e : s.env) {
        const auto eq = e.find('=');
        if (eq != std::string::npos) {
            setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        } else {
            unsetenv(e.c_str());
        }
    }
    if (s.fake_start) {
        tzset();
        std::tm local{};
        localtime_r(&*s.fake_start, &local);
        std::array<char, 64> stamp{};
        std::strftime(stamp.data(), stamp.size(), "@%Y-%m-%d %H:%M:%S", &local);
        setenv("FAKETIME", stamp.data(), 1);
        setenv("LD_PRELOAD", libfaketime_path, 1);
        // A sanitized build insists on coming first in the library list.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::string opts = asan != nullptr ? std::string(asan) + ":" : std::string();
        opts += "verify_asan_link_order=0";
        setenv("ASAN_OPTIONS", opts.c_str(), 1);
    }
    std::vector<char*> argv;
    std::vector<std::string> args = s.argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

std::optional<int> child_process::wait_exit(std::chrono::milliseconds timeout)
{
    if (status_) {
        return status_;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = wait4(pid_, &status, WNOHANG, &usage_);
        if (r == pid_) {
            status_ = status;
            return status_;
        }
        if (r < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        // No event to wait for on a child but its end; poll in short steps.
        poll(nullptr, 0, 10);
    }
}

bool child_process::running() { return !wait_exit(0ms).has_value(); }

child_process::~child_process()
{
    if (pid_ <= 0 || status_) {
        return;
    }
    kill(pid_, SIGTERM);
    if (!wait_exit(3000ms)) {
        kill(pid_, SIGKILL);
        wait_exit(3000ms);
    }
}

std::time_t utc_instant(const std::string& text)
{
    std::istringstream in(text);
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    char dash1 = 0;
    char dash2 = 0;
    char colon1 = 0;
    char colon2 = 0;
    in >> year >> dash1 >> month >> dash2 >> day >> hour >> colon1 >> minute >> colon2 >> second;
    if (!in || dash1 != '-' || dash2 != '-' || colon1 != ':' || colon2 != ':') {
        throw std::invalid_argument("utc_instant: bad text " + text);
    }
    std::tm t = utc_tm(year, month, day, hour, minute, second);
    return timegm(&t);
}

x_connection::x_connection(const std::string& display_name)
{
    XSetErrorHandler(record_x_error);
    display_ = XOpenDisplay(display_name.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open " + display_name);
    }
}

void x_connection::close()
{
    if (display_ != nullptr) {
        XCloseDisplay(display_);
        display_ = nullptr;
    }
}

x_connection::~x_connection() { close(); }

bool wait_until(Display* display, const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        pollfd p{ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 20)));
        while (XPending(display) > 0) {
            XEvent ev;
            XNextEvent(display, &ev);
        }
    }
}

std::optional<picture> read_icon_pixmap(Display* display, Window client)
{
    const server_grab grab(display);
    const std::optional<Pixmap> pixmap = icon_pixmap_of(display, client);
    if (!pixmap) {
        return std::nullopt;
    }
    return read_drawable(display, *pixmap, 64, 64);
}

std::optional<icon_and_canvas> read_icon_and_canvas(Display* display, Window client, Window canvas)
{
    const server_grab grab(display);
    const std::optional<Pixmap> pixmap = icon_pixmap_of(display, client);
    if (!pixmap) {
        return std::nullopt;
    }
    std::optional<picture> icon = read_drawable(display, *pixmap, 64, 64);
    std::optional<picture> shown = read_drawable(display, canvas, 64, 64);
    if (!icon || !shown) {
        return std::nullopt;
    }
    return icon_and_canvas{std::move(*icon), std::move(*shown)};
}

bool only_black_and_white(Display* display, const picture& p)
{
    const unsigned long black = BlackPixel(display, DefaultScreen(display));
    const unsigned long white = WhitePixel(display, DefaultScreen(display));
    for (const unsigned long px : p.pixels) {
        if (px != black && px != white) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> wm_name(Display* display, Window w) { return text_property(display, w, XA_WM_NAME); }

std::optional<std::string> wm_icon_name(Display* display, Window w)
{
    return text_property(display, w, XA_WM_ICON_NAME);
}

std::optional<long> wm_state(Display* display, Window w)
{
    const Atom wm_state_atom = XInternAtom(display, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, w, wm_state_atom, 0, 2, False, wm_state_atom, &type, &format, &count, &after,
                           &data) != Success ||
        data == nullptr) {
        return std::nullopt;
    }
    std::unique_ptr<unsigned char, x_free> hold(data);
    if (format != 32 || count < 1) {
        return std::nullopt;
    }
    return reinterpret_cast<const long*>(data)[0];
}

std::optional<Window> find_window_by_name(Display* display, const std::string& title)
{
    std::vector<Window> all;
    collect_descendants(display, DefaultRootWindow(display), all);
    for (const Window w : all) {
        if (wm_name(display, w) == title) {
            return w;
        }
    }
    return std::nullopt;
}

std::optional<window_geometry> geometry_of(Display* display, Window w)
{
    XWindowAttributes a{};
    if (XGetWindowAttributes(display, w, &a) == 0) {
        return std::nullopt;
    }
    return window_geometry{a.x, a.y, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                           a.map_state == IsViewable};
}

std::optional<Window> find_canvas(Display* display, Window client, unsigned side)
{
    std::vector<Window> all;
    collect_descendants(display, client, all);
    std::optional<Window> found;
    for (const Window w : all) {
        const std::optional<window_geometry> g = geometry_of(display, w);
        if (g && g->width == side && g->height == side) {
            if (found) {
                return std::nullopt;  // not unique: no canvas that a test could trust
            }
            found = w;
        }
    }
    return found;
}

std::optional<Window> find_toggle_below(Display* display, Window canvas)
{
    // canvas -> its frame -> the row holding the frame -> the column.
    const std::optional<Window> frame = parent_of(display, canvas);
    const std::optional<Window> row = frame ? parent_of(display, *frame) : std::nullopt;
    const std::optional<Window> column = row ? parent_of(display, *row) : std::nullopt;
    if (!column) {
        return std::nullopt;
    }
    const std::optional<window_geometry> row_g = geometry_of(display, *row);
    if (!row_g) {
        return std::nullopt;
    }
    std::optional<Window> best;
    int best_y = 0;
    for (const Window w : children_of(display, *column)) {
        const std::optional<window_geometry> g = geometry_of(display, w);
        if (g && w != *row && g->y >= row_g->y + static_cast<int>(row_g->height) && (!best || g->y < best_y)) {
            best = w;
            best_y = g->y;
        }
    }
    return best;
}

int run_tool(const std::string& display_name, const std::vector<std::string>& argv, const std::string& output_file)
{
    child_process tool({argv, {"DISPLAY=" + display_name}, output_file, std::nullopt});
    const std::optional<int> status = tool.wait_exit(10s);
    if (!status) {
        return -1;
    }
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

e2e_session::e2e_session()
{
    x_.emplace(server_.display_name());
    const std::filesystem::path config = dir_.path() / "twmrc";
    std::ofstream(config) << twm_config;
    wm_.emplace(child_process::spec{{"twm", "-display", server_.display_name(), "-f", config.string()},
                                    {},
                                    (dir_.path() / "twm.log").string(),
                                    std::nullopt});
    // Twm is in charge once it holds the root's substructure redirect.
    const bool managed = wait_until(*x_, [&] {
        XWindowAttributes a{};
        XGetWindowAttributes(*x_, DefaultRootWindow(x_->get()), &a);
        return (a.all_event_masks & SubstructureRedirectMask) != 0;
    });
    if (!managed) {
        throw std::runtime_error("twm did not take over the screen");
    }
}

e2e_session::~e2e_session() = default;

std::optional<Window> e2e_session::launch(const options& o)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    if (binary == nullptr) {
        throw std::runtime_error("LUNACLOCK_BINARY is not set");
    }
    if (o.fake_start && access(libfaketime_path, R_OK) != 0) {
        throw std::runtime_error(std::string("missing ") + libfaketime_path);
    }
    std::vector<std::string> argv{binary, "-display", server_.display_name()};
    argv.insert(argv.end(), o.args.begin(), o.args.end());
    fake_start_ = o.fake_start;
    std::vector<std::string> env{"TZ=" + o.tz};
    env.insert(env.end(), o.env.begin(), o.env.end());
    program_.emplace(child_process::spec{argv, env, (dir_.path() / "program.log").string(), o.fake_start});

    std::optional<Window> client;
    const bool up = wait_until(*x_, [&] {
        if (!client) {
            client = find_window_by_name(*x_, "Lunaclock   by Orvane   v3.0.3");
            if (client) {
                XSelectInput(*x_, *client, PropertyChangeMask | StructureNotifyMask);
            }
        }
        if (!client) {
            return false;
        }
        const std::optional<window_geometry> g = geometry_of(*x_, *client);
        return g && g->viewable;
    });
    return up ? client : std::nullopt;
}

double e2e_session::program_clock() const
{
    if (!fake_start_) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        return std::chrono::duration<double>(now).count();
    }
    const auto since = std::chrono::steady_clock::now() - program_->started();
    return static_cast<double>(*fake_start_) + std::chrono::duration<double>(since).count();
}

std::string e2e_session::program_output() const { return file_text(dir_.path() / "program.log"); }

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void e2e_session::kill_server()
{
    x_->close();
    server_.stop();
}
