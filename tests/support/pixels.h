#pragma once
// Pictures read back from the X server with XGetImage, and their comparison
// with the pixel expected at every position.

#include <X11/Xlib.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

// A picture read back with XGetImage: pixel values, row by row.
struct picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned long> pixels;
    unsigned long at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    bool operator==(const picture&) const = default;
};

// Nothing if the server refuses the image (an unmapped window, a freed pixmap).
std::optional<picture> read_drawable(Display* display, Drawable d, int width, int height);

// Fails unless every pixel of got is want(x, y); names the first few that
// differ, so that a shifted or turned picture shows where it went wrong.
void expect_pixels(const std::optional<picture>& got, const std::function<unsigned long(int x, int y)>& want,
                   const char* what);
