"""Small BMP writer for the end-to-end tests' own levels, and a reader for screenshots."""
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


def read_bmp24(path):
    """A 24-bit BMP (as SDL saves screenshots) -> (width, height, rows of (r, g, b), top first)."""
    with open(path, 'rb') as f:
        data = f.read()
    offset, = struct.unpack_from('<I', data, 10)
    width, height, _, bits, compression = struct.unpack_from('<iiHHI', data, 18)
    if bits != 24 or compression != 0:
        raise ValueError('%s: not an uncompressed 24-bit BMP' % path)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        line = data[start:start + width * 3]
        rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, width * 3, 3)])
    if height > 0:
        rows.reverse()
    return width, abs(height), rows
