#!/usr/bin/env python3
"""Writes resources/velk.ico: one 32x32 image at 32 bits per pixel (a stylised fader panel)."""
import os
import struct

SIZE = 32


def pixel(x, y):
    """BGRA of the icon at (x, y), y counted from the top."""
    if x in (0, SIZE - 1) or y in (0, SIZE - 1):
        return (40, 40, 40, 255)
    for fader_x, knob_y in ((8, 20), (16, 9), (24, 15)):
        if abs(x - fader_x) <= 2 and abs(y - knob_y) <= 2:
            return (40, 200, 60, 255)  # green knob
        if x == fader_x and 4 <= y <= 27:
            return (200, 200, 200, 255)
    return (90, 60, 30, 255)  # dark blue face


def icon_bytes():
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bitmap rows run bottom-up
        rows.append(b"".join(struct.pack("4B", *pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = b"\x00" * (4 * SIZE)  # 32 rows of 32 bits, padded to 4 bytes
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "velk.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes())
