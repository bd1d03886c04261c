#!/usr/bin/env python3
"""Draws the program's icon: one 128x128 32-bit image (a lit ring with an upward arrow) as a .ico."""
import math
import struct
import sys

SIZE = 128


def pixel(x, y):
    """Returns (b, g, r, a) for the pixel centre (x + 0.5, y + 0.5), y counted from the top."""
    cx, cy = x + 0.5 - SIZE / 2, y + 0.5 - SIZE / 2
    # Rounded dark tile.
    half, radius = SIZE / 2 - 4, 22
    qx, qy = max(abs(cx) - (half - radius), 0), max(abs(cy) - (half - radius), 0)
    if math.hypot(qx, qy) > radius:
        return (0, 0, 0, 0)
    colour = [40, 30, 28]
    # A ring whose hue turns around the centre, like the controller's lights.
    dist = math.hypot(cx, cy)
    if 36 <= dist <= 48:
        hue = (math.atan2(cy, cx) / (2 * math.pi)) % 1.0
        r = 0.5 + 0.5 * math.cos(2 * math.pi * hue)
        g = 0.5 + 0.5 * math.cos(2 * math.pi * (hue - 1 / 3))
        b = 0.5 + 0.5 * math.cos(2 * math.pi * (hue - 2 / 3))
        colour = [int(255 * b), int(255 * g), int(255 * r)]
    # White upward arrow: head and shaft.
    if (-22 <= cy <= 0 and abs(cx) <= 22 + cy) or (0 <= cy <= 24 and abs(cx) <= 8):
        colour = [255, 255, 255]
    return (colour[0], colour[1], colour[2], 255)


def main(path):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        rows.append(b"".join(struct.pack("4B", *pixel(x, y)) for x in range(SIZE)))
    xor_bits = b"".join(rows)
    and_mask = bytes(SIZE * SIZE // 8)  # alpha decides; the mask stays clear
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor_bits) + len(and_mask), 0, 0, 0, 0)
    image = header + xor_bits + and_mask
    icon_dir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(icon_dir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
