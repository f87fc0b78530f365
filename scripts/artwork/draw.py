#!/usr/bin/python3
"""Draws the main window's artwork into assets/ (see assets/README.md).

Everything is computed from code: no input pictures, no randomness, so re-runs give identical files.
Light comes from the upper left throughout.
"""
import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import (Canvas, blur, cov, mix, normals, poly_mask, ramp, sd_circle, sd_ellipse,  # noqa: E402
                    sd_rrect, sd_segment, smin, supersampled, text_mask)
import formats  # noqa: E402

# Colours the program itself uses on the panel.
PANEL = (28, 70, 227)          # echo line, check boxes and clock line backgrounds
YELLOW = (216, 216, 0)
NAVY_RIM = (6, 16, 58)

LIGHT = np.array([-0.45, -0.6, 0.66])
LIGHT /= np.linalg.norm(LIGHT)
HALF = LIGHT + np.array([0, 0, 1.0])
HALF /= np.linalg.norm(HALF)

GOLD = [(0.0, (92, 58, 8)), (0.35, (170, 120, 30)), (0.65, (226, 180, 70)), (0.9, (252, 228, 140)),
        (1.0, (254, 246, 200))]
SILVER = [(0.0, (96, 112, 150)), (0.4, (168, 184, 214)), (0.75, (226, 234, 248)), (1.0, (254, 254, 254))]

# Badge: the emblem that rises above the title band. The outline's circle.
BADGE_CX, BADGE_CY, BADGE_R = 250.0, 36.0, 34.0
BAND_TOP = 34          # first row of the title band / panel
WIN_W, WIN_H = 500, 295


def shade_tube(t, ux, uy, squash=0.92):
    """Diffuse and specular light on a rounded ring; t runs 0 (inner edge) .. 1 (outer edge)."""
    nr = np.clip((2 * t - 1) * squash, -0.999, 0.999)
    nz = np.sqrt(1 - nr ** 2)
    nx, ny = nr * ux, nr * uy
    diff = np.clip(nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2], 0, 1)
    specular = np.clip(nx * HALF[0] + ny * HALF[1] + nz * HALF[2], 0, 1) ** 24
    return diff, specular


def star_points(cx, cy, ro, ri, rot=-90.0):
    pts = []
    for k in range(10):
        r = ro if k % 2 == 0 else ri
        a = math.radians(rot + 36 * k)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def draw_star(cv, cx, cy, ro, ri, ramp_stops, height=0.38, shadow=0.5, shadow_off=(0.6, 1.1)):
    """A faceted (bevelled) five-pointed star: each of the ten facets is a flat plane lit from the upper left."""
    w, h = cv.w, cv.h
    x, y = cv.x - cx, cv.y - cy
    pts = star_points(0, 0, ro, ri)
    if shadow > 0:
        sh = poly_mask(w, h, [(px + cx + shadow_off[0], py + cy + shadow_off[1]) for px, py in pts])
        cv.paint((4, 12, 40), blur(sh, 0.9) * shadow)
    mask = poly_mask(w, h, [(px + cx, py + cy) for px, py in pts])
    apex = np.array([0, 0, ro * height])
    col_sum = np.zeros((h, w, 3))
    wsum = np.zeros((h, w))
    for k in range(10):
        p0 = np.array([*pts[k], 0.0])
        p1 = np.array([*pts[(k + 1) % 10], 0.0])
        n = np.cross(p0 - apex, p1 - apex)
        if n[2] < 0:
            n = -n
        n /= np.linalg.norm(n)
        lum = float(np.clip(n @ LIGHT, 0, 1))
        specular = float(np.clip(n @ HALF, 0, 1)) ** 20
        col = ramp(ramp_stops, np.array(min(1.0, lum * 1.05 + 0.25 * specular)))
        # The facet is the angular sector between the two radial lines to p0 and p1.
        d0 = (x * p0[1] - y * p0[0]) / math.hypot(p0[0], p0[1])
        d1 = -(x * p1[1] - y * p1[0]) / math.hypot(p1[0], p1[1])
        sector = cov(np.maximum(d0, d1) - 0.0, 0.9)
        front = (x * (p0[0] + p1[0]) + y * (p0[1] + p1[1])) > -1.0
        sector = sector * front
        col_sum += sector[..., None] * col
        wsum += sector
    col = col_sum / np.maximum(wsum, 1e-6)[..., None]
    cv.paint(col, mask)
    # A hairline outline keeps the star crisp on the blue disc.
    edge = poly_mask(w, h, [(px + cx, py + cy) for px, py in star_points(0, 0, ro + 0.6, ri + 0.35)])
    cv.paint((20, 34, 80), np.clip(edge - mask, 0, 1) * 0.55)


def draw_badge(cv, cx, cy, R, level='full'):
    """The emblem: a gold ring around a domed blue disc carrying a faceted white star.

    level 'full' (skin, 48 px icon) adds the inner hairline ring and the ring of studs; 'small' keeps
    only what still reads at 16 and 32 pixels."""
    x, y = cv.x, cv.y
    dx, dy = x - cx, y - cy
    r = np.hypot(dx, dy)
    ux, uy = dx / np.maximum(r, 1e-6), dy / np.maximum(r, 1e-6)
    small = level == 'small'
    rim = max(0.9, R * 0.045)
    ring_w = max(1.6, R * 0.12) if R > 10 else 1.35
    ro = R - rim
    ri = ro - ring_w
    # Dark rim disc under everything: this is what the outline's edge pixels show.
    cv.paint(NAVY_RIM, cov(r - R))
    # Gold ring.
    t = np.clip((r - ri) / (ro - ri), 0, 1)
    diff, specular = shade_tube(t, ux, uy)
    ring_col = ramp(GOLD, np.clip(diff * 0.95 + 0.05, 0, 1)) + 120 * specular[..., None]
    ring_col = np.minimum(ring_col, 254)
    ring = cov(r - ro) * (1 - cov(r - ri))
    cv.paint(ring_col, ring)
    # Disc: a shallow dome, lighter towards the upper left.
    rd = ri - max(0.6, R * 0.025)
    cv.paint(NAVY_RIM, cov(r - ri) * (1 - cov(r - rd)))
    lx, ly = cx - 0.32 * rd, cy - 0.4 * rd
    tt = np.hypot(x - lx, y - ly) / (1.35 * rd)
    disc_col = ramp([(0.0, (64, 132, 246)), (0.45, (30, 82, 214)), (0.8, (14, 46, 150)), (1.1, (8, 26, 96))], tt)
    cv.paint(disc_col, cov(r - rd))
    # Inner bevel: a dark lip at the top of the disc, a light one at the bottom (the disc is sunk into the ring).
    lip = np.clip(1 - (rd - r) / max(1.2, R * 0.06), 0, 1) * cov(r - rd)
    facing = np.clip(ux * LIGHT[0] + uy * LIGHT[1], -1, 1)
    cv.paint((4, 14, 60), lip * np.clip(-facing, 0, 1) * 0.6)
    cv.paint((120, 170, 255), lip * np.clip(facing, 0, 1) * 0.45)
    if not small:
        # Hairline gold ring and studs inside the disc.
        rl = rd * 0.9
        cv.paint((214, 172, 72), cov(np.abs(r - rl) - 0.35 * max(1.0, R / 34)) * 0.85)
        n_studs = 24
        for k in range(n_studs):
            a = 2 * math.pi * k / n_studs
            if k % 6 == 0:
                continue
            sx, sy = cx + rd * 0.8 * math.sin(a), cy - rd * 0.8 * math.cos(a)
            cv.paint((234, 198, 96), cov(sd_circle(x, y, sx, sy, max(0.6, R * 0.024)), 1.2) * 0.9)
    # Star.
    s_ro = rd * (0.66 if not small else 0.74 if R > 10 else 1.0)
    s_ri = s_ro * (0.4 if R > 10 else 0.46)
    draw_star(cv, cx, cy + s_ro * 0.04, s_ro, s_ri, SILVER,
              shadow=0.0 if R < 10 else 0.55, shadow_off=(0.04 * R, 0.07 * R))
    # Glass: a soft reflection over the top of the disc.
    gl = cov(sd_ellipse(x, y, cx, cy - rd * 0.42, rd * 0.82, rd * 0.55)) * cov(r - rd + 0.5)
    fade = np.clip((cy - rd * 0.05 - y) / rd, 0, 1) ** 0.9
    cv.paint((254, 254, 254), gl * fade * 0.22)


# ---------------------------------------------------------------- window skin

def outline_field(cv):
    """Signed distance of the window outline: the panel (rows 34..294) united with the badge, with fillets."""
    d_panel = sd_rrect(cv.x, cv.y, 0, BAND_TOP, WIN_W, WIN_H, 6)
    d_badge = sd_circle(cv.x, cv.y, BADGE_CX, BADGE_CY, BADGE_R)
    return smin(d_panel, d_badge, 5.0)


def well(cv, x0, y0, x1, y1, r, fill=None, depth=1.0):
    """A recessed rounded area: optional fill, dark upper-left inner edge, light lower-right lip."""
    d = sd_rrect(cv.x, cv.y, x0, y0, x1, y1, r)
    nx, ny = normals(d)
    if fill is not None:
        cv.paint(fill, cov(d))
    inner = cov(d) * (1 - cov(d + 1.0))
    outer = cov(d - 1.0) * (1 - cov(d))
    toward = np.clip(-(nx * LIGHT[0] + ny * LIGHT[1]) * 1.3, -1, 1)   # >0 on the lower right
    cv.paint((6, 20, 80), inner * (0.55 + 0.3 * np.clip(-toward, 0, 1)) * depth)
    cv.paint((120, 160, 255), outer * np.clip(0.15 + 0.55 * toward, 0, 1) * depth)


def groove(cv, x0, y0, x1, y1, r):
    """An engraved frame line (dark line with a light line below-right of it)."""
    d = sd_rrect(cv.x, cv.y, x0, y0, x1, y1, r)
    cv.paint((12, 40, 160), cov(np.abs(d) - 0.5))
    d2 = sd_rrect(cv.x, cv.y, x0 + 1, y0 + 1, x1 + 1, y1 + 1, r)
    line2 = cov(np.abs(d2) - 0.5) * (1 - cov(np.abs(d) - 0.5))
    cv.paint((84, 124, 246), line2 * 0.9)


def title_band(cv):
    y = cv.y
    band = (y >= BAND_TOP) & (y < BAND_TOP + 40)
    t = (y - BAND_TOP) / 40.0
    top = ramp([(0.0, (74, 130, 244)), (0.05, (54, 108, 238)), (0.48, (32, 78, 214))], t)
    low = ramp([(0.48, (20, 56, 186)), (0.8, (14, 44, 160)), (0.93, (10, 34, 132)), (1.0, (10, 34, 132))], t)
    col = np.where((t < 0.48)[..., None], top, low)
    cv.paint(col, band.astype(float))
    # A soft sheen that slants across the upper half, brightest left of the middle.
    xx = cv.x
    sheen = np.exp(-((xx - 120 - (y - BAND_TOP) * 1.5) / 140.0) ** 2) * (t < 0.48)
    cv.paint((150, 200, 255), band * sheen * 0.10)
    # Fine diagonal hatching on the right, where the window buttons sit, fading in from the badge.
    hatch = ((np.floor(xx + y) % 4) == 0).astype(float)
    fade = np.clip((xx - 300) / 120.0, 0, 1)
    cv.paint((150, 190, 255), band * hatch * fade * 0.08)
    # Gold hairline along the bottom of the band, fading out towards the window edges.
    gold_row = (np.floor(y) == BAND_TOP + 38)
    along = 1 - np.clip(np.abs(xx - 250) / 250.0, 0, 1) ** 3
    cv.paint((222, 178, 66), gold_row * (0.35 + 0.6 * along))
    dark_row = (np.floor(y) == BAND_TOP + 39)
    cv.paint((6, 20, 80), dark_row.astype(float))
    # Gold wings that run out of the badge along the upper part of the band.
    for wy, ln, a in ((BAND_TOP + 4.5, 95.0, 0.75),):
        for side in (-1, 1):
            x0 = BADGE_CX + side * (BADGE_R - 2)
            x1 = BADGE_CX + side * (BADGE_R - 2 + ln)
            dseg = sd_segment(xx, y, x0, wy, x1, wy)
            fade = 1 - np.clip(np.abs(xx - x0) / ln, 0, 1)
            cv.paint((236, 196, 96), cov(dseg - 0.45) * fade * a)


def draw_body(cv):
    x, y = cv.x, cv.y
    body = (y >= BAND_TOP + 40).astype(float)
    # The panel darkens slightly towards the bottom; the options group stays exactly the panel colour,
    # because the check boxes and the clock line paint that colour as their own background.
    d_group = sd_rrect(x, y, 28.5, 99.5, 224.5, 206.5, 6)
    shade = ramp([(0.0, PANEL), (1.0, (18, 50, 186))], np.clip((y - 94) / 200.0, 0, 1))
    cv.paint(shade, body)
    cv.paint(PANEL, body * cov(d_group))
    # Options group (update/shortcut buttons, check boxes, resolution, clock): flat panel colour inside.
    groove(cv, 28.5, 99.5, 224.5, 206.5, 6)
    # Announcement browser: sunk into the panel; the top edge hides under the echo line.
    well(cv, 238, 90, 466, 214, 3, fill=(10, 30, 110))
    # Tip line under the browser.
    tip_fill = ramp([(0.0, (12, 38, 146)), (1.0, (20, 54, 180))], (y - 216) / 18.0)
    well(cv, 238, 215, 466, 234, 4, fill=tip_fill)
    # Right rail with the three link icons.
    rail_fill = ramp([(0.0, (22, 60, 200)), (1.0, (18, 50, 180))], (y - 94) / 121.0)
    well(cv, 467, 92, 497, 214, 5, fill=rail_fill)
    for sy in (131.5, 176.5):
        cv.paint((10, 34, 130), ((np.floor(y) == math.floor(sy)) & (x > 471) & (x < 493)).astype(float))
        cv.paint((60, 100, 236), ((np.floor(y) == math.floor(sy) + 1) & (x > 471) & (x < 493)).astype(float))
    # Dock under the start button and the entertainment button.
    dock_fill = ramp([(0.0, (16, 48, 170)), (1.0, (24, 62, 204))], (y - 212) / 42.0)
    well(cv, 42, 212, 206, 254, 21, fill=dock_fill)
    # Footer, left: a light plate so the black version line reads; its right end is cut at a slant.
    plate_d = np.maximum(sd_rrect(x, y, -10, 266, 360, 305, 4), (x - 336) - (y - 266) * 0.55)
    plate_t = np.clip((y - 266) / 29.0, 0, 1)
    plate = ramp([(0.0, (226, 234, 248)), (0.5, (204, 216, 240)), (1.0, (178, 194, 228))], plate_t)
    cv.paint((6, 22, 92), cov(plate_d - 1.0))
    cv.paint(plate, cov(plate_d))
    cv.paint((254, 254, 254), cov(plate_d) * (np.floor(y) == 267) * 0.8)
    # Footer, right: a navy plate for the site title (white) and the host name (grey).
    nav_d = np.maximum(sd_rrect(x, y, 300, 244, 510, 305, 5), -((x - 360) - (y - 244) * 0.55))
    nav = ramp([(0.0, (14, 36, 118)), (1.0, (6, 18, 70))], np.clip((y - 244) / 50.0, 0, 1))
    cv.paint(nav, cov(nav_d))
    nx, ny = normals(nav_d)
    edge = cov(nav_d) * (1 - cov(nav_d + 1.0))
    cv.paint((110, 150, 240), edge * np.clip(-ny * 0.8 - nx * 0.5, 0, 1) * 0.8)
    gold = cov(np.abs(nav_d + 2.5) - 0.4) * (y < 247.5) * np.clip((x - 372) / 50.0, 0, 1)
    cv.paint((214, 172, 72), gold * 0.7)


def draw_skin():
    cv = Canvas(500, 300, bg=PANEL)
    title_band(cv)
    draw_body(cv)
    draw_badge(cv, BADGE_CX, BADGE_CY, BADGE_R)
    d = outline_field(cv)
    inside = d <= 0.0
    # Fillets between badge and band are filled with the rim colour, then the window edge is framed.
    fillet = inside & (sd_circle(cv.x, cv.y, BADGE_CX, BADGE_CY, BADGE_R) > 0) & (cv.y < BAND_TOP)
    cv.paint(NAVY_RIM, fillet.astype(float))
    nx, ny = normals(d)
    rim = np.clip(d + 1.4, 0, 1)
    cv.paint(NAVY_RIM, rim)
    hl = np.clip(d + 2.4, 0, 1) * (1 - rim)
    lit = np.clip(-(nx * LIGHT[0] + ny * LIGHT[1]) * -1.0, -1, 1)   # >0 on the upper-left edges
    badge_zone = sd_circle(cv.x, cv.y, BADGE_CX, BADGE_CY, BADGE_R + 3) < 0
    hl = hl * ~badge_zone
    cv.paint((150, 190, 255), hl * np.clip(lit, 0, 1) * 0.55)
    cv.paint((4, 12, 48), hl * np.clip(-lit, 0, 1) * 0.5)
    return cv, inside


def skin_pixels():
    cv, inside = draw_skin()
    px = cv.opaque()
    white = np.all(px == 255, axis=2)
    px[white & inside] = 254
    px[~inside] = 255
    return px, inside


# ---------------------------------------------------------------- window buttons on the title strip

def caption_button(kind, state):
    cv = Canvas(35, 27)
    x, y = cv.x, cv.y
    box = sd_rrect(x, y, 2, 2, 33, 25, 5)
    if kind == 'close' and state in ('hover', 'pressed'):
        top, bot = ((236, 84, 64), (176, 30, 24)) if state == 'hover' else ((168, 36, 28), (120, 18, 14))
        cv.paint(mix(top, bot, np.clip((y - 2) / 23, 0, 1)), cov(box))
        cv.paint((254, 170, 150), cov(np.abs(box + 0.5) - 0.5) * np.clip(-normals(box)[1], 0, 1) * 0.6)
        cv.paint((70, 6, 6), cov(np.abs(box) - 0.5) * 0.7)
    elif state == 'hover':
        cv.paint(mix((140, 190, 255), (60, 110, 230), np.clip((y - 2) / 23, 0, 1)), cov(box) * 0.42)
        cv.paint((220, 236, 255), cov(np.abs(box + 0.5) - 0.5) * 0.55)
    elif state == 'pressed':
        cv.paint((4, 16, 70), cov(box) * 0.45)
        cv.paint((2, 8, 40), cov(np.abs(box + 0.5) - 0.5) * 0.6)
    else:
        cv.paint((200, 224, 255), cov(box) * 0.07)
        cv.paint((190, 214, 255), cov(np.abs(box + 0.5) - 0.5) * 0.22)
    off = 1.0 if state == 'pressed' else 0.0
    cx, cy = 17.5 + off * 0.5, 13.5 + off
    if kind == 'min':
        d = sd_rrect(x, y, cx - 6.5, cy + 2.5, cx + 6.5, cy + 5.0, 1.2)
    else:
        k = 5.0
        d = np.minimum(sd_segment(x, y, cx - k, cy - k, cx + k, cy + k),
                       sd_segment(x, y, cx - k, cy + k, cx + k, cy - k)) - 1.25
    glyph = cov(d)
    cv.paint((2, 10, 50), np.clip(blur(np.roll(np.roll(glyph, 1, 0), 1, 1), 0.7), 0, 1) * 0.6)
    col = (254, 254, 254) if state != 'normal' else (226, 236, 254)
    cv.paint(col, glyph)
    return cv


# ---------------------------------------------------------------- round buttons (H1/H2/H3)

def glass_ball(cv, cx, cy, R, palette, state):
    x, y = cv.x, cv.y
    dx, dy = x - cx, y - cy
    r = np.hypot(dx, dy)
    ux, uy = dx / np.maximum(r, 1e-6), dy / np.maximum(r, 1e-6)
    # Drop shadow below the ball.
    if state != 'pressed':
        cv.paint((2, 10, 46), cov(sd_circle(x, y, cx, cy + 0.8, R)) * 0.45)
    rim_col = (8, 20, 70) if state != 'disabled' else (50, 54, 62)
    cv.paint(rim_col, cov(r - R))
    ro, ri = R - 0.8, R - 2.6
    t = np.clip((r - ri) / (ro - ri), 0, 1)
    diff, specular = shade_tube(t, ux, uy)
    ring_stops = SILVER if state != 'hover' else [(0.0, (120, 110, 60)), (0.4, (214, 176, 70)),
                                                   (0.75, (248, 222, 140)), (1.0, (254, 250, 220))]
    if state == 'disabled':
        ring_stops = [(0.0, (90, 94, 104)), (1.0, (200, 204, 210))]
    ring_col = np.minimum(ramp(ring_stops, diff) + 100 * specular[..., None], 254)
    cv.paint(ring_col, cov(r - ro) * (1 - cov(r - ri)))
    rd = ri - 0.3
    cv.paint((6, 20, 70), cov(r - ri) * (1 - cov(r - rd)))
    top, mid, bot = palette
    tt = np.clip((y - (cy - rd)) / (2 * rd), 0, 1)
    cv.paint(ramp([(0.0, top), (0.55, mid), (1.0, bot)], tt), cov(r - rd))
    # Light gathering at the bottom of the glass.
    glow = cov(sd_ellipse(x, y, cx, cy + rd * 0.55, rd * 0.75, rd * 0.45)) * cov(r - rd)
    cv.paint((140, 210, 255) if state != 'disabled' else (200, 200, 204), blur(glow, 1.2) * 0.35)


def gloss(cv, cx, cy, rd, strength=0.55):
    x, y = cv.x, cv.y
    g = cov(sd_ellipse(x, y, cx, cy - rd * 0.5, rd * 0.72, rd * 0.46))
    fade = np.clip((cy - y) / rd + 0.05, 0, 1)
    cv.paint((254, 254, 254), g * fade * strength)


ROUND_PALETTES = {
    'normal': ((76, 150, 250), (24, 84, 214), (10, 44, 150)),
    'hover': ((110, 186, 255), (40, 116, 240), (16, 64, 186)),
    'pressed': ((20, 70, 190), (12, 46, 150), (8, 30, 110)),
    'disabled': ((150, 154, 162), (112, 116, 126), (84, 88, 98)),
}


def glyph_shadowed(cv, mask, state, dy=0.0):
    if state != 'disabled':
        cv.paint((2, 12, 56), np.clip(blur(np.roll(mask, 1, 0), 0.6), 0, 1) * 0.65)
    col = {'normal': (250, 252, 254), 'hover': (254, 254, 254), 'pressed': (214, 228, 250),
           'disabled': (214, 216, 222)}[state]
    cv.paint(col, mask)


def refresh_glyph(w, h, cx, cy):
    """A circular arrow (check again / renew), open at the upper right."""
    def fn(d, s):
        r, wdt = 5.4, 2.0
        box = [(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s]
        start, end = -28, 222          # Pillow angles run clockwise from three o'clock
        d.arc(box, start, end, fill=255, width=int(round(wdt * s)))
        a = math.radians(end)
        ux, uy = math.cos(a), math.sin(a)          # outward
        tx, ty = -math.sin(a), math.cos(a)         # clockwise tangent
        bx, by = cx + (r - wdt / 2) * ux, cy + (r - wdt / 2) * uy
        hw, ln = 3.3, 3.9
        d.polygon([((bx + ux * hw - tx * 0.3) * s, (by + uy * hw - ty * 0.3) * s),
                   ((bx - ux * hw - tx * 0.3) * s, (by - uy * hw - ty * 0.3) * s),
                   ((bx + tx * ln) * s, (by + ty * ln) * s)], fill=255)
    return supersampled(w, h, fn)


def tv_glyph(w, h, cx, cy):
    def fn(d, s):
        def P(px, py):
            return (px * s, py * s)
        # Screen outline.
        x0, y0, x1, y1 = cx - 6.0, cy - 3.0, cx + 6.0, cy + 5.2
        d.rounded_rectangle([P(x0, y0), P(x1, y1)], radius=int(1.8 * s), fill=255)
        d.rounded_rectangle([P(x0 + 1.6, y0 + 1.6), P(x1 - 1.6, y1 - 1.6)], radius=int(0.6 * s), fill=0)
        # Antennae.
        d.line([P(cx - 3.2, y0 - 3.4), P(cx, y0 - 0.2), P(cx + 3.2, y0 - 3.4)], fill=255, width=int(1.4 * s),
               joint='curve')
        # Play mark on the screen.
        d.polygon([P(cx - 1.4, cy - 0.3), P(cx - 1.4, cy + 3.3), P(cx + 1.9, cy + 1.5)], fill=255)
    return supersampled(w, h, fn)


def round_button(kind, state):
    cv = Canvas(25, 25)
    cx, cy, R = 12.5, 12.0, 11.6
    glass_ball(cv, cx, cy, R, ROUND_PALETTES[state], state)
    off = 0.6 if state == 'pressed' else 0.0
    if kind == 'round':
        mask = refresh_glyph(25, 25, cx, cy + off)
    else:
        mask = tv_glyph(25, 25, cx, cy + off)
    glyph_shadowed(cv, mask, state)
    gloss(cv, cx, cy, R - 2.9, 0.5 if state != 'pressed' else 0.25)
    return cv


# ---------------------------------------------------------------- start button

def start_button(state):
    w, h = 105, 30
    cv = Canvas(w, h)
    x, y = cv.x, cv.y
    d = sd_rrect(x, y, 0.5, 0.5, w - 0.5, h - 0.5, 14.5)
    cv.paint((70, 26, 0), cov(d))
    inner = sd_rrect(x, y, 1.7, 1.7, w - 1.7, h - 1.7, 13.3)
    t = np.clip((y - 1.7) / (h - 3.4), 0, 1)
    if state == 'hover':
        stops = [(0.0, (255, 214, 110)), (0.48, (250, 168, 40)), (0.52, (236, 134, 16)), (1.0, (214, 100, 8))]
    else:
        stops = [(0.0, (250, 184, 78)), (0.48, (232, 132, 24)), (0.52, (212, 100, 10)), (1.0, (176, 70, 4))]
    cv.paint(ramp(stops, t), cov(inner))
    # Warm glow along the lower edge and a bright lip along the top.
    low = cov(sd_ellipse(x, y, w / 2, h - 3, w * 0.42, 6.0)) * cov(inner)
    cv.paint((255, 210, 120), blur(low, 2.0) * (0.45 if state == 'hover' else 0.3))
    nx, ny = normals(inner)
    lip = cov(inner) * (1 - cov(inner + 1.0))
    cv.paint((255, 236, 190), lip * np.clip(-ny, 0, 1) * 0.8)
    cv.paint((120, 44, 0), lip * np.clip(ny, 0, 1) * 0.5)
    # Glass highlight over the top half.
    gl = sd_rrect(x, y, 4, 2.4, w - 4, h * 0.5, 10)
    fade = np.clip(1 - (y - 2.4) / (h * 0.5 - 2.4), 0, 1)
    cv.paint((254, 254, 254), cov(gl) * (0.12 + 0.28 * fade))
    # Lettering, with a dark outline-shadow so it stays legible on the bright half.
    txt = text_mask(w, h, '启动游戏', 16, w / 2, h / 2 + 0.5, ss=3, stroke=1)
    cv.paint((110, 40, 0), np.clip(blur(txt, 0.7) * 1.5, 0, 1) * 0.35)
    cv.paint((96, 34, 0), np.roll(txt, 1, 0) * 0.75)
    cv.paint((254, 254, 254), txt)
    return cv


# ---------------------------------------------------------------- link icons on the right rail (24x24 visible)

def tile(cv, state):
    x, y = cv.x, cv.y
    d = sd_rrect(x, y, 0.5, 0.5, 23.5, 23.5, 5.5)
    cv.paint((6, 18, 72), cov(d))
    inner = sd_rrect(x, y, 1.5, 1.5, 22.5, 22.5, 4.5)
    t = np.clip((y - 1.5) / 21, 0, 1)
    if state == 'hover':
        stops = [(0.0, (120, 190, 255)), (0.5, (50, 130, 246)), (1.0, (22, 80, 210))]
    else:
        stops = [(0.0, (66, 128, 242)), (0.5, (34, 88, 222)), (1.0, (18, 56, 178))]
    cv.paint(ramp(stops, t), cov(inner))
    nx, ny = normals(inner)
    lip = cov(inner) * (1 - cov(inner + 1.0))
    cv.paint((200, 226, 255), lip * np.clip(-ny * 0.9 - nx * 0.3, 0, 1) * 0.85)
    cv.paint((8, 30, 110), lip * np.clip(ny, 0, 1) * 0.5)
    return inner


def house_glyph():
    def fn(d, s):
        def P(px, py):
            return (px * s, py * s)
        d.polygon([P(12, 4.2), P(20.2, 11.6), P(18.4, 11.6), P(18.4, 11.6), P(12, 6.3), P(5.6, 11.6), P(3.8, 11.6)],
                  fill=255)
        d.polygon([P(6.6, 11.2), P(12, 6.8), P(17.4, 11.2), P(17.4, 19), P(6.6, 19)], fill=255)
        d.rectangle([P(10.4, 13.6), P(13.6, 19)], fill=0)
        d.rectangle([P(15.2, 5.2), P(17.0, 8.8)], fill=255)
    return supersampled(24, 24, fn)


def key_glyph():
    def fn(d, s):
        def P(px, py):
            return (px * s, py * s)
        # Bow of the key with a hole, shaft running down-right at 45 degrees, two bits.
        cx, cy, r = 8.6, 8.6, 4.6
        d.ellipse([P(cx - r, cy - r), P(cx + r, cy + r)], fill=255)
        d.ellipse([P(cx - 1.6 - 0.6, cy - 1.6 - 0.6), P(cx + 1.6 - 0.6, cy + 1.6 - 0.6)], fill=0)
        sw = 1.35
        k = 1 / math.sqrt(2)
        ax, ay, bx, by = cx + 2.5, cy + 2.5, 19.2, 19.2
        d.polygon([P(ax - sw * k, ay + sw * k), P(ax + sw * k, ay - sw * k),
                   P(bx + sw * k, by - sw * k), P(bx - sw * k, by + sw * k)], fill=255)
        for t0, ln in ((0.62, 3.4), (0.86, 3.0)):
            px, py = ax + (bx - ax) * t0, ay + (by - ay) * t0
            d.polygon([P(px - sw * k, py + sw * k), P(px + 1.1 * k * 2, py + 1.1 * k * 2 - 0.1),
                       P(px + 1.1 * k * 2 - ln * k, py + 1.1 * k * 2 + ln * k),
                       P(px - sw * k - ln * k, py + sw * k + ln * k)], fill=255)
    return supersampled(24, 24, fn)


def share_glyph():
    def fn(d, s):
        def P(px, py):
            return (px * s, py * s)
        # Down arrow into an open tray.
        d.rectangle([P(10.6, 4.0), P(13.4, 11.5)], fill=255)
        d.polygon([P(6.9, 10.4), P(17.1, 10.4), P(12, 15.6)], fill=255)
        d.polygon([P(4.2, 13.6), P(6.4, 13.6), P(6.4, 17.2), P(17.6, 17.2), P(17.6, 13.6), P(19.8, 13.6),
                   P(19.8, 19.4), P(4.2, 19.4)], fill=255)
    return supersampled(24, 24, fn)


def link_icon(kind, state):
    cv = Canvas(25, 25)
    tile(cv, state)
    mask = {'home': house_glyph, 'key': key_glyph, 'share': share_glyph}[kind]()
    m = np.zeros((25, 25))
    m[:24, :24] = mask
    cv.paint((4, 16, 70), np.clip(blur(np.roll(m, 1, 0), 0.6), 0, 1) * 0.7)
    cv.paint((254, 254, 254) if state == 'hover' else (240, 246, 254), m)
    if state == 'hover':
        cv.paint((255, 236, 150), m * np.clip((cv.y - 4) / 16, 0, 1) * 0.35)
    # Gloss on the upper half of the tile.
    g = sd_rrect(cv.x, cv.y, 2.5, 2.0, 21.5, 11.5, 4)
    cv.paint((254, 254, 254), cov(g) * np.clip(1 - (cv.y - 2) / 10, 0, 1) * 0.22)
    return cv


# ---------------------------------------------------------------- icon and cursor

def emblem_icon(size):
    cv = Canvas(size, size)
    R = size / 2.0 - 0.25
    draw_badge(cv, size / 2.0, size / 2.0, R, level='full' if size >= 48 else 'small')
    return cv.straight()


ARROW_HOT = (9, 5)

# The pointer is pixel art (crisp edges read better than antialiasing at this size); B border, W fill.
ARROW = [
    "B",
    "BB",
    "BWB",
    "BWWB",
    "BWWWB",
    "BWWWWB",
    "BWWWWWB",
    "BWWWWWWB",
    "BWWWWWWWB",
    "BWWWWWWWWB",
    "BWWWWWWWWWB",
    "BWWWWWWBBBBB",
    "BWWWBWWB",
    "BWWB.BWWB",
    "BWB..BWWB",
    "BB....BWWB",
    "B.....BWWB",
    ".......BWWB",
    ".......BWWB",
    "........BB",
]


def arrow_cursor():
    cv = Canvas(32, 32)
    hx, hy = ARROW_HOT
    border = np.zeros((32, 32))
    fill = np.zeros((32, 32))
    for r, row in enumerate(ARROW):
        for c, ch in enumerate(row):
            if ch == 'B':
                border[hy + r, hx + c] = 1
            elif ch == 'W':
                fill[hy + r, hx + c] = 1
    shape = np.maximum(border, fill)
    # Soft blue glow around the whole arrow, strongest right at the outline.
    glow = np.clip(blur(shape, 1.6) * 2.2, 0, 1)
    cv.paint((50, 140, 255), glow * 0.8)
    cv.paint((8, 18, 56), border)
    cv.paint(mix((254, 254, 254), (200, 220, 252), np.clip((cv.y - hy - 2) / 16, 0, 1)), fill)
    return cv.straight()


# ---------------------------------------------------------------- output

def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    skin, _ = skin_pixels()
    write(os.path.join(out_dir, 'skin.bmp'), formats.bmp_bytes(skin))
    # The title strip is the same picture as the skin under it, so the two always line up.
    cv, _ = draw_skin()
    write(os.path.join(out_dir, 'title.bmp'), formats.bmp_bytes(cv.opaque()[BAND_TOP:BAND_TOP + 40]))
    for kind in ('min', 'close'):
        for st in ('normal', 'hover', 'pressed'):
            write(os.path.join(out_dir, f'{kind}_{st}.bmp'), formats.bmp_bytes(caption_button(kind, st).straight()))
    for st in ('normal', 'hover', 'pressed', 'disabled'):
        write(os.path.join(out_dir, f'round_{st}.bmp'), formats.bmp_bytes(round_button('round', st).straight()))
    for st in ('normal', 'hover', 'pressed'):
        write(os.path.join(out_dir, f'tv_{st}.bmp'), formats.bmp_bytes(round_button('tv', st).straight()))
    for st in ('normal', 'hover'):
        write(os.path.join(out_dir, f'start_{st}.bmp'), formats.bmp_bytes(start_button(st).straight()))
        for kind in ('home', 'key', 'share'):
            write(os.path.join(out_dir, f'{kind}_{st}.bmp'), formats.bmp_bytes(link_icon(kind, st).straight()))
    write(os.path.join(out_dir, 'korvalen.ico'), formats.ico_bytes([emblem_icon(s) for s in (16, 32, 48)]))
    write(os.path.join(out_dir, 'arrow.cur'), formats.cur_bytes(arrow_cursor(), ARROW_HOT))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'assets')
