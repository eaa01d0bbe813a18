#include "net_wm_icon.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app_state.h"
#include "graphics.h"
#include "settings.h"

namespace {

// What the window was last given. A new connection or a new window starts
// afresh: its properties are unset, and atoms belong to the connection.
struct sent_record {
    Display* display = nullptr;
    Window window = 0;
    Atom net_wm_icon = None;
    Atom net_wm_icon_name = None;
    Atom utf8_string = None;
    bool icon_sent = false;
    net_wm_icon_data icon;
    std::optional<icon_picture_key> built_key;  // of the icon last built for this window
    bool name_sent = false;
    std::array<char, 32> name{};
};

sent_record sent;

void select_window(Display* display, Window window)
{
    if (display == sent.display && window == sent.window) {
        return;
    }
    if (display != sent.display) {
        std::array<char*, 3> names{const_cast<char*>("_NET_WM_ICON"), const_cast<char*>("_NET_WM_ICON_NAME"),
                                   const_cast<char*>("UTF8_STRING")};
        std::array<Atom, 3> atoms{};
        XInternAtoms(display, names.data(), static_cast<int>(names.size()), False, atoms.data());
        sent.net_wm_icon = atoms[0];
        sent.net_wm_icon_name = atoms[1];
        sent.utf8_string = atoms[2];
    }
    sent.display = display;
    sent.window = window;
    sent.icon_sent = false;
    sent.built_key.reset();
    sent.name_sent = false;
}

// The overlap, in units of 1/(64 * side) of the picture's width, of source
// pixel i (spanning i*side .. (i+1)*side) with reduced pixel j (j*64 ..
// (j+1)*64).
std::uint64_t overlap(int i, int j, int side)
{
    const int low = std::max(i * side, j * picture_side);
    const int high = std::min((i + 1) * side, (j + 1) * picture_side);
    return high > low ? static_cast<std::uint64_t>(high - low) : 0;
}

std::uint64_t rounded_quotient(std::uint64_t n, std::uint64_t d) { return (n + d / 2) / d; }

}  // namespace

std::uint32_t argb_of_slot(int slot)
{
    const rgb16 c = palette_colour(slot);
    return argb_black | (static_cast<std::uint32_t>(c.red >> 8) << 16) |
           (static_cast<std::uint32_t>(c.green >> 8) << 8) | static_cast<std::uint32_t>(c.blue >> 8);
}

argb_picture colour_icon_picture(const slot_picture& slots)
{
    std::array<std::uint32_t, 12> argb{};
    for (int slot = 0; slot < 12; ++slot) {
        argb[static_cast<std::size_t>(slot)] = slot == slot_sky ? argb_transparent : argb_of_slot(slot);
    }
    argb_picture out{};
    for (std::size_t y = 0; y < out.size(); ++y) {
        for (std::size_t x = 0; x < out[y].size(); ++x) {
            out[y][x] = argb[slots[y][x]];
        }
    }
    return out;
}

argb_picture monochrome_icon_picture(const mono_bitmap& bitmap)
{
    argb_picture out{};
    for (int y = 0; y < picture_side; ++y) {
        for (int x = 0; x < picture_side; ++x) {
            // Level 0 of the colour image marks exactly the sky.
            const bool disc = moon_color_image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] > 0;
            out[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
                !disc ? argb_transparent : bitmap_dark(bitmap, x, y) ? argb_black : argb_white;
        }
    }
    return out;
}

argb_picture icon_picture_at(bool colour, double p, bool southern)
{
    const argb_picture north = colour ? colour_icon_picture(colour_picture(p, picture_radius(true, p)))
                                      : monochrome_icon_picture(build_phase_bitmap(
                                            full_moon_bitmap(), p, picture_radius(false, p)));
    return southern ? turned_south(north, argb_transparent) : north;
}

std::vector<std::uint32_t> reduced(const argb_picture& picture, int side)
{
    std::vector<std::uint32_t> out(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    // A reduced pixel covers 64/side picture pixels a side: at most
    // 64/side + 2 of them, partly, along each axis.
    const int reach = picture_side / side + 2;
    const std::uint64_t area = static_cast<std::uint64_t>(picture_side) * picture_side;
    for (int ty = 0; ty < side; ++ty) {
        const int first_y = ty * picture_side / side;
        for (int tx = 0; tx < side; ++tx) {
            const int first_x = tx * picture_side / side;
            std::uint64_t alpha = 0;  // sum of weight * alpha
            std::array<std::uint64_t, 3> channels{};  // sums of weight * alpha * channel
            for (int sy = first_y; sy < std::min(first_y + reach, picture_side); ++sy) {
                const std::uint64_t wy = overlap(sy, ty, side);
                for (int sx = first_x; sx < std::min(first_x + reach, picture_side); ++sx) {
                    const std::uint64_t w = wy * overlap(sx, tx, side);
                    const std::uint32_t pixel = picture[static_cast<std::size_t>(sy)][static_cast<std::size_t>(sx)];
                    const std::uint64_t wa = w * (pixel >> 24);
                    alpha += wa;
                    for (int c = 0; c < 3; ++c) {
                        channels[static_cast<std::size_t>(c)] += wa * ((pixel >> (16 - 8 * c)) & 0xFFu);
                    }
                }
            }
            std::uint32_t argb = static_cast<std::uint32_t>(rounded_quotient(alpha, area)) << 24;
            if (alpha != 0) {
                for (int c = 0; c < 3; ++c) {
                    argb |= static_cast<std::uint32_t>(rounded_quotient(channels[static_cast<std::size_t>(c)], alpha))
                            << (16 - 8 * c);
                }
            }
            // A reduced pixel whose alpha rounds to 0 is plain transparent.
            out[static_cast<std::size_t>(ty * side + tx)] = (argb >> 24) == 0 ? argb_transparent : argb;
        }
    }
    return out;
}

net_wm_icon_data net_wm_icon_of(const argb_picture& picture)
{
    net_wm_icon_data icon;
    for (const int side : net_wm_icon_sides) {
        icon.push_back(static_cast<unsigned long>(side));
        icon.push_back(static_cast<unsigned long>(side));
        for (const std::uint32_t pixel : reduced(picture, side)) {
            icon.push_back(pixel);
        }
    }
    return icon;
}

icon_picture_key icon_picture_key_at(bool colour, double p, bool southern)
{
    icon_picture_key key{colour, southern, picture_radius(colour, p), {}};
    const double c = std::cos(two_pi * p);
    for (int i = 0; i < static_cast<int>(key.radius); ++i) {
        key.spans[static_cast<std::size_t>(i)] = lit_span_at(i, key.radius, c, p);
    }
    return key;
}

std::optional<net_wm_icon_data> net_wm_icon_if_changed(Display* display, Window window, double p)
{
    select_window(display, window);
    const bool colour = app_state.color_mode != 0;
    const icon_picture_key key = icon_picture_key_at(colour, p, settings.southern_view);
    if (sent.built_key == key) {
        return std::nullopt;
    }
    sent.built_key = key;
    return net_wm_icon_of(icon_picture_at(colour, p, key.southern));
}

bool send_net_wm_icon(Display* display, Window window, const net_wm_icon_data& icon)
{
    select_window(display, window);
    if (sent.icon_sent && sent.icon == icon) {
        return false;
    }
    XChangeProperty(display, window, sent.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
    sent.icon = icon;
    sent.icon_sent = true;
    return true;
}

bool send_net_wm_icon_name(Display* display, Window window, const char* name)
{
    select_window(display, window);
    if (sent.name_sent && std::strncmp(sent.name.data(), name, sent.name.size() - 1) == 0) {
        return false;
    }
    const std::size_t length = strnlen(name, sent.name.size() - 1);
    XChangeProperty(display, window, sent.net_wm_icon_name, sent.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(name), static_cast<int>(length));
    sent.name.fill('\0');
    std::memcpy(sent.name.data(), name, length);
    sent.name_sent = true;
    return true;
}
