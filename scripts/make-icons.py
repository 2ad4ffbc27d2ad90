#!/usr/bin/env python3
"""Draws the Tolvek icon and writes it as an .ico file (standard library only).

    python3 scripts/make-icons.py [output-dir]     (default: tray/resources)

Writes tolvek.ico, which the program file, its windows, the reminder window
and the tray all show: a blue "T" at the upper left, overlapped by a red "K"
at the lower right, on a transparent background. It holds the design at
every size a display scale asks for (16, 20, 24, 32, 40, 48 and 64 pixels)
in 32-bit colour with an alpha channel, and again at 16 and 32 pixels in 16
colours with a transparency mask for systems that show no alpha.
The output is the same on every run, so the committed file can be checked
by running the script again and comparing.
"""

import os
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
TRANSPARENT = 0  # black under a set mask bit leaves the screen unchanged
BLUE, NAVY = 12, 4
RED, MAROON = 9, 1

# Letters as unions of strokes in a unit box (x right, y down): rectangles
# (x0, y0, x1, y1) and thick segments (x0, y0, x1, y1, width).
LETTER_T = [
    ("rect", 0.0, 0.0, 1.0, 0.27),
    ("rect", 0.36, 0.0, 0.64, 1.0),
]
LETTER_K = [
    ("rect", 0.0, 0.0, 0.28, 1.0),
    ("line", 0.14, 0.66, 0.98, 0.0, 0.27),
    ("line", 0.36, 0.45, 0.98, 1.0, 0.29),
]

# Where the letters stand, as fractions of the icon's side (left, top, right,
# bottom): the K's stem crosses the right end of the T's bar.
T_BOX = (0.0, 0.0, 0.62, 0.80)
K_BOX = (0.44, 0.12, 1.0, 1.0)

SUBSAMPLES = 4  # per axis; a pixel belongs to a letter when half of it is covered

TRUE_COLOUR_SIZES = (16, 20, 24, 32, 40, 48, 64)
SIXTEEN_COLOUR_SIZES = (16, 32)


def inside_stroke(stroke, x, y):
    if stroke[0] == "rect":
        _, x0, y0, x1, y1 = stroke
        return x0 <= x <= x1 and y0 <= y <= y1
    _, x0, y0, x1, y1, width = stroke
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
    px, py = x0 + t * dx - x, y0 + t * dy - y
    return px * px + py * py <= (width / 2) ** 2


def coverage(letter, size, box):
    """Share of each pixel that `letter`, drawn into `box` = (left, top, right,
    bottom) in pixels, covers: {(col, row): 1..SUBSAMPLES**2}."""
    left, top, right, bottom = box
    covered = {}
    for row in range(size):
        for col in range(size):
            hits = 0
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    x = (col + (sx + 0.5) / SUBSAMPLES - left) / (right - left)
                    y = (row + (sy + 0.5) / SUBSAMPLES - top) / (bottom - top)
                    if 0.0 <= x <= 1.0 and 0.0 <= y <= 1.0 and any(
                        inside_stroke(s, x, y) for s in letter
                    ):
                        hits += 1
            if hits:
                covered[(col, row)] = hits
    return covered


def rasterize(letter, size, box):
    """Pixel set of `letter`: the pixels it covers at least half."""
    return {p for p, hits in coverage(letter, size, box).items() if 2 * hits >= SUBSAMPLES ** 2}


def neighbours(pixel):
    col, row = pixel
    return [(col + dc, row + dr) for dr in (-1, 0, 1) for dc in (-1, 0, 1) if dc or dr]


def edge(pixels):
    """The pixels of a shape that touch the outside along a side."""
    return {
        (c, r) for (c, r) in pixels
        if any(p not in pixels for p in ((c - 1, r), (c + 1, r), (c, r - 1), (c, r + 1)))
    }


def letters(size):
    """The pixel sets of the T and the K, with a transparent gap of one pixel
    around the K that shows it lying on top of the T."""
    t_pixels = rasterize(LETTER_T, size, [f * size for f in T_BOX])
    k_pixels = rasterize(LETTER_K, size, [f * size for f in K_BOX])
    gap = {n for p in k_pixels for n in neighbours(p)}
    return t_pixels - (gap | k_pixels), k_pixels, gap


def outlined(size):
    return size >= 32  # below, a dark rim would eat the strokes


def draw(size):
    """Rows top to bottom of palette indexes, TRANSPARENT where nothing is drawn."""
    t_pixels, k_pixels, _ = letters(size)
    image = [[TRANSPARENT] * size for _ in range(size)]
    for pixels, fill, rim in ((t_pixels, BLUE, NAVY), (k_pixels, RED, MAROON)):
        rim_pixels = edge(pixels) if outlined(size) else set()
        for col, row in pixels:
            image[row][col] = rim if (col, row) in rim_pixels else fill
    return image


def draw_true_colour(size):
    """Rows top to bottom of (red, green, blue, alpha). The letters' own pixels
    as in the 16-colour picture; their edges soft, each pixel as opaque as the
    letter covers it; the gap stays clear."""
    t_pixels, k_pixels, gap = letters(size)
    t_cover = coverage(LETTER_T, size, [f * size for f in T_BOX])
    k_cover = coverage(LETTER_K, size, [f * size for f in K_BOX])
    full = SUBSAMPLES ** 2
    image = [[(0, 0, 0, 0)] * size for _ in range(size)]
    layers = (
        (t_pixels, {p: h for p, h in t_cover.items() if p not in gap}, PALETTE[BLUE], PALETTE[NAVY]),
        (k_pixels, k_cover, PALETTE[RED], PALETTE[MAROON]),
    )
    for pixels, cover, fill, rim in layers:
        rim_pixels = edge(pixels) if outlined(size) else set()
        for (col, row), hits in cover.items():
            if (col, row) in pixels:
                colour, alpha = (rim if (col, row) in rim_pixels else fill), 255
            else:  # a soft edge outside the letter's own pixels
                colour, alpha = (rim if outlined(size) else fill), 255 * hits // full
            if alpha > image[row][col][3]:
                image[row][col] = colour + (alpha,)
    return image


def mask_rows(transparent_rows, size):
    """The 1-bit AND mask, bottom row first: a set bit leaves the screen as it is."""
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(transparent_rows):
        bits = bytearray(stride)
        for col, clear in enumerate(row):
            if clear:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return bytes(mask)


def sixteen_colour_image(image):
    """BITMAPINFOHEADER, palette, 4-bit colours and the AND mask."""
    size = len(image)
    color_stride = (size * 4 + 31) // 32 * 4
    color = bytearray()
    for row in reversed(image):  # device-independent bitmaps run bottom-up
        line = bytearray(color_stride)
        for col, index in enumerate(row):
            line[col // 2] |= index << (4 if col % 2 == 0 else 0)
        color += line
    mask = mask_rows([[index == TRANSPARENT for index in row] for row in image], size)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(color) + len(mask), 0, 0, 16, 0
    )
    return header + palette + bytes(color) + mask


def true_colour_image(image):
    """BITMAPINFOHEADER, 32-bit BGRA colours and an AND mask for the clear pixels."""
    size = len(image)
    color = b"".join(
        struct.pack("<BBBB", b, g, r, a) for row in reversed(image) for (r, g, b, a) in row
    )
    mask = mask_rows([[pixel[3] == 0 for pixel in row] for row in image], size)
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(color) + len(mask), 0, 0, 0, 0
    )
    return header + color + mask


def ico_bytes(images):
    """An .ico of (side, bits per pixel, image bytes) entries, in that order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for side, bits, data in images:
        colours = 16 if bits == 4 else 0
        entries += struct.pack("<BBBBHHII", side % 256, side % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tray", "resources")
    images = [(size, 32, true_colour_image(draw_true_colour(size))) for size in TRUE_COLOUR_SIZES]
    images += [(size, 4, sixteen_colour_image(draw(size))) for size in SIXTEEN_COLOUR_SIZES]
    path = os.path.join(out_dir, "tolvek.ico")
    with open(path, "wb") as f:
        f.write(ico_bytes(images))
    print("wrote", os.path.normpath(path))


if __name__ == "__main__":
    main()
