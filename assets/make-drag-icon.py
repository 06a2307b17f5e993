#!/usr/bin/env python3
"""Writes program/drag.ico, the pointer shown while an entry of the list is dragged: a 32x32 Windows
icon (32-bit colour with alpha plus the 1-bit AND mask older readers need). An icon has no hot spot
of its own; the program takes its centre, so the drawing is centred: an up-and-down arrow across
the row being moved.

Run from anywhere: python3 assets/make-drag-icon.py
"""
import pathlib

import winicon

SIZE = winicon.SIZE
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


def main():
    target = pathlib.Path(__file__).resolve().parent / "program" / "drag.ico"
    target.write_bytes(winicon.file_bytes(winicon.pixels(DRAWING, COLOURS, OFFSET)))
    print(f"{target}: {SIZE}x{SIZE}")


if __name__ == "__main__":
    main()
