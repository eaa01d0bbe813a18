#include "shell_hints.h"

// The toolkit's private shell record: the only place where the flag that
// the program chose a position can be cleared.
#include <X11/IntrinsicP.h>
#include <X11/ShellP.h>
#include <X11/Xatom.h>
#include <unistd.h>

void forget_default_position(Widget shell)
{
    auto* record = reinterpret_cast<ShellWidget>(shell);
    if (shell->core.x == 0 && shell->core.y == 0) {
        record->shell.client_specified = static_cast<Boolean>(record->shell.client_specified & ~_XtShellPPositionOK);
    }
}

void set_net_wm_pid(Widget shell)
{
    Display* display = XtDisplay(shell);
    const Atom net_wm_pid = XInternAtom(display, "_NET_WM_PID", False);
    // Format 32 properties are passed as longs, whatever their size on the wire.
    const long pid = static_cast<long>(getpid());
    XChangeProperty(display, XtWindow(shell), net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
}
