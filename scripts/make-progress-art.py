#!/usr/bin/env python3
"""Draws the progress dialog's banner (copytool/ui/res/ProgressBanner.bmp) and the program
icon (copytool/ui/res/Quaysail.ico). Both are plain pictures of our own, made from a few
gradients and shapes, so the repository carries no outside artwork. Run it again after a
change here; the build uses the files it writes.

The banner stays light on its left two thirds, where the dialog draws its black header
text over it.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "copytool", "ui", "res")

# 250 x 45 dialog units at 96 pixels per inch with the dialog's 9-point font.
BANNER_W, BANNER_H = 375, 68


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def banner_pixel(x, y):
    white = (255, 255, 255)
    pale = (222, 236, 247)
    deep = (24, 96, 160)
    sea = (64, 150, 205)
    # A soft gradient from white to pale blue, left to right.
    c = mix(white, pale, x / BANNER_W)
    # Three swells on the right, each a sine band, the front one darkest.
    for i, (colour, amp, base, phase) in enumerate(
            [(mix(pale, sea, 0.45), 6, 40, 0.0), (mix(pale, sea, 0.75), 7, 48, 1.3), (deep, 6, 56, 2.4)]):
        start = 240 + i * 22
        if x < start:
            continue
        fade = min(1.0, (x - start) / 40.0)
        top = base + amp * math.sin(x / 23.0 + phase) - 10 * fade
        if y >= top:
            c = mix(c, colour, fade)
    # A thin line along the bottom edge separates the banner from the fields below.
    if y >= BANNER_H - 2:
        c = mix(c, deep, 0.6)
    return c


def bmp_24(width, height, pixel):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up rows
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - width * 3)
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    return file_header + header + bytes(data)


def icon_pixel(size, x, y):
    """RGBA of the icon: a blue rounded square with a white arrow pointing right."""
    s = size / 32.0
    r = 6 * s
    inside = True
    for cx, cy in ((r, r), (size - r, r), (r, size - r), (size - r, size - r)):
        if (x < r and y < r and cx == r and cy == r) or (x >= size - r and y < r and cx == size - r and cy == r) or \
           (x < r and y >= size - r and cx == r and cy == size - r) or \
           (x >= size - r and y >= size - r and cx == size - r and cy == size - r):
            if math.hypot(x + 0.5 - cx, y + 0.5 - cy) > r:
                inside = False
    if not inside:
        return (0, 0, 0, 0)
    c = mix((64, 150, 205), (24, 96, 160), y / size)
    # Arrow: a shaft and a triangular head.
    shaft = 7 * s <= x < 18 * s and 13 * s <= y < 19 * s
    head = 17 * s <= x < 26 * s and abs(y + 0.5 - 16 * s) <= (26 * s - x)
    if shaft or head:
        c = (255, 255, 255)
    return c + (255,)


def icon_image(size):
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = icon_pixel(size, x, y)
            xor += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        line = bytearray(mask_row)
        for x in range(size):
            if icon_pixel(size, x, y)[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, "ProgressBanner.bmp"), "wb") as f:
        f.write(bmp_24(BANNER_W, BANNER_H, banner_pixel))
    with open(os.path.join(OUT, "Quaysail.ico"), "wb") as f:
        f.write(ico([32, 16]))


if __name__ == "__main__":
    main()
