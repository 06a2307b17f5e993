#!/usr/bin/env python3
"""Writes program/drag.ico, the pointer shown while an entry of the list is dragged: a 32x32 Windows
icon (32-bit colour with alpha plus the 1-bit AND mask older readers need). An icon has no hot spot
of its own; the program takes its centre, so the drawing is centred: an up-and-down arrow across
the row being moved.

Run from anywhere: python3 assets/make-drag-icon.py
"""
import pathlib
import struct

SIZE = 32
# X outline, o fill, - the row; anything else transparent. 31 x 31, centred on (15, 15).
DRAWING = """
...............X
..............XoX
.............XoooX
............XoooooX
...........XoooooooX
..........XoooooooooX
.........XXXXXoooXXXXX
.............XoooX
.............XoooX
.............XoooX
.............XoooX
.............XoooX
.XXXXXXXXXXXXXXXXXXXXXXXXXXXXX
.X---------------------------X
.X---------------------------X
.X---------------------------X
.X---------------------------X
.XXXXXXXXXXXXXXXXXXXXXXXXXXXXX
.............XoooX
.............XoooX
.............XoooX
.............XoooX
.............XoooX
.........XXXXXoooXXXXX
..........XoooooooooX
...........XoooooooX
............XoooooX
.............XoooX
..............XoX
...............X
"""
OFFSET = (0, 1)
COLOURS = {"X": (0, 0, 0, 255), "o": (255, 255, 255, 255), "-": (0, 120, 215, 255)}


def pixels():
    grid = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(DRAWING.strip("\n").splitlines()):
        for x, mark in enumerate(row):
            if mark in COLOURS:
                grid[OFFSET[1] + y][OFFSET[0] + x] = COLOURS[mark]
    return grid


def icon_file(grid):
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
    directory = struct.pack("<HHH", 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)  # one plane, 32 bits
    return directory + entry + image


def main():
    target = pathlib.Path(__file__).resolve().parent / "program" / "drag.ico"
    target.write_bytes(icon_file(pixels()))
    print(f"{target}: {SIZE}x{SIZE}")


if __name__ == "__main__":
    main()
