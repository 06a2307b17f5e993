#!/usr/bin/env python3
"""Writes program/HAND-M.CUR, the hand pointer shown over buttons: a 32x32 Windows cursor file
(32-bit colour with alpha plus the 1-bit AND mask older readers need), hot spot at the finger tip.

Run from anywhere: python3 assets/make-cursor.py
"""
import pathlib
import struct

SIZE = 32
# The drawing: X outline, o fill, anything else transparent. Its top left lands at OFFSET.
HAND = """
......XX
.....XooX
.....XooX
.....XooX
.....XooX
.....XooXXX
.....XooXooXXX
.....XooXooXooXXX
.....XooXooXooXooX
.XX..XooXooXooXooX
XooX.XooXooXooXooX
XoooXXoooooooooooX
.XoooXoooooooooooX
..XooooooooooooooX
..XooooooooooooooX
...XoooooooooooooX
...XooooooooooooX
....XoooooooooooX
....XoooooooooooX
.....XoooooooooX
.....XoooooooooX
.....XXXXXXXXXXX
"""
OFFSET = (4, 1)
TIP = (6, 0)  # the finger tip within the drawing
HOTSPOT = (OFFSET[0] + TIP[0], OFFSET[1] + TIP[1])
COLOURS = {"X": (0, 0, 0, 255), "o": (255, 255, 255, 255)}


def pixels():
    grid = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(HAND.strip("\n").splitlines()):
        for x, mark in enumerate(row):
            if mark in COLOURS:
                grid[OFFSET[1] + y][OFFSET[0] + x] = COLOURS[mark]
    return grid


def cursor_file(grid):
    # The bitmap is stored bottom-up; its header height counts the colour and the mask rows together.
    colour = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(grid) for (r, g, b, a) in row)
    mask = bytearray()
    for row in reversed(grid):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (SIZE - 1 - x)  # a set bit keeps the screen: transparent
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
    # In a cursor file the entry's planes and bit-count fields hold the hot spot.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    target = pathlib.Path(__file__).resolve().parent / "program" / "HAND-M.CUR"
    target.write_bytes(cursor_file(pixels()))
    print(f"{target}: {SIZE}x{SIZE}, hot spot {HOTSPOT}")


if __name__ == "__main__":
    main()
