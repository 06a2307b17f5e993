#!/usr/bin/env python3
"""Writes quorvane.png, the application icon: a stack of pages going into a printer and one
printed page coming out. 128x128 RGBA, drawn from a few flat shapes with 4x4 supersampling so
that the edges are smooth; the output is byte-identical on every run.

Run from anywhere: python3 assets/make-icon.py
"""
import pathlib
import struct
import zlib

SIZE = 128
GRAIN = 4  # samples per pixel along each axis


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius**2

    return (x0, y0, x1, y1), inside


def ellipse(cx, cy, rx, ry):
    return (cx - rx, cy - ry, cx + rx, cy + ry), lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rect(x0, y0, x1, y1):
    return rounded_rect(x0, y0, x1, y1, 0)


def page(x0, y0, x1, y1, lines):
    """A sheet with a grey edge and rows of text: a list of (indent from right, thickness)."""
    shapes = [(rounded_rect(x0 - 1.5, y0 - 1.5, x1 + 1.5, y1 + 1.5, 3), EDGE),
              (rounded_rect(x0, y0, x1, y1, 2), PAPER)]
    y = y0 + 7
    for short, thick in lines:
        shapes.append((rounded_rect(x0 + 7, y, x1 - 7 - short, y + thick, thick / 2), INK))
        y += thick + 4
    return shapes


PAPER = (255, 255, 255, 255)
EDGE = (112, 128, 144, 255)
INK = (74, 124, 196, 255)
BODY = (44, 62, 80, 255)
PANEL = (70, 98, 127, 255)
SLOT = (20, 28, 38, 255)
LIGHT = (46, 204, 113, 255)
SHADOW = (0, 0, 0, 60)

TEXT = [(14, 5), (0, 3), (0, 3), (8, 3), (0, 3), (20, 3), (0, 3), (4, 3), (16, 3)]
SHAPES = (
    [(ellipse(64, 114, 58, 7), SHADOW)]
    + page(46, 4, 104, 70, TEXT)[:2]
    + page(36, 10, 94, 70, TEXT)[:2]
    + page(26, 16, 84, 70, TEXT)
    + [
        (rounded_rect(8, 54, 120, 106, 11), BODY),
        (rounded_rect(12, 58, 116, 72, 7), PANEL),
        (ellipse(104, 65, 3.5, 3.5), LIGHT),
        (rounded_rect(22, 84, 106, 91, 3.5), SLOT),
    ]
    + page(32, 88, 96, 124, [(10, 4), (0, 3), (0, 3), (18, 3)])
)


def render():
    n = SIZE * GRAIN
    # Premultiplied samples; each shape is composited over what lies below it.
    samples = [[(0.0, 0.0, 0.0, 0.0)] * n for _ in range(n)]
    for ((x0, y0, x1, y1), inside), (r, g, b, a) in SHAPES:
        alpha = a / 255
        top = (r / 255 * alpha, g / 255 * alpha, b / 255 * alpha, alpha)
        for sy in range(max(0, int(y0 * GRAIN)), min(n, int(y1 * GRAIN) + 1)):
            y = (sy + 0.5) / GRAIN
            row = samples[sy]
            for sx in range(max(0, int(x0 * GRAIN)), min(n, int(x1 * GRAIN) + 1)):
                if inside((sx + 0.5) / GRAIN, y):
                    keep = 1 - alpha
                    row[sx] = tuple(t + s * keep for t, s in zip(top, row[sx]))
    pixels = bytearray()
    for py in range(SIZE):
        pixels.append(0)  # PNG filter type: none
        for px in range(SIZE):
            block = [samples[py * GRAIN + j][px * GRAIN + i] for j in range(GRAIN) for i in range(GRAIN)]
            r, g, b, a = (sum(channel) / len(block) for channel in zip(*block))
            if a == 0:
                pixels += bytes(4)
            else:
                pixels += bytes(round(min(1.0, c / a) * 255) for c in (r, g, b)) + bytes([round(a * 255)])
    return bytes(pixels)


def png(width, height, raw):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    target = pathlib.Path(__file__).resolve().parent / "quorvane.png"
    target.write_bytes(png(SIZE, SIZE, render()))
    print(f"{target}: {SIZE}x{SIZE}")


if __name__ == "__main__":
    main()
