#include "picture.h"

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xutil.h>

#include <cstring>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "app_state.h"
#include "net_wm_icon.h"
#include "phase_picture.h"
#include "picture_views.h"
#include "settings.h"

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

// A side x side image of the screen's visual over memory of its own.
class scoped_image {
public:
    scoped_image(Display* display, Screen* screen, int side)
        : image_(XCreateImage(display, DefaultVisualOfScreen(screen), static_cast<unsigned>(DefaultDepthOfScreen(screen)),
                              ZPixmap, 0, nullptr, static_cast<unsigned>(side), static_cast<unsigned>(side),
                              BitmapPad(display), 0))
    {
        bytes_.resize(static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(side));
        image_->data = bytes_.data();
    }
    ~scoped_image()
    {
        image_->data = nullptr;  // the memory is bytes_'s, not Xlib's to free
        XDestroyImage(image_);
    }
    scoped_image(const scoped_image&) = delete;
    scoped_image& operator=(const scoped_image&) = delete;
    XImage* get() const { return image_; }

private:
    XImage* image_;
    std::vector<char> bytes_;
};

// The classic drawing, point by point or from bitmap data, serves the
// unmagnified northern view; the other views are put as finished pictures.
bool classic_view() { return settings.scale == 1 && !settings.southern_view; }

Pixmap draw_monochrome(Display* display, Screen* screen)
{
    return XCreatePixmapFromBitmapData(display, RootWindowOfScreen(screen),
                                       reinterpret_cast<char*>(app_state.phase_bitmap.data()), 64, 64,
                                       BlackPixelOfScreen(screen), WhitePixelOfScreen(screen),
                                       static_cast<unsigned>(DefaultDepthOfScreen(screen)));
}

Pixmap draw_colour(Display* display, Screen* screen, double p, double r)
{
    const Pixmap pixmap = XCreatePixmap(display, RootWindowOfScreen(screen), 64, 64,
                                        static_cast<unsigned>(DefaultDepthOfScreen(screen)));
    // One foreground and one point per pixel. Xlib drops a foreground that
    // does not change and joins points into one request until the next
    // change, so the cost follows the number of colour changes.
    for_each_colour_point(p, r, [&](int x, int y, int slot) {
        XSetForeground(display, app_state.gc, app_state.palette[static_cast<std::size_t>(slot)]);
        XDrawPoint(display, pixmap, app_state.gc, x, y);
    });
    return pixmap;
}

// The picture of this redraw as pixel values, turned in the southern view.
pixel_picture finished_picture(Screen* screen, bool colour, double p, double r)
{
    if (colour) {
        const slot_picture slots = colour_picture(p, r);
        return pixels_of(settings.southern_view ? turned_south(slots, static_cast<std::uint8_t>(slot_sky)) : slots,
                         app_state.palette);
    }
    const mono_bitmap& bits = app_state.phase_bitmap;
    return pixels_of(settings.southern_view ? turned_south(bits) : bits, BlackPixelOfScreen(screen),
                     WhitePixelOfScreen(screen));
}

// One XPutImage of a side x side picture at the drawable's origin, whatever s.
void put_pixels(Display* display, Screen* screen, Drawable drawable, std::span<const unsigned long> pixels, int side)
{
    const scoped_image image(display, screen, side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            XPutPixel(image.get(), x, y, pixels[static_cast<std::size_t>(y * side + x)]);
        }
    }
    XPutImage(display, drawable, app_state.gc, image.get(), 0, 0, 0, 0, static_cast<unsigned>(side),
              static_cast<unsigned>(side));
}

void show_picture(Display* display, Pixmap picture)
{
    XCopyArea(display, picture, app_state.icon_pixmaps[1], app_state.gc, 0, 0, 64, 64, 0, 0);
    Widget canvas = app_state.value_widgets[canvas_slot];
    if (canvas != nullptr && XtIsRealized(canvas)) {
        XCopyArea(XtDisplay(canvas), picture, XtWindow(canvas), app_state.gc, 0, 0, 64, 64, 0, 0);
    }
}

// The icon pixmap gets the 64 by 64 picture; the canvas gets it magnified.
void show_finished_picture(Display* display, Screen* screen, const pixel_picture& picture)
{
    const std::span<const unsigned long> pixels(picture[0].data(), picture_side * picture_side);
    const scoped_pixmap pixmap(display, XCreatePixmap(display, RootWindowOfScreen(screen), 64, 64,
                                                      static_cast<unsigned>(DefaultDepthOfScreen(screen))));
    put_pixels(display, screen, pixmap.get(), pixels, picture_side);
    if (settings.scale == 1) {
        show_picture(display, pixmap.get());
        return;
    }
    XCopyArea(display, pixmap.get(), app_state.icon_pixmaps[1], app_state.gc, 0, 0, 64, 64, 0, 0);
    Widget canvas = app_state.value_widgets[canvas_slot];
    if (canvas != nullptr && XtIsRealized(canvas)) {
        put_pixels(display, screen, XtWindow(canvas), magnified(pixels, picture_side, settings.scale),
                   picture_side * settings.scale);
    }
}

}  // namespace

void refresh_picture(double p, int days, int hours, int minutes)
{
    app_state.icon_name = icon_name_text(days, hours, minutes);

    const bool colour = colour_path(app_state.iconic, app_state.color_mode);
    const double r = picture_radius(colour, p);
    app_state.phase_bitmap = build_phase_bitmap(app_state.moon_bitmap, p, r);

    // Taskbars that read only _NET_WM_ICON get the phase in the program's
    // own mode, iconic or not, whenever that picture changes. Built before
    // any drawing, so that the new picture and the icon name still reach the
    // server close together.
    Display* display = XtDisplay(app_state.toplevel);
    const Window shell_window = XtWindow(app_state.toplevel);
    const std::optional<net_wm_icon_data> taskbar_icon = net_wm_icon_if_changed(display, shell_window, p);

    const bool unchanged = app_state.phase_bitmap == app_state.shown_bitmap;
    // While iconic the icon is redrawn on every run, changed or not.
    if (!unchanged || (!colour && app_state.iconic)) {
        app_state.shown_bitmap = app_state.phase_bitmap;
        Screen* screen = XtScreen(app_state.toplevel);
        if (classic_view()) {
            const scoped_pixmap picture(display, colour ? draw_colour(display, screen, p, r)
                                                        : draw_monochrome(display, screen));
            show_picture(display, picture.get());
        } else {
            show_finished_picture(display, screen, finished_picture(screen, colour, p, r));
        }
        XtVaSetValues(app_state.toplevel, XtNiconPixmap, app_state.icon_pixmaps[1], nullptr);
        std::swap(app_state.icon_pixmaps[0], app_state.icon_pixmaps[1]);
    }

    if (taskbar_icon) {
        send_net_wm_icon(display, shell_window, *taskbar_icon);
    }

    if (std::strcmp(app_state.icon_name.data(), app_state.last_icon_name.data()) != 0) {
        app_state.last_icon_name = app_state.icon_name;
        XtVaSetValues(app_state.toplevel, XtNiconName, app_state.icon_name.data(), nullptr);
        send_net_wm_icon_name(display, shell_window, app_state.icon_name.data());
    }
}
