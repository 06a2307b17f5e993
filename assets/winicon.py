"""Windows icon and cursor files (32x32, 32-bit colour with alpha plus the 1-bit AND mask older
readers need), drawn from text: each mark of the drawing names a colour, anything else is transparent."""
import struct

SIZE = 32


def pixels(drawing, colours, offset):
    grid = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(drawing.strip("\n").splitlines()):
        for x, mark in enumerate(row):
            if mark in colours:
                grid[offset[1] + y][offset[0] + x] = colours[mark]
    return grid


def file_bytes(grid, hotspot=None):
    """An .ico file, or a .cur file when a hot spot is given."""
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
    if hotspot is None:
        directory = struct.pack("<HHH", 0, 1, 1)  # reserved, type 1 = icon, one image
        entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)  # one plane, 32 bits
    else:
        directory = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
        # In a cursor file the entry's planes and bit-count fields hold the hot spot.
        entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image
