// gtest before Xlib, whose None and Bool macros it would trip over.
#include <gtest/gtest.h>

#include "app_harness.h"

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <Xm/Xm.h>
#include <unistd.h>

#include "app_state.h"
#include "startup.h"

void start_program(const std::string& display, const std::vector<std::string>& args)
{
    app_state = app_state_record{};
    // The toolkit keeps pointers into argv; keep it alive for the process.
    static std::vector<std::vector<std::string>> keep;
    std::vector<std::string>& words = keep.emplace_back();
    words = {"lunaclock", "-display", display};
    words.insert(words.end(), args.begin(), args.end());
    static std::vector<std::vector<char*>> keep_argv;
    std::vector<char*>& argv = keep_argv.emplace_back();
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(words.size());
    optind = 0;  // let getopt start afresh for each program run
    start_up(argc, argv.data());
}

bool dispatch_until(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    XtAppContext app = app_state.app_context;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (XtAppPending(app) != 0) {
            XtAppProcessEvent(app, XtIMAll);
        } else {
            // Wait for the X connection with a short timeout so that timeouts
            // of the toolkit are served as they fall due.
            XtAppAddTimeOut(app, 5, [](XtPointer, XtIntervalId*) {}, nullptr);
            XtAppProcessEvent(app, XtIMAll);
        }
    }
    return true;
}

void dispatch_for(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    dispatch_until([&] { return std::chrono::steady_clock::now() >= end; }, duration + std::chrono::seconds(1));
}

Display* program_display() { return XtDisplay(app_state.toplevel); }

std::string label_text(Widget w)
{
    XmString s = nullptr;
    XtVaGetValues(w, XmNlabelString, &s, nullptr);
    if (s == nullptr) {
        return "<null>";
    }
    char* text = static_cast<char*>(
        XmStringUnparse(s, nullptr, XmCHARSET_TEXT, XmCHARSET_TEXT, nullptr, 0, XmOUTPUT_ALL));
    XmStringFree(s);
    std::string result = text != nullptr ? text : "";
    XtFree(text);
    return result;
}

std::vector<Widget> children_of(Widget w)
{
    if (!XtIsComposite(w)) {
        return {};
    }
    WidgetList list = nullptr;
    Cardinal count = 0;
    XtVaGetValues(w, XmNchildren, &list, XmNnumChildren, &count, nullptr);
    return {list, list + count};
}

std::time_t fixed_now = 0;

std::time_t fixed_clock(std::time_t* t)
{
    if (t != nullptr) {
        *t = fixed_now;
    }
    return fixed_now;
}

unsigned long requests_of(const std::function<void()>& f)
{
    Display* display = program_display();
    XFlush(display);
    const unsigned long before = XNextRequest(display);
    f();
    return XNextRequest(display) - before;
}

Pixmap shell_icon_pixmap()
{
    Pixmap pixmap = None;
    XtVaGetValues(app_state.toplevel, XtNiconPixmap, &pixmap, nullptr);
    return pixmap;
}

bool canvas_viewable()
{
    XWindowAttributes attributes{};
    Widget canvas = app_state.value_widgets[canvas_slot];
    return XtIsRealized(canvas) && XGetWindowAttributes(program_display(), XtWindow(canvas), &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

void show_window()
{
    ASSERT_TRUE(dispatch_until(canvas_viewable));
    XSync(program_display(), False);
    dispatch_for(std::chrono::milliseconds(100));
}

std::optional<picture> program_picture(Drawable d, int width, int height)
{
    XSync(program_display(), False);
    return read_drawable(program_display(), d, width, height);
}
