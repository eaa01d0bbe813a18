#include "xtrace.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {


// "472.361 000:<:27f4: 36: Request(74): PolyText8 drawable=..." or
// "472.296 000:>:009e:32: Reply to AllocColor: red=...".
std::optional<trace_line> parse_line(const std::string& text)
{
    const auto space = text.find(' ');
    if (space == std::string::npos || text.size() < space + 7 || text[space + 4] != ':' ||
        text[space + 6] != ':') {
        return std::nullopt;
    }
    trace_line line;
    line.time = std::atof(text.c_str());
    line.direction = text[space + 5];
    if (line.direction == '<') {
        const auto request = text.find(": Request(", space);
        if (request == std::string::npos) {
            return std::nullopt;
        }
        const auto name = text.find("): ", request);
        if (name == std::string::npos) {
            return std::nullopt;
        }
        const auto end = text.find(' ', name + 3);
        line.kind = text.substr(name + 3, end == std::string::npos ? std::string::npos : end - name - 3);
        line.body = end == std::string::npos ? std::string() : text.substr(end + 1);
        return line;
    }
    const auto reply = text.find("Reply to ", space);
    if (reply == std::string::npos) {
        return std::nullopt;  // events and errors are not used
    }
    const auto colon = text.find(':', reply);
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    line.kind = text.substr(reply, colon - reply);
    line.body = colon + 2 <= text.size() ? text.substr(colon + 2) : std::string();
    return line;
}

// Whether a process accepts connections on the Unix socket.
bool listened_on(const char* path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        return true;
    }
    const bool accepted = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const bool refused = !accepted && errno == ECONNREFUSED;
    close(fd);
    return !refused;
}

}  // namespace

// Private servers count up from 0 (-displayfd); the proxy looks far above.
int free_display_number()
{
    std::random_device seed;
    std::uniform_int_distribution<int> pick(400, 899);
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int n = pick(seed);
        struct stat st{};
        std::array<char, 64> sock{};
        std::array<char, 64> lock{};
        std::snprintf(sock.data(), sock.size(), "/tmp/.X11-unix/X%d", n);
        std::snprintf(lock.data(), lock.size(), "/tmp/.X%d-lock", n);
        if (stat(lock.data(), &st) == 0) {
            continue;
        }
        if (stat(sock.data(), &st) != 0) {
            return n;
        }
        // A socket that nothing listens on is a proxy's leftover.
        if (!listened_on(sock.data()) && unlink(sock.data()) == 0) {
            return n;
        }
    }
    throw std::runtime_error("no free display number for xtrace");
}

std::optional<std::string> trace_field(const std::string& body, const std::string& name)
{
    std::size_t at = 0;
    for (;;) {
        at = body.find(name + "=", at);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        if (at == 0 || body[at - 1] == ' ' || body[at - 1] == '{') {
            break;
        }
        at += name.size();
    }
    const std::size_t start = at + name.size() + 1;
    if (start < body.size() && body[start] == '\'') {
        // A text may hold quotes of its own: it ends at a quote that ends the field.
        auto close = body.find('\'', start + 1);
        while (close != std::string::npos && close + 1 < body.size() && body.find_first_of(" };,", close + 1) != close + 1) {
            close = body.find('\'', close + 1);
        }
        return body.substr(start + 1, close == std::string::npos ? std::string::npos : close - start - 1);
    }
    const auto end = body.find_first_of(" };", start);
    return body.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::optional<unsigned long> trace_number(const std::string& body, const std::string& name)
{
    const std::optional<std::string> text = trace_field(body, name);
    if (!text) {
        return std::nullopt;
    }
    return std::strtoul(text->c_str(), nullptr, 0);
}

std::optional<universal_time_row> universal_time(const std::string& text)
{
    std::tm t{};
    const char* end = strptime(text.c_str(), "%H:%M:%S %d %B %Y ", &t);
    if (end == nullptr) {
        return std::nullopt;
    }
    const std::string zone(end);
    if (zone != "GMT" && zone != "UTC") {
        return std::nullopt;
    }
    return universal_time_row{timegm(&t), zone == "UTC"};
}

double monotonic_now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

traced_program::traced_program(const std::string& display_name, const spec& s)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    if (binary == nullptr) {
        throw std::runtime_error("LUNACLOCK_BINARY is not set");
    }
    // env(1) gives the program, and not xtrace, what the test adds.
    // Built piece by piece: ":" + std::to_string(...) trips a false
    // -Wrestrict of GCC 12 in optimised builds.
    display_number_ = free_display_number();
    std::string proxy_display = ":";
    proxy_display += std::to_string(display_number_);
    std::vector<std::string> argv{"xtrace",
                                  "-n",
                                  "-d",
                                  display_name,
                                  "-D",
                                  proxy_display,
                                  "--monotonic-timestamps",
                                  "-o",
                                  (dir_.path() / "trace.log").string(),
                                  "--",
                                  "env"};
    argv.insert(argv.end(), s.env.begin(), s.env.end());
    argv.emplace_back(binary);
    argv.insert(argv.end(), s.args.begin(), s.args.end());
    // libfaketime reads its start-at time in the zone of the process it starts
    // in, xtrace: that is the program's zone.
    std::vector<std::string> proxy_env;
    if (s.fake_start) {
        if (access(libfaketime_path, R_OK) != 0) {
            throw std::runtime_error(std::string("missing ") + libfaketime_path);
        }
        for (const std::string& e : s.env) {
            if (e.rfind("TZ=", 0) == 0) {
                proxy_env.push_back(e);
            }
        }
    }
    proxy_.emplace(child_process::spec{argv, proxy_env, (dir_.path() / "xtrace.out").string(), s.fake_start});
}

// xtrace leaves its socket behind when it is ended: without this, the
// proxies' numbers run out after a few hundred runs on one machine.
traced_program::~traced_program()
{
    proxy_.reset();
    remove_proxy_socket(display_number_);
}

void remove_proxy_socket(int display_number)
{
    std::array<char, 64> sock{};
    std::snprintf(sock.data(), sock.size(), "/tmp/.X11-unix/X%d", display_number);
    unlink(sock.data());
}

std::string traced_program::output() const
{
    std::string text = "xtrace and program output:\n";
    text += file_text(dir_.path() / "xtrace.out");
    return text;
}

const std::vector<trace_line>& traced_program::lines()
{
    std::ifstream in(dir_.path() / "trace.log", std::ios::binary);
    if (!in) {
        return lines_;
    }
    in.seekg(static_cast<std::streamoff>(read_to_));
    std::string chunk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    read_to_ += chunk.size();
    partial_ += chunk;
    std::size_t start = 0;
    for (std::size_t nl = partial_.find('\n'); nl != std::string::npos; nl = partial_.find('\n', start)) {
        if (std::optional<trace_line> line = parse_line(partial_.substr(start, nl - start))) {
            lines_.push_back(std::move(*line));
        }
        start = nl + 1;
    }
    partial_.erase(0, start);
    return lines_;
}

std::vector<traced_program::drawn_text> traced_program::texts()
{
    std::vector<drawn_text> out;
    for (const trace_line& line : lines()) {
        if (line.direction == '<' && line.kind == "PolyText8") {
            if (const std::optional<std::string> s = trace_field(line.body, "s")) {
                out.push_back({line.time, *s});
            }
        }
    }
    return out;
}
