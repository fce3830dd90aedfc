#!/usr/bin/env python3
"""Regenerate the setup program's banner bitmap and icon.

    python3 tools/artwork/make_artwork.py OUTDIR

writes OUTDIR/banner.bmp (450 x 75, 8 bpp, 256-colour palette) and
OUTDIR/brimwave.ico (32 x 32 at 8 bpp, then 32 x 32 at 4 bpp).

Shapes (logo circle, waveform bars, decorative waves) are drawn here with
distance-based anti-aliasing; only the text is rasterised by ImageMagick
(`convert`, FreeType) as a grey coverage mask, which this script tints and
composites.  The palettes are built by a median cut over the image's own
colours, and the BMP/ICO layouts are written byte by byte, because the
resource compiler embeds them as they are and their sizes are fixed.

Standard library only; needs `convert` and the DejaVu Sans fonts.
"""

import math
import os
import struct
import subprocess
import sys

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_BOOK = os.path.join(FONT_DIR, "DejaVuSans.ttf")

PRODUCT = "Brimwave"
SLOGAN = "Your music, beautifully clear"

BANNER_W, BANNER_H = 450, 75
PELS_PER_METRE = 2851  # about 72 dpi

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
LOGO_BLUE = (27, 79, 170)
LOGO_TEAL = (18, 178, 166)
NAME_COLOUR = (24, 55, 110)
SLOGAN_COLOUR = (46, 132, 146)
WAVE_START = 292  # just right of the product name
WAVE_END = 444
WAVE_COLOURS = [(198, 229, 234), (214, 226, 244), (226, 240, 238)]

# Half-heights of the logo's waveform bars, as fractions of the circle radius.
BANNER_BARS = [0.22, 0.42, 0.66, 0.86, 0.56, 0.74, 0.40, 0.20]
# At 32 x 32 fewer, square-ended bars on whole pixels stay crisp; half-heights in pixels.
ICON_BARS = [3, 6, 10, 7, 9, 5, 2]


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def lerp(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def blend(dst, src, alpha):
    return tuple(d + (s - d) * alpha for d, s in zip(dst, src))


class Canvas:
    """Truecolour float image, rows top-down."""

    def __init__(self, width, height, colour):
        self.w = width
        self.h = height
        self.px = [[tuple(float(c) for c in colour) for _ in range(width)]
                   for _ in range(height)]

    def paint(self, x, y, colour, alpha):
        if alpha > 0.0 and 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = blend(self.px[y][x], colour, alpha)

    def to_rgb8(self):
        return [[tuple(int(round(min(255.0, max(0.0, c)))) for c in p) for p in row]
                for row in self.px]


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def box_coverage(x, y, ax, ay, bx, by):
    """Exact share of pixel (x, y) covered by an axis-aligned rectangle."""
    ox = max(0.0, min(x + 1.0, bx) - max(float(x), ax))
    oy = max(0.0, min(y + 1.0, by) - max(float(y), ay))
    return ox * oy


def logo_pixels(cx, cy, radius, bar_width, bar_pitch, halves, round_caps):
    """Yield (x, y, circle coverage, colour) for the logo: a blue-to-teal disc
    with white waveform bars.  Colour is already the disc's colour with the
    bars composited; coverage is the disc's edge coverage.  Bars are
    capsules when round_caps, else rectangles bar_width wide."""
    n = len(halves)
    bar_r = bar_width / 2.0
    bars = []
    for i, half in enumerate(halves):
        bx = cx + (i - (n - 1) / 2.0) * bar_pitch
        if round_caps:
            half = max(half - bar_r, 0.01)
            bars.append((bx, cy - half, bx, cy + half))
        else:
            bars.append((bx - bar_r, cy - half, bx + bar_r, cy + half))

    def bar_coverage(x, y, bar):
        if round_caps:
            return clamp01(bar_r + 0.5 - segment_distance(x + 0.5, y + 0.5, *bar))
        return box_coverage(x, y, *bar)
    x0, x1 = int(math.floor(cx - radius - 1)), int(math.ceil(cx + radius + 1))
    y0, y1 = int(math.floor(cy - radius - 1)), int(math.ceil(cy + radius + 1))
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            pcx, pcy = x + 0.5, y + 0.5
            cover = clamp01(radius + 0.5 - math.hypot(pcx - cx, pcy - cy))
            if cover <= 0.0:
                continue
            # Diagonal gradient, top-left blue to bottom-right teal.
            t = clamp01(((pcx - cx) + (pcy - cy)) / (2.0 * radius * 1.2) + 0.5)
            colour = lerp(LOGO_BLUE, LOGO_TEAL, t)
            colour = blend(colour, WHITE, max(bar_coverage(x, y, b) for b in bars))
            yield x, y, cover, colour


def render_text_mask(width, height, font, size, x, baseline, text):
    """Coverage mask (0..1 floats, rows top-down) of text rendered by ImageMagick."""
    if not os.path.exists(font):
        sys.exit("missing font %s (Debian package fonts-dejavu-core)" % font)
    cmd = ["convert", "-size", "%dx%d" % (width, height), "xc:black",
           "-font", font, "-pointsize", str(size), "-fill", "white",
           "-annotate", "+%d+%d" % (x, baseline), text,
           "-depth", "8", "gray:-"]
    raw = subprocess.run(cmd, check=True, stdout=subprocess.PIPE).stdout
    if len(raw) != width * height:
        sys.exit("convert returned %d bytes, expected %d" % (len(raw), width * height))
    return [[raw[y * width + x] / 255.0 for x in range(width)] for y in range(height)]


def draw_banner():
    img = Canvas(BANNER_W, BANNER_H, WHITE)

    # Faint waves along the right-hand side, fading in from the text.
    for k, colour in enumerate(WAVE_COLOURS):
        amp, period, phase, mid = 9.0 - 2.0 * k, 70.0 + 17.0 * k, 1.3 * k, 40.0 + 3.0 * k
        for x in range(WAVE_START, BANNER_W):
            fx = x + 0.5
            # Fade in from the name and out before the right edge, which stays white.
            fade = min(clamp01((fx - WAVE_START) / 90.0), clamp01((WAVE_END - fx) / 40.0))
            yc = mid + amp * math.sin(2.0 * math.pi * fx / period + phase)
            slope = amp * 2.0 * math.pi / period * math.cos(2.0 * math.pi * fx / period + phase)
            for y in range(int(yc) - 4, int(yc) + 5):
                d = abs(y + 0.5 - yc) / math.sqrt(1.0 + slope * slope)
                img.paint(x, y, colour, fade * clamp01(1.6 + 0.5 - d))

    radius = 31.0
    halves = [level * radius for level in BANNER_BARS]
    for x, y, cover, colour in logo_pixels(38.0, 37.5, radius, 4.0, 6.6, halves, True):
        img.paint(x, y, colour, cover)

    name = render_text_mask(BANNER_W, BANNER_H, FONT_BOLD, 38, 84, 43, PRODUCT)
    slogan = render_text_mask(BANNER_W, BANNER_H, FONT_BOOK, 14, 87, 63, SLOGAN)
    for y in range(BANNER_H):
        for x in range(BANNER_W):
            img.paint(x, y, NAME_COLOUR, name[y][x])
            img.paint(x, y, SLOGAN_COLOUR, slogan[y][x])
    return img.to_rgb8()


def draw_icon():
    """32 x 32 logo and its opacity mask (True = opaque).  A 1-bit mask cannot
    blend the disc's rim into an unknown background, so a pixel is opaque when
    the disc covers at least half of it and then takes the disc's own colour."""
    size = 32
    rgb = [[BLACK] * size for _ in range(size)]
    opaque = [[False] * size for _ in range(size)]
    for x, y, cover, colour in logo_pixels(16.0, 16.0, 15.6, 2.0, 4.0, ICON_BARS, False):
        if cover >= 0.5 and 0 <= x < size and 0 <= y < size:
            rgb[y][x] = tuple(int(round(c)) for c in colour)
            opaque[y][x] = True
    return rgb, opaque


# ---------------------------------------------------------------- palettes

def median_cut(histogram, count):
    """Reduce {colour: pixels} to at most `count` colours; boxes with the
    widest spread (weighted by how many pixels they hold) are split first."""
    colours = sorted(histogram)
    if len(colours) <= count:
        return colours
    boxes = [colours]

    def score(box):
        spread = max(max(c[i] for c in box) - min(c[i] for c in box) for i in range(3))
        weight = sum(histogram[c] for c in box)
        return spread * math.sqrt(weight) if len(box) > 1 else -1.0

    while len(boxes) < count:
        boxes.sort(key=score)
        box = boxes.pop()
        if len(box) < 2:
            boxes.append(box)
            break
        axis = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box.sort(key=lambda c: (c[axis], c))
        total = sum(histogram[c] for c in box)
        acc, cut = 0, 1
        for i, c in enumerate(box[:-1]):
            acc += histogram[c]
            if acc * 2 >= total:
                cut = i + 1
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    result = []
    for box in boxes:
        total = sum(histogram[c] for c in box)
        result.append(tuple(int(round(sum(c[i] * histogram[c] for c in box) / total))
                            for i in range(3)))
    return sorted(set(result))


def nearest(palette, colour, cache):
    hit = cache.get(colour)
    if hit is None:
        hit = min(range(len(palette)),
                  key=lambda i: sum((a - b) * (a - b) for a, b in zip(palette[i], colour)))
        cache[colour] = hit
    return hit


def build_palette(pixels, reserved, size):
    """Palette of exactly `size` entries: `reserved` first (exact), then the
    image's colours reduced by median cut, then a grey ramp for whatever is
    left so that every entry is a real colour."""
    histogram = {}
    for c in pixels:
        if c not in reserved:
            histogram[c] = histogram.get(c, 0) + 1
    palette = list(reserved)
    palette += [c for c in median_cut(histogram, size - len(palette)) if c not in palette]
    step = 0
    while len(palette) < size:
        grey = (step * 37) % 256  # spread the ramp over the whole range
        step += 1
        if (grey, grey, grey) not in palette:
            palette.append((grey, grey, grey))
    return palette


def index_image(rgb, palette):
    cache = {}
    for c in palette:
        cache.setdefault(c, palette.index(c))
    return [[nearest(palette, c, cache) for c in row] for row in rgb]


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


# ---------------------------------------------------------------- writers

def info_header(width, height, bits, size_image, ppm, clr_used, clr_important):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       size_image, ppm, ppm, clr_used, clr_important)


def pack_rows(indices, bits):
    """Bottom-up rows, each padded to a 4-byte boundary."""
    out = bytearray()
    for row in reversed(indices):
        line = bytearray()
        if bits == 8:
            line += bytes(row)
        elif bits == 4:
            for i in range(0, len(row), 2):
                line.append((row[i] << 4) | (row[i + 1] if i + 1 < len(row) else 0))
        elif bits == 1:
            for i in range(0, len(row), 8):
                byte = 0
                for j, v in enumerate(row[i:i + 8]):
                    byte |= (1 if v else 0) << (7 - j)
                line.append(byte)
        line += b"\0" * (-len(line) % 4)
        out += line
    return bytes(out)


def write_banner(path):
    rgb = draw_banner()
    palette = build_palette([c for row in rgb for c in row], [WHITE], 256)
    pixels = pack_rows(index_image(rgb, palette), 8)
    header = info_header(BANNER_W, BANNER_H, 8, len(pixels), PELS_PER_METRE, 256, 256)
    resource = header + palette_bytes(palette) + pixels
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(resource), 0, 0, 14 + 40 + 1024)
    with open(path, "wb") as f:
        f.write(file_header + resource)
    return len(resource)


def icon_image(rgb, opaque, bits):
    colours = 1 << bits
    # Transparent pixels must be index 0 = black: the AND mask keeps the
    # screen and XOR with black leaves it unchanged.
    visible = [rgb[y][x] for y in range(32) for x in range(32) if opaque[y][x]]
    palette = build_palette(visible, [BLACK], colours)
    indices = index_image(rgb, palette)
    for y in range(32):
        for x in range(32):
            if not opaque[y][x]:
                indices[y][x] = 0
    xor = pack_rows(indices, bits)
    mask = pack_rows([[not o for o in row] for row in opaque], 1)
    header = info_header(32, 64, bits, len(xor) + len(mask), 0, 0, 0)
    return header + palette_bytes(palette) + xor + mask


def write_icon(path):
    rgb, opaque = draw_icon()
    images = [(icon_image(rgb, opaque, 8), 0, 8), (icon_image(rgb, opaque, 4), 16, 4)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for data, colour_count, bits in images:
        out += struct.pack("<BBBBHHII", 32, 32, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b"".join(data for data, _, _ in images)
    with open(path, "wb") as f:
        f.write(out)
    return [len(data) for data, _, _ in images]


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_artwork.py OUTDIR")
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    banner_size = write_banner(os.path.join(outdir, "banner.bmp"))
    icon_sizes = write_icon(os.path.join(outdir, "brimwave.ico"))
    print("banner.bmp: resource %d bytes; brimwave.ico: images %s bytes"
          % (banner_size, ", ".join(str(s) for s in icon_sizes)))


if __name__ == "__main__":
    main(sys.argv)
