#include <cstdio>
#include <cstring>

#include "app_state.h"
#include "startup.h"

namespace {

constexpr const char* version = "3.0.3";

constexpr const char* usage =
    "usage: lunaclock [-toolkitoption ...] [-c] [-m] [-t] [-U]\n"
    "  -c   draw the moon in colour (the default)\n"
    "  -m   draw the moon in black and white\n"
    "  -t   start with the accelerated test clock running\n"
    "  -U   show distances in miles\n"
    "All standard X Toolkit options are accepted. See lunaclock(1).\n";

}  // namespace

int main(int argc, char** argv)
{
    // Only as the sole argument, so that every other command line reaches the
    // toolkit and the option parser unchanged.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("lunaclock %s\n", version);
        return 0;
    }
    start_up(argc, argv);
    XtAppMainLoop(app_state.app_context);
    return 0;
}
