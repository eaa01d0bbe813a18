#include "moon_images.h"

#include <algorithm>

namespace {
#include "moon_bitmap.xbm"
}

mono_bitmap full_moon_bitmap()
{
    mono_bitmap out{};
    std::copy(std::begin(moon_bitmap_bits), std::end(moon_bitmap_bits), out.begin());
    return out;
}
