#include "graphics.h"

#include <X11/StringDefs.h>
#include <X11/Xlib.h>

#include "app_state.h"

namespace {

// The start-up icon's sky and three surface levels, brightest first.
constexpr std::array<rgb16, 4> icon_colours{{
    {0x0F0F, 0x0F0F, 0x0F0F},
    {0xDFDF, 0xEFEF, 0xFFFF},
    {0xBFBF, 0xCFCF, 0xDFDF},
    {0x8F8F, 0x9F9F, 0xAFAF},
}};

// The phase picture, slots 4..11: sky, lit levels 1..3, the red point, dark
// levels 1..3. One table per channel, 16 bits used of each entry.
constexpr std::array<std::uint32_t, 8> phase_red{0x0000, 0xE0E0, 0xC0C0, 0x9090, 0xFFFF, 0x1010, 0x1010, 0x1010};
constexpr std::array<std::uint32_t, 8> phase_green{0x0000, 0xF0F0, 0xD0D0, 0xA0A0, 0x0000, 0x1010, 0x1010, 0x1010};
constexpr std::array<std::uint32_t, 8> phase_blue{0x0000, 0xFFFF, 0xE0E0, 0xB0B0, 0x0000, 0x9090, 0x7070, 0x5050};

// When a colour cannot be had (a full PseudoColor map), the slot takes the
// screen's black or white, whichever is nearer the colour's brightness, so
// the picture keeps its light and shade.
unsigned long fallback_pixel(Screen* screen, const XColor& colour)
{
    const double luminance = 0.299 * colour.red + 0.587 * colour.green + 0.114 * colour.blue;
    return luminance >= 32768.0 ? WhitePixelOfScreen(screen) : BlackPixelOfScreen(screen);
}

void allocate_palette(Display* display, Screen* screen)
{
    Colormap colormap = 0;
    XtVaGetValues(app_state.toplevel, XtNcolormap, &colormap, nullptr);
    XColor colour{};
    for (int slot = 0; slot < 12; ++slot) {
        const rgb16 want = palette_colour(slot);
        colour.red = want.red;
        colour.green = want.green;
        colour.blue = want.blue;
        colour.flags = DoRed | DoGreen | DoBlue;
        if (XAllocColor(display, colormap, &colour) == 0) {
            colour.pixel = fallback_pixel(screen, colour);
        }
        app_state.palette[static_cast<std::size_t>(slot)] = static_cast<std::uint32_t>(colour.pixel);
    }
}

}  // namespace

rgb16 palette_colour(int slot)
{
    if (slot < 4) {
        return icon_colours[static_cast<std::size_t>(slot)];
    }
    const auto i = static_cast<std::size_t>(slot - 4);
    return {static_cast<std::uint16_t>(phase_red[i]), static_cast<std::uint16_t>(phase_green[i]),
            static_cast<std::uint16_t>(phase_blue[i])};
}

void init_graphics()
{
    Widget top = app_state.toplevel;
    app_state.gc_values.function = GXcopy;
    app_state.gc = XtGetGC(top, GCFunction | GCForeground | GCBackground, &app_state.gc_values);

    Display* display = XtDisplay(top);
    Screen* screen = XtScreen(top);
    const Window root = RootWindowOfScreen(screen);
    const auto depth = static_cast<unsigned>(DefaultDepthOfScreen(screen));

    if (app_state.color_mode == 0) {
        for (Pixmap& pixmap : app_state.icon_pixmaps) {
            pixmap = XCreatePixmapFromBitmapData(display, root, reinterpret_cast<char*>(app_state.moon_bitmap.data()),
                                                 64, 64, BlackPixelOfScreen(screen), WhitePixelOfScreen(screen),
                                                 depth);
        }
        return;
    }

    allocate_palette(display, screen);
    for (Pixmap& pixmap : app_state.icon_pixmaps) {
        pixmap = XCreatePixmap(display, root, 64, 64, depth);
    }
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 64; ++y) {
            const auto level = static_cast<std::size_t>(moon_color_image[y][x]);
            XSetForeground(display, app_state.gc, app_state.palette[level]);
            XDrawPoint(display, app_state.icon_pixmaps[0], app_state.gc, x, y);
            XDrawPoint(display, app_state.icon_pixmaps[1], app_state.gc, x, y);
        }
    }
}
