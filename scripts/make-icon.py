#!/usr/bin/env python3
"""Draws the program's icon, a page of text under a magnifying glass, at
16, 32 and 48 pixels and writes it as a Windows .ico file (32-bit images
with alpha, so it is drawn transparent):

    make-icon.py OUTPUT.ico

Shapes are sampled 4 x 4 times per pixel for smooth edges.  The result is
kept in the tree (app/about/lexprobe.ico); run this again only to change
the picture.
"""
import math
import struct
import sys

SAMPLES = 4

PAGE = (255, 255, 255)
PAGE_EDGE = (90, 100, 120)
TEXT = (150, 160, 175)
LENS_RIM = (30, 80, 170)
LENS_GLASS = (200, 225, 255)
HANDLE = (60, 45, 35)


def shape_at(x, y):
    """The colour at (x, y) of a 1 x 1 picture, or None where it is clear."""
    # Magnifying glass: ring, glass and handle, in front of the page.
    cx, cy, r = 0.60, 0.58, 0.25
    d = math.hypot(x - cx, y - cy)
    # The handle runs from the ring towards the lower right corner.
    hx, hy = x - cx, y - cy
    along = (hx + hy) / math.sqrt(2)
    across = abs(hx - hy) / math.sqrt(2)
    if r * 0.95 < along < 0.60 and across < 0.065:
        return HANDLE
    if r - 0.07 <= d <= r:
        return LENS_RIM
    if d < r - 0.07:
        return LENS_GLASS
    # The page with a folded corner and lines of text.
    left, top, right, bottom, fold = 0.12, 0.04, 0.70, 0.92, 0.16
    if left <= x <= right and top <= y <= bottom and not (x > right - fold and y < top + fold
                                                          and (x - (right - fold)) > (y - top)):
        edge = 0.035
        if (x < left + edge or x > right - edge or y < top + edge or y > bottom - edge
                or abs((x - (right - fold)) - (y - top)) < edge * 0.8):
            return PAGE_EDGE
        for line in range(5):
            ly = 0.24 + line * 0.13
            if ly <= y <= ly + 0.05 and left + 0.09 <= x <= right - 0.09 - (0.12 if line % 2 else 0):
                return TEXT
        return PAGE
    return None


def render(size):
    """Rows of (b, g, r, a) pixels, top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shape_at((px + (sx + 0.5) / SAMPLES) / size,
                                 (py + (sy + 0.5) / SAMPLES) / size)
                    if c:
                        hits += 1
                        for k in range(3):
                            acc[k] += c[k]
            if hits:
                r, g, b = (acc[k] // hits for k in range(3))
                row.append((b, g, r, 255 * hits // (SAMPLES * SAMPLES)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size):
    """One icon image: BITMAPINFOHEADER (double height), XOR bits bottom-up,
    AND mask (all zero: the alpha channel decides)."""
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_stride * size)


def main():
    sizes = [16, 32, 48]
    images = [dib(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
