#include "startup.h"

#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <array>

#include "app_state.h"
#include "events.h"
#include "graphics.h"
#include "options.h"
#include "settings.h"
#include "shell_hints.h"
#include "update_cycle.h"
#include "window.h"

namespace {

// The toolkit accepts unique abbreviations of its options, and -t abbreviates
// -title: without this entry "-t -m" would set the title to "-m". The entry
// leaves -t in place, for getopt, and takes nothing after it.
std::array<XrmOptionDescRec, 1> pass_through_options{{
    {const_cast<char*>("-t"), nullptr, XrmoptionSkipNArgs, nullptr},
}};

}  // namespace

void start_up(int& argc, char** argv)
{
    app_state.toplevel = XtVaAppInitialize(&app_state.app_context, "Lunaclock", pass_through_options.data(),
                                           pass_through_options.size(), &argc, argv, nullptr, nullptr);
    forget_default_position(app_state.toplevel);
    read_settings();
    read_options(argc, argv);
    if (app_state.color_mode == -2) {
        app_state.color_mode = 1;
    }
    init_graphics();
    XtVaSetValues(app_state.toplevel, XtNtitle, window_title, XtNiconPixmap, app_state.icon_pixmaps[0], nullptr);
    XtAddEventHandler(app_state.toplevel, StructureNotifyMask | ExposureMask, True, on_structure_event, nullptr);
    build_main_window();
    update_display(app_state.toplevel, nullptr);
    XtRealizeWidget(app_state.toplevel);
    set_net_wm_pid(app_state.toplevel);
}
