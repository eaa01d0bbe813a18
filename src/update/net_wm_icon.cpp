#include "net_wm_icon.h"

#include <X11/Xatom.h>

#include <cstring>

#include "graphics.h"

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
    net_wm_icon_data icon{};
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
    sent.name_sent = false;
}

net_wm_icon_data icon_header()
{
    net_wm_icon_data icon{};
    icon[0] = net_wm_icon_side;
    icon[1] = net_wm_icon_side;
    return icon;
}

}  // namespace

unsigned long argb_of_slot(int slot)
{
    const rgb16 c = palette_colour(slot);
    return argb_black | (static_cast<unsigned long>(c.red >> 8) << 16) |
           (static_cast<unsigned long>(c.green >> 8) << 8) | static_cast<unsigned long>(c.blue >> 8);
}

net_wm_icon_data monochrome_icon_argb(const mono_bitmap& bitmap)
{
    net_wm_icon_data icon = icon_header();
    for (int y = 0; y < net_wm_icon_side; ++y) {
        for (int x = 0; x < net_wm_icon_side; ++x) {
            // XBM layout: 8 bytes a row, least significant bit leftmost.
            const bool dark = ((bitmap[static_cast<std::size_t>(8 * y + x / 8)] >> (x % 8)) & 1u) != 0;
            icon[static_cast<std::size_t>(2 + net_wm_icon_side * y + x)] = dark ? argb_black : argb_white;
        }
    }
    return icon;
}

net_wm_icon_data colour_icon_argb(const slot_picture& slots)
{
    std::array<unsigned long, 12> argb{};
    for (int slot = 0; slot < 12; ++slot) {
        argb[static_cast<std::size_t>(slot)] = argb_of_slot(slot);
    }
    net_wm_icon_data icon = icon_header();
    for (int y = 0; y < net_wm_icon_side; ++y) {
        for (int x = 0; x < net_wm_icon_side; ++x) {
            icon[static_cast<std::size_t>(2 + net_wm_icon_side * y + x)] =
                argb[slots[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]];
        }
    }
    return icon;
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
