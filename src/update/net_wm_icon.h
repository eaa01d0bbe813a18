#pragma once
// The icon as modern taskbars read it: _NET_WM_ICON (32-bit ARGB, several
// sizes) and _NET_WM_ICON_NAME (UTF-8), beside XtNiconPixmap and XtNiconName,
// which such taskbars ignore.

#include <X11/Xlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "moon_images.h"
#include "phase_picture.h"
#include "picture_views.h"

// The sizes offered: the picture has 64 pixels of detail, so nothing larger.
inline constexpr std::array<int, 5> net_wm_icon_sides{16, 24, 32, 48, 64};

// CARDINAL[] of format 32: for each size its width, its height, then its
// pixels row by row. Xlib passes format-32 data as unsigned long, 32 bits
// used of each.
using net_wm_icon_data = std::vector<unsigned long>;

// Non-premultiplied ARGB, alpha in the top byte; the sky is 0 (transparent).
using argb_picture = square_picture<std::uint32_t>;

inline constexpr std::uint32_t argb_transparent = 0x00000000U;
inline constexpr std::uint32_t argb_black = 0xFF000000U;
inline constexpr std::uint32_t argb_white = 0xFFFFFFFFU;

// Opaque ARGB of a palette slot's requested colour: the top 8 bits of each
// 16-bit channel, as a 24-bit TrueColor server allocates it.
std::uint32_t argb_of_slot(int slot);

// The colour picture from its palette slots; the sky (slot_sky, which no
// pixel of the disc takes) transparent.
argb_picture colour_icon_picture(const slot_picture& slots);
// The one-bit picture, 1 bits black and 0 bits white, inside the disc of the
// moon pictures; outside it transparent.
argb_picture monochrome_icon_picture(const mono_bitmap& bitmap);

// The taskbar's picture at phase p, from the pure builders whatever the
// window last drew: colour or one-bit, turned for the southern view.
argb_picture icon_picture_at(bool colour, double p, bool southern);

// The picture reduced to side x side by area averaging: each reduced pixel
// averages the part of the picture it covers, weighted by area, the colours
// also by alpha. So the alpha of an edge pixel is the share of it that the
// disc covers: the edge comes out anti-aliased. side 64 gives the picture.
std::vector<std::uint32_t> reduced(const argb_picture& picture, int side);

// Every size of net_wm_icon_sides, smallest first.
net_wm_icon_data net_wm_icon_of(const argb_picture& picture);

// What the picture at phase p depends on: equal keys give equal pictures, so
// an unchanged key spares building the sizes again.
struct icon_picture_key {
    bool colour = false;
    bool southern = false;
    double radius = 0.0;
    std::array<lit_span, 28> spans{};
    bool operator==(const icon_picture_key&) const = default;
};
icon_picture_key icon_picture_key_at(bool colour, double p, bool southern);

// The icon for phase p in the program's mode and view, built only when its
// picture differs from the one last built for window; nothing otherwise.
// Sends nothing: send_net_wm_icon does.
std::optional<net_wm_icon_data> net_wm_icon_if_changed(Display* display, Window window, double p);

// Set the property on window unless it already carries this very value from
// an earlier call. Return whether anything was sent.
bool send_net_wm_icon(Display* display, Window window, const net_wm_icon_data& icon);
bool send_net_wm_icon_name(Display* display, Window window, const char* name);
