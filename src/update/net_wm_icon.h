#pragma once
// The icon as modern taskbars read it: _NET_WM_ICON (32-bit ARGB) and
// _NET_WM_ICON_NAME (UTF-8), kept in step with XtNiconPixmap and XtNiconName,
// which such taskbars ignore.

#include <X11/Xlib.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "moon_images.h"
#include "phase_picture.h"

inline constexpr int net_wm_icon_side = 64;
// CARDINAL[] of format 32: width, height, then the pixels row by row. Xlib
// passes format-32 data as unsigned long, 32 bits used of each.
inline constexpr std::size_t net_wm_icon_length = 2 + net_wm_icon_side * net_wm_icon_side;
using net_wm_icon_data = std::array<unsigned long, net_wm_icon_length>;

inline constexpr unsigned long argb_black = 0xFF000000UL;
inline constexpr unsigned long argb_white = 0xFFFFFFFFUL;

// Opaque ARGB of a palette slot's requested colour: the top 8 bits of each
// 16-bit channel, as a 24-bit TrueColor server allocates it.
unsigned long argb_of_slot(int slot);

// A one-bit picture as drawn on the icon: 1 bits black, 0 bits white.
net_wm_icon_data monochrome_icon_argb(const mono_bitmap& bitmap);

// A colour redraw from its final palette slot of every pixel.
net_wm_icon_data colour_icon_argb(const slot_picture& slots);

// Set the property on window unless it already carries this very value from
// an earlier call. Return whether anything was sent.
bool send_net_wm_icon(Display* display, Window window, const net_wm_icon_data& icon);
bool send_net_wm_icon_name(Display* display, Window window, const char* name);
