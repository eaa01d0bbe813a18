// gtest before Xlib, whose None and Bool macros it would trip over.
#include <gtest/gtest.h>

#include "pixels.h"

#include <X11/Xutil.h>

#include <memory>

namespace {

struct image_free {
    void operator()(XImage* i) const
    {
        if (i != nullptr) {
            XDestroyImage(i);
        }
    }
};

}  // namespace

std::optional<picture> read_drawable(Display* display, Drawable d, int width, int height)
{
    std::unique_ptr<XImage, image_free> image(
        XGetImage(display, d, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap));
    if (!image) {
        return std::nullopt;
    }
    picture p;
    p.width = width;
    p.height = height;
    p.pixels.reserve(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            p.pixels.push_back(XGetPixel(image.get(), x, y));
        }
    }
    return p;
}

void expect_pixels(const std::optional<picture>& got, const std::function<unsigned long(int x, int y)>& want,
                   const char* what)
{
    ASSERT_TRUE(got.has_value()) << what << ": XGetImage failed";
    int wrong = 0;
    for (int y = 0; y < got->height; ++y) {
        for (int x = 0; x < got->width; ++x) {
            if (got->at(x, y) != want(x, y) && ++wrong <= 5) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is 0x" << std::hex << got->at(x, y)
                              << ", want 0x" << want(x, y) << std::dec;
            }
        }
    }
    EXPECT_EQ(wrong, 0) << what;
}
