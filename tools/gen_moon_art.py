#!/usr/bin/python3
"""Generate Lunaclock's full-moon pictures from the albedo map.

Reads tools/artwork/moon_albedo_512x256.png (equirectangular: longitude
-180..+180 degrees left to right, latitude +90..-90 top to bottom) and
projects the near side orthographically onto the 64x64 picture, north up and
east (Mare Crisium) on the right-hand limb, as the Moon stands in the sky of
the Earth's northern hemisphere at mean libration.

Writes, relative to the repository root:
  assets/moon_bitmap.xbm          one-bit picture, 1 dark / 0 lit
  assets/moon_color_image.cpp     levels 0 (sky) .. 3 (darkest surface)
  assets/icons/hicolor/NxN/apps/lunaclock.png   desktop icons, N in ICON_SIZES

The disc of the two 64x64 pictures is not a free choice: the phase drawing
copies exactly the pixels of the spans int(32 - K) .. int(32 + K), with
K = cos(asin(|y - 28| / 27)) * 27, so the pictures must agree with those spans
pixel for pixel.  Every rule is asserted below; a failed assertion aborts
before anything is written.

Run with Debian's interpreter (it has PIL and numpy):
  /usr/bin/python3 tools/gen_moon_art.py [--check] [--preview FILE.png]
--check regenerates in memory and fails if the committed files differ.
"""

import argparse
import io
import math
import os
import sys

import numpy as np
from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAP_PATH = os.path.join(ROOT, "tools", "artwork", "moon_albedo_512x256.png")

SIZE = 64
CX, CY = 32, 28          # disc centre: column, row (pixel centres)
RADIUS = 27              # radius of the lit-span rule, in pixels
# The orthographic projection uses a radius half a pixel larger than the span
# rule, so that the pixels on the rule's edge (whose centres lie up to 27
# pixels out) still show surface over about half their area.
PROJ_RADIUS = RADIUS + 0.5
SUBSAMPLES = 8           # per axis, per pixel
RED_POINT = (41, 29)     # column, row where the colour phase picture marks red

# Share of the disc given to the brightest (1) and darkest (3) levels: about
# the extent of the highlands' bright crater rays and of the maria at full
# moon, which keeps the three-level picture balanced.
DISC_PIXELS_EXPECTED = 2338
LEVEL1_SHARE = 374 / DISC_PIXELS_EXPECTED
LEVEL3_SHARE = 951 / DISC_PIXELS_EXPECTED

# A disc pixel is lit in the one-bit picture only if at least this share of
# its area lies on the projected sphere: keeps a clean black limb in
# monochrome instead of half-covered grey corners turning white.
MONO_MIN_COVERAGE = 0.5

ICON_SIZES = (16, 32, 48, 64, 128)
# Colours of the start-up icon's levels 3, 2 and 1 (8-bit RGB), darkest first.
ICON_RAMP = np.array([(0x8F, 0x9F, 0xAF), (0xBF, 0xCF, 0xDF), (0xDF, 0xEF, 0xFF)],
                     dtype=np.float64)
# The icons stretch the surface a little darker than level 3's colour so the
# maria read at 16x16; this is the colour of the darkest surface.
ICON_DARKEST = np.array((0x5F, 0x6F, 0x80), dtype=np.float64)


def load_map():
    img = Image.open(MAP_PATH)
    if img.size != (512, 256):
        sys.exit(f"{MAP_PATH}: expected 512x256, got {img.size}")
    return np.asarray(img.convert("L"), dtype=np.float64)


def sample_map(albedo, lon_deg, lat_deg):
    """Bilinear lookup; longitude wraps, latitude clamps at the poles."""
    h, w = albedo.shape
    fx = (lon_deg + 180.0) / 360.0 * w - 0.5
    fy = (90.0 - lat_deg) / 180.0 * h - 0.5
    fy = np.clip(fy, 0.0, h - 1.0)
    x0 = np.floor(fx).astype(np.int64)
    y0 = np.minimum(np.floor(fy).astype(np.int64), h - 2)
    tx = fx - x0
    ty = fy - y0
    x0 %= w
    x1 = (x0 + 1) % w
    top = albedo[y0, x0] * (1 - tx) + albedo[y0, x1] * tx
    bot = albedo[y0 + 1, x0] * (1 - tx) + albedo[y0 + 1, x1] * tx
    return top * (1 - ty) + bot * ty


def project(albedo, u, v):
    """Brightness at disc coordinates (u right, v up, unit radius).

    Returns (brightness, on_disc); brightness is 0 where on_disc is False.
    Orthographic view from the Earth: the sub-Earth point is selenographic
    lon 0, lat 0; east longitudes lie to the right.
    """
    rr = u * u + v * v
    on = rr <= 1.0
    z = np.sqrt(np.where(on, 1.0 - rr, 0.0))
    lat = np.degrees(np.arcsin(np.clip(v, -1.0, 1.0)))
    lon = np.degrees(np.arctan2(u, z))
    b = sample_map(albedo, lon, lat)
    return np.where(on, b, 0.0), on


def render(albedo, n, cx, cy, radius, subsamples):
    """Supersampled n x n render: mean brightness over the covered
    subpixels and the covered share of each pixel.  Pixel (x, y) is centred
    on coordinates (x, y) relative to the centre (cx, cy)."""
    offs = (np.arange(subsamples) + 0.5) / subsamples - 0.5
    idx = np.arange(n, dtype=np.float64)
    xs = (idx[:, None] + offs[None, :]).reshape(-1)
    ys = (idx[:, None] + offs[None, :]).reshape(-1)
    u = (xs[None, :] - cx) / radius
    v = (cy - ys[:, None]) / radius
    u, v = np.broadcast_arrays(u, v)
    b, on = project(albedo, u, v)
    shape = (n, subsamples, n, subsamples)
    bsum = b.reshape(shape).sum(axis=(1, 3))
    cnt = on.reshape(shape).sum(axis=(1, 3))
    coverage = cnt / float(subsamples * subsamples)
    bright = np.where(cnt > 0, bsum / np.maximum(cnt, 1), 0.0)
    return bright, coverage, b.reshape(n * subsamples, n * subsamples), on.reshape(
        n * subsamples, n * subsamples)


def span_of_row(y):
    """Columns (first, last) of the full-moon lit span in row y, or None."""
    i = abs(y - CY)
    if i > RADIUS - 1:      # offsets 0..26: rows 2..54
        return None
    k = math.cos(math.asin(i / float(RADIUS))) * RADIUS
    return int(CX - k), int(CX + k)   # int() truncates toward zero


def disc_mask():
    mask = np.zeros((SIZE, SIZE), dtype=bool)
    for y in range(SIZE):
        s = span_of_row(y)
        if s is None:
            continue
        first, last = s
        if y == CY:
            last -= 1       # row 28 stops at column 58, one short of the rule
        mask[y, first:last + 1] = True
    return mask


def quantise(bright, disc):
    """Levels 1..3 by rank of brightness within the disc (ties broken by
    position, so the result is deterministic), 0 outside."""
    levels = np.zeros((SIZE, SIZE), dtype=np.int64)
    ys, xs = np.nonzero(disc)
    vals = bright[ys, xs]
    order = np.lexsort((xs, ys, vals))       # darkest first
    n = len(order)
    n3 = int(round(LEVEL3_SHARE * n))
    n1 = int(round(LEVEL1_SHARE * n))
    lv = np.full(n, 2, dtype=np.int64)
    lv[order[:n3]] = 3
    lv[order[n - n1:]] = 1
    levels[ys, xs] = lv
    return levels


def check(cond, what):
    if not cond:
        raise AssertionError("artwork rule broken: " + what)


def verify(levels, dark, disc):
    """dark: bool array, True for a 1 bit."""
    check(disc.sum() == DISC_PIXELS_EXPECTED, f"disc has {disc.sum()} pixels")
    check(not disc[CY, 59], "column 59 of row 28 must lie outside the disc")
    check(disc[CY, 58] and disc[CY, 5], "row 28 spans columns 5..58")
    check(disc[2, 24] and disc[2, 39] and not disc[2, 23] and not disc[2, 40],
          "row 2 spans columns 24..39")
    check(((levels == 0) == ~disc).all(), "level 0 exactly outside the disc")
    check(((levels >= 0) & (levels <= 3)).all(), "levels within 0..3")
    for y in list(range(0, 2)) + list(range(55, 64)):
        check(dark[y].all() and (levels[y] == 0).all(), f"row {y} all dark, level 0")
    lit = ~dark
    check(not (lit & ~disc).any(), "every 0 bit inside the disc")
    for y in range(SIZE):
        s = span_of_row(y)
        row_lit = np.nonzero(lit[y])[0]
        if s is None:
            check(len(row_lit) == 0, f"row {y} has no lit span")
        elif len(row_lit):
            check(row_lit[0] >= s[0] and row_lit[-1] <= s[1], f"row {y} lit within span")
    x, y = RED_POINT
    check(levels[y, x] == 3 and dark[y, x], "red point pixel is level 3 and a 1 bit")
    counts = [int((levels == k).sum()) for k in (1, 2, 3)]
    for k, c in zip((1, 2, 3), counts):
        check(c >= 0.1 * DISC_PIXELS_EXPECTED, f"level {k} present ({c} pixels)")
    n_lit = int(lit.sum())
    lit_on_bright = int((lit & (levels >= 1) & (levels <= 2)).sum())
    disc_dark = dark & disc
    dark_on_3 = int((disc_dark & (levels == 3)).sum())
    check(n_lit > 0.4 * DISC_PIXELS_EXPECTED, f"enough lit pixels ({n_lit})")
    check(lit_on_bright >= 0.9 * n_lit, "lit pixels fall on levels 1/2")
    check(dark_on_3 >= 0.85 * disc_dark.sum(), "dark disc pixels fall on level 3")
    return counts, n_lit, lit_on_bright, int(disc_dark.sum()), dark_on_3


def xbm_text(dark):
    data = []
    for y in range(SIZE):
        for bx in range(SIZE // 8):
            byte = 0
            for b in range(8):
                if dark[y, bx * 8 + b]:
                    byte |= 1 << b      # LSB is the leftmost pixel
            data.append(byte)
    assert len(data) == 512
    lines = ["#define moon_bitmap_width 64", "#define moon_bitmap_height 64",
             "static unsigned char moon_bitmap_bits[] = {"]
    for i in range(0, len(data), 12):
        chunk = ", ".join(f"0x{b:02x}" for b in data[i:i + 12])
        last = i + 12 >= len(data)
        lines.append("   " + chunk + (" };" if last else ","))
    return "\n".join(lines) + "\n"


def color_cpp_text(levels):
    out = ["// Generated by tools/gen_moon_art.py from tools/artwork/moon_albedo_512x256.png.",
           "// Do not edit by hand: change the generator and run it again.",
           "// The full moon as 64x64 levels, [row][column]: 0 outside the disc,",
           "// 1 the brightest surface, 3 the darkest.",
           "#include \"moon_images.h\"",
           "",
           "const std::array<std::array<std::int16_t, 64>, 64> moon_color_image = {{"]
    for y in range(SIZE):
        row = ", ".join(str(int(v)) for v in levels[y])
        out.append(f"    {{{{{row}}}}},  // row {y}")
    out.append("}};")
    return "\n".join(out) + "\n"


def icon_png(albedo, n, lo, hi):
    """RGBA icon of size n: the disc fills the icon less a small margin,
    the sky is transparent and the edge antialiased by coverage."""
    margin = max(0.5, n / 32.0)
    radius = n / 2.0 - margin
    centre = n / 2.0 - 0.5          # pixel centres at integer coordinates
    s = max(SUBSAMPLES, 128 // n * 2)
    _, coverage, b, on = render(albedo, n, centre, centre, radius, s)
    t = np.clip((b - lo) / (hi - lo), 0.0, 1.0)
    # piecewise ramp: darkest -> level 3 -> level 2 -> level 1 colours
    stops = np.vstack([ICON_DARKEST, ICON_RAMP])
    pos = t * (len(stops) - 1)
    i0 = np.minimum(np.floor(pos).astype(np.int64), len(stops) - 2)
    f = (pos - i0)[..., None]
    rgb = stops[i0] * (1 - f) + stops[i0 + 1] * f
    rgb = np.where(on[..., None], rgb, 0.0)
    shape = (n, s, n, s, 3)
    cnt = on.reshape(n, s, n, s).sum(axis=(1, 3))[..., None]
    mean = rgb.reshape(shape).sum(axis=(1, 3)) / np.maximum(cnt, 1)
    alpha = np.round(coverage * 255.0)
    px = np.dstack([np.round(mean), alpha]).clip(0, 255).astype(np.uint8)
    buf = io.BytesIO()
    Image.fromarray(px, "RGBA").save(buf, format="PNG", optimize=True)
    return buf.getvalue()


def preview_png(levels, dark, path, scale=6):
    """Both pictures side by side, scaled up, for looking at."""
    ramp = {0: (0x0F, 0x0F, 0x0F), 1: (0xDF, 0xEF, 0xFF),
            2: (0xBF, 0xCF, 0xDF), 3: (0x8F, 0x9F, 0xAF)}
    col = np.zeros((SIZE, SIZE, 3), dtype=np.uint8)
    for k, c in ramp.items():
        col[levels == k] = c
    mono = np.where(dark[..., None], 0, 255).astype(np.uint8).repeat(3, axis=2)
    gap = np.full((SIZE, 4, 3), 0x80, dtype=np.uint8)
    both = np.hstack([col, gap, mono])
    Image.fromarray(both, "RGB").resize(
        (both.shape[1] * scale, both.shape[0] * scale), Image.NEAREST).save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--check", action="store_true",
                    help="fail if the committed files differ from a fresh run")
    ap.add_argument("--preview", metavar="PNG", help="also write a 6x preview")
    args = ap.parse_args()

    albedo = load_map()
    bright, coverage, sub_b, sub_on = render(albedo, SIZE, CX, CY, PROJ_RADIUS, SUBSAMPLES)
    disc = disc_mask()
    levels = quantise(bright, disc)
    x, y = RED_POINT
    forced = levels[y, x] != 3
    if forced:
        levels[y, x] = 3
    dark = ~(disc & (levels <= 2) & (coverage >= MONO_MIN_COVERAGE))
    counts, n_lit, lit_ok, n_disc_dark, dark_ok = verify(levels, dark, disc)

    # Icon tint limits: 2nd and 99th percentile of the near side's brightness.
    lo, hi = np.percentile(sub_b[sub_on], [2.0, 99.0])
    outputs = {
        os.path.join("assets", "moon_bitmap.xbm"): xbm_text(dark).encode(),
        os.path.join("assets", "moon_color_image.cpp"): color_cpp_text(levels).encode(),
    }
    for n in ICON_SIZES:
        outputs[os.path.join("assets", "icons", "hicolor", f"{n}x{n}", "apps",
                             "lunaclock.png")] = icon_png(albedo, n, lo, hi)

    print(f"levels 1/2/3: {counts[0]}/{counts[1]}/{counts[2]}; "
          f"0 bits: {n_lit}, {lit_ok} on levels 1/2; "
          f"disc 1 bits: {n_disc_dark}, {dark_ok} on level 3"
          + ("; red-point pixel forced to level 3" if forced else ""))

    stale = []
    for rel, data in outputs.items():
        path = os.path.join(ROOT, rel)
        if args.check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(rel)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    if args.preview:
        preview_png(levels, dark, args.preview)
    if stale:
        sys.exit("out of date: " + ", ".join(stale))


if __name__ == "__main__":
    main()
