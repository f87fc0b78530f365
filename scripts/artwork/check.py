#!/usr/bin/python3
"""Checks the generated artwork against what the program relies on; exits non-zero on the first fault.

Reads the files back from disk, so a header or row-order mistake in the writers shows up here.
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw  # noqa: E402
import formats  # noqa: E402

BUTTONS = {
    (35, 27): ['min_normal', 'min_hover', 'min_pressed', 'close_normal', 'close_hover', 'close_pressed'],
    (25, 25): ['round_normal', 'round_hover', 'round_pressed', 'round_disabled', 'tv_normal', 'tv_hover',
               'tv_pressed', 'home_normal', 'home_hover', 'key_normal', 'key_hover', 'share_normal', 'share_hover'],
    (105, 30): ['start_normal', 'start_hover'],
}


def fail(msg):
    print('artwork check failed: ' + msg, file=sys.stderr)
    sys.exit(1)


def read(d, name):
    with open(os.path.join(d, name), 'rb') as f:
        return f.read()


def check(d):
    skin = formats.read_bmp(read(d, 'skin.bmp'))
    if skin.shape != (300, 500, 3):
        fail('skin.bmp is %r' % (skin.shape,))
    # The intended outline, from the same geometry the skin is drawn with.
    cv = draw.Canvas(500, 300)
    inside = draw.outline_field(cv) <= 0.0
    white = np.all(skin == 255, axis=2)
    if np.any(white & inside):
        fail('%d pure white pixels inside the outline' % np.count_nonzero(white & inside))
    if np.any(~white & ~inside):
        fail('%d non-white pixels outside the outline' % np.count_nonzero(~white & ~inside))
    # No pale fringe: every shape pixel that touches the cut-away area is dark (the rim, or at the
    # rounded corners a mix of rim and panel).
    pad = np.pad(white, 1, constant_values=True)
    touches = (pad[:-2, 1:-1] | pad[2:, 1:-1] | pad[1:-1, :-2] | pad[1:-1, 2:]) & ~white
    if np.any(skin[touches].mean(axis=1) > 120):
        fail('pale pixels on the outline edge')
    # The badge rises above the band, the band's top row is row 34, nothing visible below row 294.
    if not inside[3, 250] or inside[33, 150] or not inside[34, 150] or inside[295, 250]:
        fail('outline shape')
    ys = np.nonzero(inside[:, 250])[0]
    if ys[0] > 3:
        fail('badge top at row %d' % ys[0])
    # Check boxes and the clock line paint the panel colour: the skin must be that colour behind them.
    for x0, y0, w, h in ((134, 108, 74, 16), (134, 134, 74, 16), (40, 184, 171, 16)):
        area = skin[y0:y0 + h, x0:x0 + w].reshape(-1, 3)
        if np.any(area != np.array(draw.PANEL)):
            fail('panel colour behind the control at %d,%d' % (x0, y0))

    title = formats.read_bmp(read(d, 'title.bmp'))
    if title.shape != (40, 500, 3):
        fail('title.bmp is %r' % (title.shape,))
    under = skin[34:74]
    same = np.all(title == under, axis=2) | white[34:74]
    if not np.all(same):
        fail('title strip differs from the skin under it in %d pixels' % np.count_nonzero(~same))

    for (w, h), names in BUTTONS.items():
        for n in names:
            px = formats.read_bmp(read(d, n + '.bmp'))
            if px.shape != (h, w, 4):
                fail('%s.bmp is %r' % (n, px.shape))
            a = px[..., 3]
            if not np.any(a == 255) or not np.any(a == 0):
                fail('%s.bmp alpha is not a cut-out' % n)
            if np.any(px[a == 0][:, :3]):
                fail('%s.bmp has colour in transparent pixels' % n)
            if n.split('_')[0] in ('home', 'key', 'share') and (np.any(a[24, :]) or np.any(a[:, 24])):
                fail('%s.bmp draws outside the 24 x 24 the control shows' % n)

    kind, ents = formats.read_icon_dir(read(d, 'korvalen.ico'))
    if kind != 1 or [(e[0], e[1]) for e in ents] != [(16, 16), (32, 32), (48, 48)]:
        fail('korvalen.ico sizes')
    for w, h, planes, bpp, px in ents:
        if planes != 1 or bpp != 32 or px[h // 2, w // 2, 3] != 255 or px[0, 0, 3] != 0:
            fail('korvalen.ico %dx%d image' % (w, h))

    kind, ents = formats.read_icon_dir(read(d, 'arrow.cur'))
    if kind != 2 or len(ents) != 1:
        fail('arrow.cur directory')
    w, h, hx, hy, px = ents[0]
    if (w, h, hx, hy) != (32, 32, 9, 5):
        fail('arrow.cur entry %r' % ((w, h, hx, hy),))
    solid = px[..., 3] >= 200
    if not solid[5, 9] or np.any(solid[:5, :]) or np.any(solid[:, :9]):
        fail('arrow tip is not at the hot spot')
    print('artwork check passed')


if __name__ == '__main__':
    check(sys.argv[1] if len(sys.argv) > 1 else 'assets')
