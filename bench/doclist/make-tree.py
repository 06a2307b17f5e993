#!/usr/bin/env python3
"""Makes the benchmark tree: 100,000 files in 10,000 folders, four levels deep (10, 90, 900 and
9,000 folders), ten files in each: seven "*.odt", two "*.ODT" and one "*.txt".

Usage: make-tree.py TREE   (TREE must not exist yet)
"""
import os
import sys

FAN_OUT = [10, 9, 10, 10]


def fill(folder):
    for i in range(10):
        extension = "txt" if i == 9 else ("ODT" if i in (0, 4) else "odt")
        open(os.path.join(folder, f"report {i:02d} of the quarter.{extension}"), "w").close()


def make(folder, depth):
    os.mkdir(folder)
    fill(folder)
    if depth < len(FAN_OUT):
        for j in range(FAN_OUT[depth]):
            make(os.path.join(folder, f"Folder {j:02d}"), depth + 1)


def main():
    root = sys.argv[1]
    os.mkdir(root)
    for j in range(FAN_OUT[0]):
        make(os.path.join(root, f"Folder {j:02d}"), 1)


if __name__ == "__main__":
    main()
