#!/usr/bin/env python3
"""Draws the program's images: the 16 x 16 tool-bar images and the program
icon (16, 32 and 64 pixels), written as PNG files into images/.

The pictures are pixel maps: one character a pixel, '.' transparent. Run it
again after changing a map:  python3 resources/make-images.py
"""
import os
import struct
import zlib

PALETTE = {
    '.': (0, 0, 0, 0),
    'k': (0, 0, 0, 255),
    'K': (96, 96, 96, 255),
    's': (192, 192, 192, 255),
    'S': (128, 128, 128, 255),
    'w': (255, 255, 255, 255),
    'y': (255, 224, 64, 255),
    'Y': (200, 160, 0, 255),
    'o': (255, 244, 176, 255),
    'g': (32, 200, 32, 255),
    'G': (0, 120, 0, 255),
    'b': (32, 96, 232, 255),
    'B': (0, 0, 128, 255),
    'c': (128, 192, 255, 255),
    'r': (232, 32, 32, 255),
    'R': (144, 0, 0, 255),
    'n': (140, 80, 24, 255),
    'm': (208, 48, 208, 255),
}

# Index 0 of the image list: a yellow folder with a green downward arrow.
OPEN = [
    "................",
    "..........gG....",
    "..........gG....",
    "..........gG....",
    "........GggggG..",
    ".........GggG...",
    ".kkkk.....GG....",
    "koyyyk..........",
    "kyyyyykkkkkkk...",
    "kyyyyyyyyyyyYk..",
    "kyyykkkkkkkkkkkk",
    "kyykoooooooooYk.",
    "kykoyyyyyyyyYk..",
    "kkoyyyyyyyyYk...",
    "kkkkkkkkkkkk....",
    "................",
]

# Index 2: a blue disc with a question mark.
HELP = [
    "................",
    ".....BBBBBB.....",
    "...BBccbbbbBB...",
    "..BcbbwwwwbbbB..",
    "..BcbwwbbwwbbB..",
    ".BcbbwwbbwwbbbB.",
    ".BbbbbbbbwwbbbB.",
    ".BbbbbbbwwbbbbB.",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbbwwbbbbbB.",
    ".BbbbbbbbbbbbbB.",
    "..BbbbbwwbbbbB..",
    "..BbbbbwwbbbbB..",
    "...BBbbbbbbBB...",
    ".....BBBBBB.....",
    "................",
]

# Index 3: a house.
HOME = [
    "................",
    ".......RR..kk...",
    "......RrrR.kk...",
    ".....RrrrrRkk...",
    "....RrrrrrrRk...",
    "...RrrrrrrrrR...",
    "..RrrrrrrrrrrR..",
    ".RrrrrrrrrrrrrR.",
    "RRRRRRRRRRRRRRRR",
    "..kwwwwwwwwwwk..",
    "..kwnnwwwwBBwk..",
    "..kwnnwwwwccwk..",
    "..kwnnwwwwwwwk..",
    "..kwnnwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
]

# Index 4: an application window with coloured tiles.
RUN = [
    "................",
    "kkkkkkkkkkkkkkk.",
    "kBBBBBBBBBBBswkK",
    "kBBBBBBBBBBBBBkK",
    "kwwwwwwwwwwwwwkK",
    "kwrrrwgggwbbbwkK",
    "kwrrrwgggwbbbwkK",
    "kwrrrwgggwbbbwkK",
    "kwwwwwwwwwwwwwkK",
    "kwyyywmmmwcccwkK",
    "kwyyywmmmwcccwkK",
    "kwyyywmmmwcccwkK",
    "kwwwwwwwwwwwwwkK",
    "kkkkkkkkkkkkkkkK",
    ".KKKKKKKKKKKKKKK",
    "................",
]


def document_icon(size):
    """A white document sheet with a folded corner and a red and a black
    band across it."""
    scale = size / 32.0
    grid = [['.'] * size for _ in range(size)]
    left, right = round(5 * scale), round(26 * scale)
    top, bottom = round(1 * scale), round(30 * scale)
    fold = max(3, round(7 * scale))
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x > right - fold + (y - top):  # cut corner
                continue
            edge = x in (left, right) or y in (top, bottom) or x == right - fold + (y - top)
            grid[y][x] = 'k' if edge else 'w'
    # The folded-over corner.
    for y in range(top, top + fold + 1):
        for x in range(right - fold, right - fold + (y - top) + 1):
            edge = x == right - fold or y == top + fold or x == right - fold + (y - top)
            grid[y][x] = 'k' if edge else 's'
    # Grey lines of text above and below the band.
    step = max(2, round(3 * scale))
    for y in list(range(top + fold + step, round(12 * scale) - 1, step)) + \
            list(range(round(22 * scale), bottom - 1, step)):
        for x in range(left + max(2, round(3 * scale)), right - max(1, round(3 * scale))):
            if grid[y][x] == 'w':
                grid[y][x] = 'S'
    # The band across the sheet: red over black, a little wider than it.
    red_top, red_bottom = round(12 * scale), round(16 * scale)
    black_bottom = max(red_bottom + 1, round(19 * scale))
    for y in range(red_top, black_bottom + 1):
        for x in range(left - 1 if scale > 0.6 else left, right + 2 if scale > 0.6 else right + 1):
            if 0 <= x < size:
                grid[y][x] = 'r' if y <= red_bottom else 'k'
    return [''.join(row) for row in grid]


def double(rows):
    out = []
    for row in rows:
        wide = ''.join(c * 2 for c in row)
        out += [wide, wide]
    return out


def write_png(path, rows):
    height = len(rows)
    width = len(rows[0])
    assert all(len(r) == width for r in rows), path
    raw = b''
    for row in rows:
        raw += b'\x00' + b''.join(bytes(PALETTE[c]) for c in row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9))
    png += chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'images')
    os.makedirs(folder, exist_ok=True)
    for name, rows in (('open', OPEN), ('help', HELP), ('home', HOME), ('run', RUN)):
        assert len(rows) == 16, name
        write_png(os.path.join(folder, name + '.png'), rows)
    icon32 = document_icon(32)
    write_png(os.path.join(folder, 'pdf-lumerra.png'), icon32)
    write_png(os.path.join(folder, 'pdf-lumerra-16.png'), document_icon(16))
    write_png(os.path.join(folder, 'pdf-lumerra-64.png'), double(icon32))


if __name__ == '__main__':
    main()
