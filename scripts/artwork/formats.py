"""Writers and readers for the Windows picture formats the launcher loads (BMP, ICO, CUR).

Written by hand so that the headers are exactly what LoadImage expects and re-runs are byte-identical.
"""
import struct

import numpy as np


def _bmp_rows(pixels):
    """Bottom-up BGR(A) rows padded to 4 bytes."""
    h, w, ch = pixels.shape
    bgr = pixels[..., [2, 1, 0] + ([3] if ch == 4 else [])]
    row = w * ch
    pad = (4 - row % 4) % 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        out += bgr[y].astype(np.uint8).tobytes() + b'\0' * pad
    return bytes(out)


def bmp_bytes(pixels):
    """Uncompressed BI_RGB bitmap, 24-bit for RGB input, 32-bit (alpha in the 4th byte) for RGBA."""
    h, w, ch = pixels.shape
    assert ch in (3, 4)
    data = _bmp_rows(pixels)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, ch * 8, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def read_bmp(raw):
    """Reads back what bmp_bytes writes (and checks the header fields Windows cares about)."""
    magic, size, _, _, off = struct.unpack_from('<2sIHHI', raw, 0)
    hsize, w, h, planes, bpp, comp, isize = struct.unpack_from('<IiiHHII', raw, 14)
    assert magic == b'BM' and size == len(raw) and hsize == 40 and planes == 1 and comp == 0
    assert h > 0 and bpp in (24, 32) and off == 54
    ch = bpp // 8
    stride = (w * ch + 3) // 4 * 4
    assert isize == stride * h and off + isize == len(raw)
    px = np.zeros((h, w, ch), np.uint8)
    for y in range(h):
        row = np.frombuffer(raw, np.uint8, w * ch, off + (h - 1 - y) * stride).reshape(w, ch)
        px[y] = row[:, [2, 1, 0] + ([3] if ch == 4 else [])]
    return px


def _icon_image(rgba):
    """One 32-bit image of an icon/cursor resource: BITMAPINFOHEADER, XOR (BGRA) and AND mask."""
    h, w, _ = rgba.shape
    xor = _bmp_rows(rgba)
    mask_stride = (w + 31) // 32 * 4
    and_rows = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if rgba[y, x, 3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        and_rows += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(and_rows), 0, 0, 0, 0)
    return info + xor + bytes(and_rows)


def _icon_dir(kind, images, hotspots=None):
    blobs = [_icon_image(im) for im in images]
    out = struct.pack('<HHH', 0, kind, len(images))
    off = 6 + 16 * len(images)
    for i, (im, blob) in enumerate(zip(images, blobs)):
        h, w, _ = im.shape
        if kind == 1:
            f1, f2 = 1, 32          # planes, bit count
        else:
            f1, f2 = hotspots[i]    # hot spot x, y
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, f1, f2, len(blob), off)
        off += len(blob)
    return out + b''.join(blobs)


def ico_bytes(images):
    return _icon_dir(1, images)


def cur_bytes(image, hotspot):
    return _icon_dir(2, [image], [hotspot])


def read_icon_dir(raw):
    """Returns (kind, [(w, h, field1, field2, rgba)]) for an .ico/.cur written by this module."""
    _, kind, n = struct.unpack_from('<HHH', raw, 0)
    entries = []
    for i in range(n):
        w, h, _, _, f1, f2, size, off = struct.unpack_from('<BBBBHHII', raw, 6 + 16 * i)
        w, h = w or 256, h or 256
        hsize, bw, bh, planes, bpp = struct.unpack_from('<IiiHH', raw, off)
        assert hsize == 40 and bw == w and bh == 2 * h and planes == 1 and bpp == 32
        stride = w * 4
        px = np.zeros((h, w, 4), np.uint8)
        for y in range(h):
            row = np.frombuffer(raw, np.uint8, stride, off + 40 + (h - 1 - y) * stride).reshape(w, 4)
            px[y] = row[:, [2, 1, 0, 3]]
        mask_stride = (w + 31) // 32 * 4
        assert size == 40 + stride * h + mask_stride * h
        entries.append((w, h, f1, f2, px))
    return kind, entries
