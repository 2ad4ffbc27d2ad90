#!/usr/bin/env python3
"""Draws the Tolvek icons and writes them as .ico files (standard library only).

    python3 scripts/make-icons.py [output-dir]     (default: tray/resources)

Writes tolvek32.ico (32 x 32, the program file and reminder window) and
tolvek16.ico (16 x 16, the tray). Each holds one image of 16 colours
(4 bits per pixel) with a transparency mask: a blue "T" at the upper left,
overlapped by a red "K" at the lower right, on a transparent background.
The output is the same on every run, so the committed files can be checked
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


def inside_stroke(stroke, x, y):
    if stroke[0] == "rect":
        _, x0, y0, x1, y1 = stroke
        return x0 <= x <= x1 and y0 <= y <= y1
    _, x0, y0, x1, y1, width = stroke
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
    px, py = x0 + t * dx - x, y0 + t * dy - y
    return px * px + py * py <= (width / 2) ** 2


def rasterize(letter, size, box):
    """Pixel set of `letter` drawn into `box` = (left, top, right, bottom) in pixels."""
    left, top, right, bottom = box
    pixels = set()
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
            if 2 * hits >= SUBSAMPLES * SUBSAMPLES:
                pixels.add((col, row))
    return pixels


def neighbours(pixel):
    col, row = pixel
    return [(col + dc, row + dr) for dr in (-1, 0, 1) for dc in (-1, 0, 1) if dc or dr]


def edge(pixels):
    """The pixels of a shape that touch the outside along a side."""
    return {
        (c, r) for (c, r) in pixels
        if any(p not in pixels for p in ((c - 1, r), (c + 1, r), (c, r - 1), (c, r + 1)))
    }


def draw(size):
    """Rows top to bottom of palette indexes, TRANSPARENT where nothing is drawn."""
    t_pixels = rasterize(LETTER_T, size, [f * size for f in T_BOX])
    k_pixels = rasterize(LETTER_K, size, [f * size for f in K_BOX])
    # A transparent gap of one pixel around the K shows it lying on top of the T.
    gap = {n for p in k_pixels for n in neighbours(p)}
    t_pixels -= gap | k_pixels
    image = [[TRANSPARENT] * size for _ in range(size)]
    outlined = size >= 32  # at 16 pixels a dark rim would eat the strokes
    for pixels, fill, rim in ((t_pixels, BLUE, NAVY), (k_pixels, RED, MAROON)):
        rim_pixels = edge(pixels) if outlined else set()
        for col, row in pixels:
            image[row][col] = rim if (col, row) in rim_pixels else fill
    return image


def ico_bytes(image):
    """A one-image .ico: BITMAPINFOHEADER, palette, 4-bit colours, 1-bit AND mask."""
    size = len(image)
    color_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    color = bytearray()
    mask = bytearray()
    for row in reversed(image):  # device-independent bitmaps run bottom-up
        line = bytearray(color_stride)
        bits = bytearray(mask_stride)
        for col, index in enumerate(row):
            line[col // 2] |= index << (4 if col % 2 == 0 else 0)
            if index == TRANSPARENT:
                bits[col // 8] |= 0x80 >> (col % 8)
        color += line
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(color) + len(mask), 0, 0, 16, 0
    )
    image_data = header + palette + bytes(color) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image_data), 6 + 16)
    return directory + entry + image_data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tray", "resources")
    for size, name in ((32, "tolvek32.ico"), (16, "tolvek16.ico")):
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(ico_bytes(draw(size)))
        print("wrote", os.path.normpath(path))


if __name__ == "__main__":
    main()
