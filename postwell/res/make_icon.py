#!/usr/bin/env python3
"""Draws postwell's icon (a sealed envelope with an ink dot) and writes it as a
Windows icon file with several sizes of 32-bit images.

The generated postwell.ico is committed, so the build does not need this
script; run it again only to change the drawing:  python3 make_icon.py
"""
import os
import struct

SIZES = (16, 24, 32, 48, 64)
SAMPLES = 4  # per axis, for smooth edges

PAPER = (250, 246, 235)
EDGE = (70, 78, 96)
FLAP = (214, 205, 184)
INK = (32, 84, 170)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    cx, cy = ax + t * dx, ay + t * dy
    return ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5


def shade(x, y):
    """Colour (r, g, b) and coverage 0/1 of one point of the unit square."""
    left, right, top, bottom = 0.06, 0.94, 0.20, 0.82
    line = 0.045
    # Ink dot at the lower right, over the envelope.
    if (x - 0.78) ** 2 + (y - 0.74) ** 2 <= 0.17 ** 2:
        return INK, 1
    if not (left <= x <= right and top <= y <= bottom):
        return None, 0
    if x - left < line or right - x < line or y - top < line or bottom - y < line:
        return EDGE, 1
    # The flap: two lines from the top corners to the middle.
    mid_x, mid_y = 0.5, 0.56
    if (segment_distance(x, y, left, top, mid_x, mid_y) < line * 0.8
            or segment_distance(x, y, right, top, mid_x, mid_y) < line * 0.8):
        return EDGE, 1
    above_flap = y < top + (mid_y - top) * (1 - abs(x - mid_x) / (mid_x - left))
    return (FLAP if above_flap else PAPER), 1


def render(size):
    """Rows of BGRA pixels, bottom row first (as a DIB stores them)."""
    rows = []
    for row in range(size - 1, -1, -1):
        pixels = bytearray()
        for col in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour, cover = shade((col + (sx + 0.5) / SAMPLES) / size,
                                          (row + (sy + 0.5) / SAMPLES) / size)
                    if cover:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = SAMPLES * SAMPLES
            if a:
                pixels += bytes((b // a, g // a, r // a, 255 * a // n))
            else:
                pixels += bytes(4)
        rows.append(bytes(pixels))
    return rows


def image_entry(size):
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(rows)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in rows:
        bits = bytearray(mask_stride)
        for col in range(size):
            if row[col * 4 + 3] == 0:  # fully transparent
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + xor + bytes(mask)


def main():
    images = [image_entry(size) for size in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'postwell.ico')
    with open(path, 'wb') as f:
        f.write(out)
    print(f'{path}: {len(out)} bytes, sizes {SIZES}')


if __name__ == '__main__':
    main()
