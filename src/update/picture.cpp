#include "picture.h"

#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <cstring>
#include <utility>

#include "app_state.h"
#include "net_wm_icon.h"
#include "phase_picture.h"

namespace {

// A pixmap that lives for one redraw.
class scoped_pixmap {
public:
    scoped_pixmap(Display* display, Pixmap pixmap) : display_(display), pixmap_(pixmap) {}
    ~scoped_pixmap() { XFreePixmap(display_, pixmap_); }
    scoped_pixmap(const scoped_pixmap&) = delete;
    scoped_pixmap& operator=(const scoped_pixmap&) = delete;
    Pixmap get() const { return pixmap_; }

private:
    Display* display_;
    Pixmap pixmap_;
};

Pixmap draw_monochrome(Display* display, Screen* screen)
{
    return XCreatePixmapFromBitmapData(display, RootWindowOfScreen(screen),
                                       reinterpret_cast<char*>(app_state.phase_bitmap.data()), 64, 64,
                                       BlackPixelOfScreen(screen), WhitePixelOfScreen(screen),
                                       static_cast<unsigned>(DefaultDepthOfScreen(screen)));
}

// Also records the final palette slot of every pixel in drawn, so that the
// taskbar icon is made from this very drawing without a second walk.
Pixmap draw_colour(Display* display, Screen* screen, double p, double r, slot_picture& drawn)
{
    const Pixmap pixmap = XCreatePixmap(display, RootWindowOfScreen(screen), 64, 64,
                                        static_cast<unsigned>(DefaultDepthOfScreen(screen)));
    // One foreground and one point per pixel. Xlib drops a foreground that
    // does not change and joins points into one request until the next
    // change, so the cost follows the number of colour changes.
    for_each_colour_point(p, r, [&](int x, int y, int slot) {
        XSetForeground(display, app_state.gc, app_state.palette[static_cast<std::size_t>(slot)]);
        XDrawPoint(display, pixmap, app_state.gc, x, y);
        drawn[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(slot);
    });
    return pixmap;
}

void show_picture(Display* display, Pixmap picture)
{
    XCopyArea(display, picture, app_state.icon_pixmaps[1], app_state.gc, 0, 0, 64, 64, 0, 0);
    Widget canvas = app_state.value_widgets[canvas_slot];
    if (canvas != nullptr && XtIsRealized(canvas)) {
        XCopyArea(XtDisplay(canvas), picture, XtWindow(canvas), app_state.gc, 0, 0, 64, 64, 0, 0);
    }
}

}  // namespace

void refresh_picture(double p, int days, int hours, int minutes)
{
    app_state.icon_name = icon_name_text(days, hours, minutes);

    const bool colour = colour_path(app_state.iconic, app_state.color_mode);
    const double r = picture_radius(colour, p);
    app_state.phase_bitmap = build_phase_bitmap(app_state.moon_bitmap, p, r);

    const bool unchanged = app_state.phase_bitmap == app_state.shown_bitmap;
    // While iconic the icon is redrawn on every run, changed or not.
    if (!unchanged || (!colour && app_state.iconic)) {
        app_state.shown_bitmap = app_state.phase_bitmap;
        Display* display = XtDisplay(app_state.toplevel);
        Screen* screen = XtScreen(app_state.toplevel);
        slot_picture drawn{};
        {
            const scoped_pixmap picture(display, colour ? draw_colour(display, screen, p, r, drawn)
                                                        : draw_monochrome(display, screen));
            show_picture(display, picture.get());
        }
        XtVaSetValues(app_state.toplevel, XtNiconPixmap, app_state.icon_pixmaps[1], nullptr);
        // The same picture for taskbars that read only _NET_WM_ICON, built
        // from what was just drawn rather than read back from the server.
        send_net_wm_icon(display, XtWindow(app_state.toplevel),
                         colour ? colour_icon_argb(drawn)
                                : monochrome_icon_argb(app_state.phase_bitmap));
        std::swap(app_state.icon_pixmaps[0], app_state.icon_pixmaps[1]);
    }

    if (std::strcmp(app_state.icon_name.data(), app_state.last_icon_name.data()) != 0) {
        app_state.last_icon_name = app_state.icon_name;
        XtVaSetValues(app_state.toplevel, XtNiconName, app_state.icon_name.data(), nullptr);
        send_net_wm_icon_name(XtDisplay(app_state.toplevel), XtWindow(app_state.toplevel),
                              app_state.icon_name.data());
    }
}
