"""Small deterministic raster toolkit for the launcher's artwork.

Coordinates are continuous: pixel (i, j) covers [i, i+1) x [j, j+1), its centre is (i+0.5, j+0.5).
Shapes are described by signed distance fields (negative inside) and turned into antialiased
coverage with cov(); polygons and text go through Pillow at a higher resolution and are reduced.
Colours are float RGB in 0..255.
"""
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

FONT_PATH = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc'


# ---------------------------------------------------------------- geometry

def grid(w, h):
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float64)
    return xs + 0.5, ys + 0.5


def cov(d, soft=1.0):
    """Coverage of a pixel by a shape whose signed distance at the pixel centre is d."""
    return np.clip(0.5 - d / soft, 0.0, 1.0)


def sd_circle(x, y, cx, cy, r):
    return np.hypot(x - cx, y - cy) - r


def sd_ellipse(x, y, cx, cy, a, b):
    # Not exact, but close enough near the edge for antialiasing.
    return (np.hypot((x - cx) / a, (y - cy) / b) - 1.0) * min(a, b)


def sd_rrect(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hw, hh = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx, qy = np.abs(x - cx) - hw, np.abs(y - cy) - hh
    outside = np.hypot(np.maximum(qx, 0), np.maximum(qy, 0))
    return outside + np.minimum(np.maximum(qx, qy), 0) - r


def sd_segment(x, y, ax, ay, bx, by):
    px, py = x - ax, y - ay
    vx, vy = bx - ax, by - ay
    t = np.clip((px * vx + py * vy) / (vx * vx + vy * vy), 0, 1)
    return np.hypot(px - t * vx, py - t * vy)


def smin(a, b, k):
    """Smooth union of two distance fields: gives rounded fillets where shapes meet."""
    h = np.clip(0.5 + 0.5 * (b - a) / k, 0, 1)
    return b * (1 - h) + a * h - k * h * (1 - h)


def normals(d):
    gy, gx = np.gradient(d)
    n = np.hypot(gx, gy) + 1e-9
    return gx / n, gy / n


def shift(m, dx, dy):
    """Moves a mask by whole pixels, filling with zeros."""
    out = np.zeros_like(m)
    h, w = m.shape[:2]
    xs0, xs1 = max(0, -dx), min(w, w - dx)
    ys0, ys1 = max(0, -dy), min(h, h - dy)
    out[ys0 + dy:ys1 + dy, xs0 + dx:xs1 + dx] = m[ys0:ys1, xs0:xs1]
    return out


def blur(m, sigma):
    r = int(math.ceil(3 * sigma))
    k = np.exp(-0.5 * (np.arange(-r, r + 1) / sigma) ** 2)
    k /= k.sum()
    p = np.pad(m, r, mode='constant')
    tmp = np.zeros((p.shape[0], m.shape[1]))
    for i, kv in enumerate(k):
        tmp += kv * p[:, i:i + m.shape[1]]
    out = np.zeros(m.shape)
    for i, kv in enumerate(k):
        out += kv * tmp[i:i + m.shape[0], :]
    return out


# ---------------------------------------------------------------- masks through Pillow

def supersampled(w, h, draw_fn, ss=8):
    """Runs draw_fn(ImageDraw, ss) on a w*ss x h*ss canvas and returns the reduced coverage."""
    im = Image.new('L', (w * ss, h * ss), 0)
    draw_fn(ImageDraw.Draw(im), ss)
    return np.asarray(im.reduce(ss), dtype=np.float64) / 255.0


def poly_mask(w, h, pts, ss=8):
    def fn(d, s):
        d.polygon([(px * s, py * s) for px, py in pts], fill=255)
    return supersampled(w, h, fn, ss)


def font(size):
    return ImageFont.truetype(FONT_PATH, size, index=0)


def text_mask(w, h, text, size, x, y, anchor='mm', ss=1, stroke=0):
    """Coverage of a line of text; ss > 1 with a stroke gives a semi-bold weight."""
    im = Image.new('L', (w * ss, h * ss), 0)
    d = ImageDraw.Draw(im)
    d.text((x * ss, y * ss), text, fill=255, font=font(size * ss), anchor=anchor,
           stroke_width=stroke, stroke_fill=255)
    if ss > 1:
        im = im.resize((w, h), Image.LANCZOS)
    return np.clip(np.asarray(im, dtype=np.float64) / 255.0, 0, 1)


# ---------------------------------------------------------------- colour

def ramp(stops, t):
    """Multi-stop colour ramp: stops is [(pos, (r, g, b)), ...] with ascending positions."""
    t = np.asarray(t, dtype=np.float64)
    pos = [s[0] for s in stops]
    out = np.empty(t.shape + (3,))
    for c in range(3):
        out[..., c] = np.interp(t, pos, [s[1][c] for s in stops])
    return out


def mix(c0, c1, t):
    c0, c1 = np.asarray(c0, float), np.asarray(c1, float)
    t = np.asarray(t, float)[..., None]
    return c0 * (1 - t) + c1 * t


class Canvas:
    """Premultiplied RGBA canvas in float."""

    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.rgb = np.zeros((h, w, 3))
        self.a = np.zeros((h, w))
        if bg is not None:
            self.rgb[:] = np.asarray(bg, float)
            self.a[:] = 1.0
        self.x, self.y = grid(w, h)

    def paint(self, color, alpha=1.0):
        alpha = np.clip(np.broadcast_to(np.asarray(alpha, float), (self.h, self.w)), 0, 1)
        col = np.broadcast_to(np.asarray(color, float), (self.h, self.w, 3))
        self.rgb = col * alpha[..., None] + self.rgb * (1 - alpha[..., None])
        self.a = alpha + self.a * (1 - alpha)

    def erase(self, alpha):
        """Cuts coverage away (used for holes in glyphs)."""
        keep = 1 - np.clip(alpha, 0, 1)
        self.rgb *= keep[..., None]
        self.a *= keep

    def paste(self, other, ox=0, oy=0):
        """Composites another premultiplied canvas over this one at an integer offset."""
        h, w = other.h, other.w
        sl = (slice(oy, oy + h), slice(ox, ox + w))
        a = other.a
        self.rgb[sl] = other.rgb + self.rgb[sl] * (1 - a[..., None])
        self.a[sl] = a + self.a[sl] * (1 - a)

    def straight(self):
        """8-bit straight-alpha RGBA; fully transparent pixels are black."""
        a = self.a
        rgb = np.where(a[..., None] > 1e-6, self.rgb / np.maximum(a, 1e-6)[..., None], 0)
        a8 = np.clip(np.round(a * 255), 0, 255).astype(np.uint8)
        rgb8 = np.clip(np.round(rgb), 0, 255).astype(np.uint8)
        rgb8[a8 == 0] = 0
        return np.dstack([rgb8, a8])

    def opaque(self):
        return np.clip(np.round(self.rgb), 0, 255).astype(np.uint8)
