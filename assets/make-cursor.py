#!/usr/bin/env python3
"""Writes program/HAND-M.CUR, the hand pointer shown over buttons: a 32x32 Windows cursor file
(32-bit colour with alpha plus the 1-bit AND mask older readers need), hot spot at the finger tip.

Run from anywhere: python3 assets/make-cursor.py
"""
import pathlib

import winicon

SIZE = winicon.SIZE
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


def main():
    target = pathlib.Path(__file__).resolve().parent / "program" / "HAND-M.CUR"
    target.write_bytes(winicon.file_bytes(winicon.pixels(HAND, COLOURS, OFFSET), HOTSPOT))
    print(f"{target}: {SIZE}x{SIZE}, hot spot {HOTSPOT}")


if __name__ == "__main__":
    main()
