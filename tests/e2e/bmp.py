"""Small 8-bit palette BMP writer for the end-to-end tests' own levels."""
import struct

# ASCII level legend, one character per cell.
LEGEND = {'.': 0, '#': 1, '^': 2, '*': 3, 'B': 4, 'X': 5, '/': 6, '\\': 7, 'S': 15,
          '8': 8, '9': 9, 'a': 10, 'b': 11, 'c': 12, 'd': 13, 'e': 14}


def bmp8(width, height, pixels, palette=None):
    """pixels: list of rows (top first) of palette indexes."""
    palette = palette or [(i, i, i) for i in range(256)]
    row = (width + 3) & ~3
    body = b''
    for y in reversed(range(height)):
        line = bytes(pixels[y]) + b'\0' * (row - width)
        body += line
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    pal += b'\0' * (4 * 256 - len(pal))
    offset = 14 + 40 + len(pal)
    header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(body), 2835, 2835, 256, 0)
    return header + info + pal + body


def level_bmp(lines):
    """32 lines of 32 legend characters -> level bitmap bytes."""
    if len(lines) != 32 or any(len(l) != 32 for l in lines):
        raise ValueError('a level is 32 lines of 32 characters')
    return bmp8(32, 32, [[LEGEND[c] for c in l] for l in lines])


def bmp24(width, height, rgb=(200, 0, 0)):
    row = (width * 3 + 3) & ~3
    body = (bytes([rgb[2], rgb[1], rgb[0]]) * width + b'\0' * (row - width * 3)) * height
    header = struct.pack('<2sIHHI', b'BM', 54 + len(body), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + body
