#include "options.h"

#include <unistd.h>

#include "app_state.h"
#include "panel_text.h"

void read_options(int argc, char** argv)
{
    opterr = 0;
    int option = 0;
    // The leading + stops glibc from permuting the arguments, so parsing ends
    // at the first non-option as POSIX has it.
    while ((option = getopt(argc, argv, "+cmtU")) != -1) {
        switch (option) {
        case 'c': app_state.color_mode = 1; break;
        case 'm': app_state.color_mode = 0; break;
        case 't': app_state.test_mode = 1; break;
        case 'U': app_state.distance_factor = miles_per_km; break;
        default: break;  // unknown letters are ignored without a word
        }
    }
}
