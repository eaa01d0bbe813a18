#include "startup.h"

#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include "app_state.h"
#include "events.h"
#include "graphics.h"
#include "options.h"
#include "settings.h"
#include "update_cycle.h"
#include "window.h"

void start_up(int& argc, char** argv)
{
    app_state.toplevel = XtVaAppInitialize(&app_state.app_context, "Lunaclock", nullptr, 0, &argc, argv, nullptr,
                                           nullptr);
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
}
