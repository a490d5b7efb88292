#!/usr/bin/env python3
"""Draws the product icon and writes it as a Windows icon file.

A signed page with a pen, drawn from shapes in unit coordinates so that every
size is rendered from the same drawing, with 4 x 4 samples per pixel. Each
size is stored twice: 32-bit colour with an alpha channel, and 8-bit colour
with a palette of the image's own most used colours and a transparency mask.
All images are uncompressed bitmaps, which every Windows version reads.

The build does not run this script; its output, inkvale.ico, is kept in the
repository. Run it again after changing the drawing:

    python3 launcher/icon/make_icon.py launcher/icon/inkvale.ico
"""

import math
import struct
import sys

SIZES = (16, 24, 32, 48, 64, 128, 256)
SAMPLES = 4

PAGE = (0xFF, 0xFF, 0xFF)
PAGE_EDGE = (0x2B, 0x4A, 0x6F)
TEXT_LINE = (0xB8, 0xC4, 0xD2)
INK = (0x1F, 0x5F, 0xBF)
PEN_BODY = (0xC0, 0x39, 0x2B)
PEN_GRIP = (0x3A, 0x3A, 0x3A)
PEN_NIB = (0xE8, 0xB8, 0x4A)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    ex, ey = px - (ax + t * dx), py - (ay + t * dy)
    return math.sqrt(ex * ex + ey * ey)


def rounded_box(px, py, left, top, right, bottom, radius):
    """Signed distance to a rounded rectangle: negative inside."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def signature_points():
    """A looping pen stroke across the lower part of the page."""
    points = []
    for i in range(41):
        t = i / 40
        x = 0.25 + 0.40 * t + 0.035 * math.sin(t * math.pi * 6)
        y = 0.74 - 0.07 * math.sin(t * math.pi * 3) + 0.03 * math.cos(t * math.pi * 6)
        points.append((x, y))
    return points


SIGNATURE = signature_points()
SIGNATURE_BOX = (min(p[0] for p in SIGNATURE) - 0.05, min(p[1] for p in SIGNATURE) - 0.05,
                 max(p[0] for p in SIGNATURE) + 0.05, max(p[1] for p in SIGNATURE) + 0.05)

# The pen lies from its top end (upper right) down to its nib on the stroke.
PEN_TOP = (0.93, 0.16)
PEN_TIP = (0.62, 0.70)
PEN_LENGTH = math.hypot(PEN_TIP[0] - PEN_TOP[0], PEN_TIP[1] - PEN_TOP[1])


def pen_colour(x, y):
    ax, ay = PEN_TOP
    dx, dy = (PEN_TIP[0] - ax) / PEN_LENGTH, (PEN_TIP[1] - ay) / PEN_LENGTH
    along = (x - ax) * dx + (y - ay) * dy
    across = abs(-(x - ax) * dy + (y - ay) * dx)
    if along < 0.0 or along > PEN_LENGTH:
        return None
    part = along / PEN_LENGTH
    if part < 0.70:
        return PEN_BODY if across < 0.065 else None
    if part < 0.82:
        return PEN_GRIP if across < 0.060 else None
    # The nib narrows to a point.
    if across < 0.055 * (1.0 - part) / 0.18:
        return PEN_NIB
    return None


def colour_at(x, y):
    """Colour of the topmost shape at (x, y), or None where transparent."""
    colour = None
    edge = rounded_box(x, y, 0.12, 0.05, 0.80, 0.95, 0.06)
    if edge < 0.0:
        colour = PAGE_EDGE if edge > -0.035 else PAGE
        if colour is PAGE:
            for top in (0.20, 0.31, 0.42):
                if 0.23 <= x <= 0.69 and top <= y <= top + 0.045:
                    colour = TEXT_LINE
            if SIGNATURE_BOX[0] <= x <= SIGNATURE_BOX[2] and SIGNATURE_BOX[1] <= y <= SIGNATURE_BOX[3]:
                for (ax, ay), (bx, by) in zip(SIGNATURE, SIGNATURE[1:]):
                    if segment_distance(x, y, ax, ay, bx, by) < 0.028:
                        colour = INK
                        break
    pen = pen_colour(x, y)
    return pen if pen is not None else colour


def render(size):
    """Rows of (r, g, b, a) from top to bottom, not premultiplied."""
    rows = []
    step = 1.0 / (size * SAMPLES)
    for row in range(size):
        pixels = []
        for column in range(size):
            red = green = blue = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column * SAMPLES + sx + 0.5) * step
                    y = (row * SAMPLES + sy + 0.5) * step
                    colour = colour_at(x, y)
                    if colour is not None:
                        red += colour[0]
                        green += colour[1]
                        blue += colour[2]
                        covered += 1
            if covered:
                pixels.append((round(red / covered), round(green / covered), round(blue / covered),
                               round(255 * covered / (SAMPLES * SAMPLES))))
            else:
                pixels.append((0, 0, 0, 0))
        rows.append(pixels)
    return rows


def mask_rows(rows, opaque):
    """The 1-bit AND mask, bottom row first: 1 where transparent."""
    data = bytearray()
    stride = ((len(rows) + 31) // 32) * 4
    for pixels in reversed(rows):
        line = bytearray(stride)
        for column, pixel in enumerate(pixels):
            if not opaque(pixel):
                line[column // 8] |= 0x80 >> (column % 8)
        data += line
    return bytes(data)


def bitmap_header(size, bits, image_bytes, colours):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, colours, 0)


def image_32(rows):
    size = len(rows)
    pixels = bytearray()
    for line in reversed(rows):
        for red, green, blue, alpha in line:
            pixels += bytes((blue, green, red, alpha))
    mask = mask_rows(rows, lambda pixel: pixel[3] > 0)
    return bitmap_header(size, 32, len(pixels) + len(mask), 0) + bytes(pixels) + mask


def image_8(rows):
    size = len(rows)
    opaque = lambda pixel: pixel[3] >= 128  # noqa: E731
    # Palette: index 0 for transparent pixels, then the most used colours,
    # counted on 5 bits per channel so that near shades share an entry.
    counts = {}
    for line in rows:
        for pixel in line:
            if opaque(pixel):
                key = (pixel[0] >> 3, pixel[1] >> 3, pixel[2] >> 3)
                counts[key] = counts.get(key, 0) + 1
    popular = sorted(counts, key=lambda key: (-counts[key], key))[:255]
    palette = [(0, 0, 0)] + [((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2)) for r, g, b in popular]
    palette += [(0, 0, 0)] * (256 - len(palette))
    nearest = {}

    def index_of(pixel):
        if pixel[:3] not in nearest:
            nearest[pixel[:3]] = min(range(1, len(popular) + 1),
                                     key=lambda i: sum((palette[i][c] - pixel[c]) ** 2 for c in range(3)))
        return nearest[pixel[:3]]

    stride = ((size + 3) // 4) * 4
    pixels = bytearray()
    for line in reversed(rows):
        indices = bytearray(stride)
        for column, pixel in enumerate(line):
            indices[column] = index_of(pixel) if opaque(pixel) else 0
        pixels += indices
    mask = mask_rows(rows, opaque)
    colour_table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return bitmap_header(size, 8, len(pixels) + len(mask), 256) + colour_table + bytes(pixels) + mask


def icon_file():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, 32, image_32(rows)))
        images.append((size, 8, image_8(rows)))
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b''
    for size, bits, data in images:
        # A size of 256 is written as 0; 0 colours means 256 or more.
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + entries + b''.join(data for _, _, data in images)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icon.py OUTPUT.ico')
    with open(sys.argv[1], 'wb') as output:
        output.write(icon_file())


if __name__ == '__main__':
    main()
