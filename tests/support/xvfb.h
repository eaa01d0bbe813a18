#pragma once
// A private X server for one test binary or fixture: Xvfb picks a free display
// number itself and tells it through -displayfd, so tests never collide with
// each other or with the caller's DISPLAY.

#include <sys/types.h>

#include <string>
#include <vector>

class private_xvfb {
public:
    // extra: Xvfb arguments after the display, e.g. {"-screen", "0", "640x480x8"}.
    explicit private_xvfb(std::vector<std::string> extra = {"-screen", "0", "1024x768x24"});
    ~private_xvfb();
    private_xvfb(const private_xvfb&) = delete;
    private_xvfb& operator=(const private_xvfb&) = delete;

    // ":N", ready for connections once the constructor returns.
    const std::string& display_name() const { return display_; }
    pid_t pid() const { return pid_; }
    // Ends the server now (the destructor then does nothing).
    void stop();

private:
    pid_t pid_ = -1;
    std::string display_;
};
