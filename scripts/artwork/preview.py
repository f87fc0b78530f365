#!/usr/bin/python3
"""Composite previews of the generated artwork, built from the written files themselves.

main.png shows the window as the program assembles it: the skin cut by its outline, the title strip,
every picture button at its place (alpha-blended like AlphaBlend does after premultiplying), and
stand-ins for the edit boxes, check boxes, browser and labels. buttons.png shows every picture enlarged.
"""
import os
import sys

import numpy as np
from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import formats  # noqa: E402
from raster import font  # noqa: E402

MARGIN = 12


def load(d, name):
    with open(os.path.join(d, name), 'rb') as f:
        return formats.read_bmp(f.read())


def blend(dst, src, x, y):
    """dst (H,W,3 float) <- src straight RGBA at x, y, clipped."""
    h, w = src.shape[:2]
    H, W = dst.shape[:2]
    x0, y0, x1, y1 = max(x, 0), max(y, 0), min(x + w, W), min(y + h, H)
    s = src[y0 - y:y1 - y, x0 - x:x1 - x].astype(float)
    a = s[..., 3:4] / 255.0
    dst[y0:y1, x0:x1] = s[..., :3] * a + dst[y0:y1, x0:x1] * (1 - a)


def checker(w, h, a=(46, 46, 50), b=(58, 58, 64), cell=8):
    ys, xs = np.mgrid[0:h, 0:w]
    c = ((xs // cell + ys // cell) % 2).astype(bool)
    out = np.empty((h, w, 3))
    out[:] = a
    out[c] = b
    return out


def main_preview(d, hover=False):
    skin = load(d, 'skin.bmp').astype(float)
    title = load(d, 'title.bmp').astype(float)
    W, H = 501, 295
    win = np.zeros((H, W, 3))
    # The background tiles the 500 x 300 skin; the region is its non-white pixels.
    win[:, :500] = skin[:H]
    win[:, 500] = skin[:H, 0]
    inside = np.zeros((H, W), bool)
    inside[:, :500] = ~np.all(skin[:H] == 255, axis=2)
    # Title strip at 0,34, 500 x 41, tiling the 40-row picture.
    win[34:74, :500] = title
    win[74, :500] = title[0]
    strip = win[34:75]
    blend(strip, load(d, 'min_%s.bmp' % ('hover' if hover else 'normal')), 407, 7)
    blend(strip, load(d, 'close_%s.bmp' % ('hover' if hover else 'normal')), 455, 7)

    im = Image.fromarray(np.clip(np.round(win), 0, 255).astype(np.uint8))
    dr = ImageDraw.Draw(im)
    f12, f9, f11 = font(12), font(10), font(12)

    def label(text, box, fill, align='left', f=f12):
        x, y, w, h = box
        if align == 'center':
            dr.text((x + w / 2, y + h / 2), text, fill=fill, font=f, anchor='mm')
        else:
            dr.text((x, y + h / 2), text, fill=fill, font=f, anchor='lm')

    label('Korvalen(联合版)', (11, 34 + 6, 157, 32), (216, 216, 0))
    # Echo line: solid box with a single-line border.
    dr.rectangle([0, 73, 503, 93], fill=(28, 70, 227), outline=(0, 0, 0))
    dr.text((4, 83), 'BF2.exe +menu 1 +fullscreen 1 +szx 1024 +szy 768', fill=(255, 255, 255), font=f9, anchor='lm')
    arr = np.asarray(im).astype(float)
    blend(arr, load(d, 'round_hover.bmp' if hover else 'round_normal.bmp'), 37, 104)
    blend(arr, load(d, 'round_normal.bmp'), 37, 130)
    blend(arr, load(d, 'tv_hover.bmp' if hover else 'tv_normal.bmp'), 173, 221)
    blend(arr, load(d, 'start_hover.bmp' if hover else 'start_normal.bmp'), 67, 218)
    for name, y in (('home', 96), ('key', 140), ('share', 187)):
        ic = load(d, '%s_%s.bmp' % (name, 'hover' if hover and name == 'key' else 'normal'))[:24, :24]
        blend(arr, ic, 469, y)
    im = Image.fromarray(np.clip(np.round(arr), 0, 255).astype(np.uint8))
    dr = ImageDraw.Draw(im)
    label('检测升级', (63, 104, 56, 24), (216, 216, 0), 'center')
    label('桌面方式', (63, 130, 56, 24), (216, 216, 0), 'center')
    for y, text, checked in ((108, '窗口模式', False), (134, '跳过动画', True)):
        dr.rectangle([134, y, 134 + 73, y + 15], fill=(28, 70, 227))
        dr.rectangle([135, y + 1, 147, y + 13], fill=(255, 255, 255), outline=(90, 90, 90))
        if checked:
            dr.line([(137, y + 7), (140, y + 10), (145, y + 3)], fill=(0, 0, 0), width=2)
        label(text, (151, y, 60, 16), (192, 192, 192))
    label('分辨率:', (46, 161, 49, 16), (192, 192, 192))
    for x, w, v in ((97, 40, '1024'), (152, 48, '768')):
        dr.rectangle([x, 159, x + w - 1, 159 + 19], fill=(0, 0, 128), outline=(0, 0, 0))
        label(v, (x + 3, 159, w, 20), (255, 255, 0))
    label('*', (141, 161, 16, 16), (128, 128, 128))
    label('2026年12月11日 12:34:56', (40, 184, 171, 16), (0, 136, 255), 'center')
    # Browser stand-in: a page with a heading and a few lines.
    dr.rectangle([240, 92, 463, 211], fill=(255, 255, 255))
    dr.rectangle([240, 92, 463, 112], fill=(226, 234, 248))
    dr.text((246, 102), '服务器公告', fill=(20, 40, 120), font=f12, anchor='lm')
    for i, text in enumerate(('· 本周末举行联合服务器对抗赛', '· 新地图包已上传，请在更新中下载', '· 欢迎新玩家加入社区论坛')):
        dr.text((246, 126 + i * 18), text, fill=(40, 40, 40), font=f11, anchor='lm')
    label('欢迎使用 Korvalen 联合版，祝您愉快！', (243, 216, 224, 16), (255, 255, 0))
    label('KORVALEN.EXAMPLE', (376, 248, 112, 24), (255, 255, 255), 'center')
    label('update.korvalen.example', (368, 271, 128, 16), (128, 128, 128), 'center', f9)
    label('Powered by Talvern', (9, 272, 311, 24), (0, 0, 0))

    win = np.asarray(im).astype(float)
    win[~inside] = checker(W, H)[~inside]
    out = checker(W + 2 * MARGIN, H + 2 * MARGIN)
    out[MARGIN:MARGIN + H, MARGIN:MARGIN + W] = win
    return Image.fromarray(np.clip(np.round(out), 0, 255).astype(np.uint8))


def buttons_preview(d, scale=3):
    rows = [
        ['min_normal', 'min_hover', 'min_pressed', 'close_normal', 'close_hover', 'close_pressed'],
        ['round_normal', 'round_hover', 'round_pressed', 'round_disabled', 'tv_normal', 'tv_hover', 'tv_pressed'],
        ['home_normal', 'home_hover', 'key_normal', 'key_hover', 'share_normal', 'share_hover'],
        ['start_normal', 'start_hover'],
    ]
    title = load(d, 'title.bmp').astype(float)
    skin = load(d, 'skin.bmp').astype(float)
    bg_title = title[7:34, 400:440]
    bg_panel = skin[100:130, 300:420]
    tiles = []
    for r, names in enumerate(rows):
        row = []
        for n in names:
            px = load(d, n + '.bmp')
            h, w = px.shape[:2]
            bg = (bg_title if r == 0 else bg_panel)[:h, :w].copy()
            blend(bg, px, 0, 0)
            big = Image.fromarray(np.clip(np.round(bg), 0, 255).astype(np.uint8)).resize((w * scale, h * scale),
                                                                                         Image.NEAREST)
            row.append(big)
        tiles.append(row)
    # Icon and cursor, on the panel colour.
    with open(os.path.join(d, 'korvalen.ico'), 'rb') as f:
        _, ents = formats.read_icon_dir(f.read())
    with open(os.path.join(d, 'arrow.cur'), 'rb') as f:
        _, cur = formats.read_icon_dir(f.read())
    extra = []
    for w, h, _, _, px in ents + cur:
        bg = np.empty((h, w, 3))
        bg[:] = (28, 70, 227)
        blend(bg, px, 0, 0)
        extra.append(Image.fromarray(np.clip(np.round(bg), 0, 255).astype(np.uint8)).resize((w * scale, h * scale),
                                                                                             Image.NEAREST))
    tiles.append(extra)
    gap = 10
    W = max(sum(t.width for t in row) + gap * (len(row) + 1) for row in tiles)
    H = sum(max(t.height for t in row) for row in tiles) + gap * (len(tiles) + 1)
    out = Image.new('RGB', (W, H), (40, 40, 44))
    y = gap
    for row in tiles:
        x = gap
        for t in row:
            out.paste(t, (x, y))
            x += t.width + gap
        y += max(t.height for t in row) + gap
    return out


def main(d, out):
    os.makedirs(out, exist_ok=True)
    main_preview(d).save(os.path.join(out, 'main.png'), optimize=False)
    main_preview(d, hover=True).save(os.path.join(out, 'main_hover.png'), optimize=False)
    buttons_preview(d).save(os.path.join(out, 'buttons.png'), optimize=False)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'assets', sys.argv[2] if len(sys.argv) > 2 else 'assets/preview')
