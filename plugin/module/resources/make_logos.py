#!/usr/bin/python3
"""Draws the panel's two logo banners (320x60 and 640x120, RGB PNG without alpha).

Run by hand when the mark changes; the build only embeds the committed PNG files.
Needs Pillow (python3-pil) and the Inter typeface (fonts-inter).
"""
import math
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/opentype/inter/Inter-SemiBold.otf"
FONT_SMALL = "/usr/share/fonts/opentype/inter/Inter-Medium.otf"
BACKGROUND = (255, 255, 255)
INK = (36, 33, 58)
ACCENT = (118, 106, 190)
PETAL_DARK = (82, 62, 178)
PETAL_LIGHT = (141, 122, 232)
LEAF = (86, 158, 110)
BADGE = (241, 238, 252)
SUPERSAMPLE = 4


def petal(draw, cx, cy, length, width, angle, fill):
    """An almond-shaped petal from (cx, cy) outwards at angle (radians, 0 = up)."""
    points = [(length * t, width / 2 * math.sin(math.pi * t) ** 0.8)
              for t in (i / 32 for i in range(33))]
    outline = points + [(a, -b) for a, b in reversed(points)]
    s, c = math.sin(angle), math.cos(angle)
    draw.polygon([(cx + a * s + b * c, cy - a * c + b * s) for a, b in outline], fill=fill)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def floret(draw, cx, cy, size, fill):
    """Five petals around a pale centre."""
    for k in range(5):
        petal(draw, cx, cy, size, size * 0.78, math.radians(72 * k - 18), fill)
    r = size * 0.22
    draw.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(250, 236, 170))


def draw_mark(draw, x, y, h):
    """A larkspur spike: a curved stem with florets that shrink towards the tip, and a leaf."""
    stem = [(x + 0.50 * h + 0.06 * h * math.sin(math.pi * t), y + h * (0.98 - 0.92 * t))
            for t in (i / 40 for i in range(41))]
    draw.line(stem, fill=LEAF, width=max(1, round(h * 0.045)), joint="curve")
    petal(draw, stem[6][0], stem[6][1], h * 0.34, h * 0.13, math.radians(-58), LEAF)
    petal(draw, stem[10][0], stem[10][1], h * 0.26, h * 0.10, math.radians(52), LEAF)
    florets = [(0.30, 0.155), (0.50, 0.13), (0.68, 0.105), (0.83, 0.08)]
    for index, (t, size) in enumerate(florets):
        cx, cy = stem[round(t * 40)]
        colour = mix(PETAL_DARK, PETAL_LIGHT, index / (len(florets) - 1))
        if index:  # a thin gap in the badge's colour sets a floret off the one below
            floret(draw, cx, cy, h * (size + 0.03), BADGE)
        floret(draw, cx, cy, h * size, colour)
    bx, by = stem[40]
    r = h * 0.045
    draw.ellipse([bx - r, by - r * 1.4, bx + r, by + r * 1.4], fill=PETAL_LIGHT)


def banner(width, height):
    s = SUPERSAMPLE
    image = Image.new("RGB", (width * s, height * s), BACKGROUND)
    draw = ImageDraw.Draw(image)
    unit = height * s / 60
    draw.ellipse([7 * unit, 4 * unit, 59 * unit, 56 * unit], fill=BADGE)
    draw_mark(draw, 11 * unit, 7 * unit, 46 * unit)
    word = ImageFont.truetype(FONT, round(30 * unit))
    draw.text((70 * unit, 30 * unit), "Larkspur", font=word, fill=INK, anchor="lm")
    word_end = 70 * unit + draw.textlength("Larkspur", font=word)
    small = ImageFont.truetype(FONT_SMALL, round(11 * unit))
    x = word_end + 10 * unit
    for letter in "EXPORTER":
        draw.text((x, 35.5 * unit), letter, font=small, fill=ACCENT, anchor="ls")
        x += draw.textlength(letter, font=small) + 1.6 * unit
    draw.line([(0, height * s - s), (width * s, height * s - s)], fill=(226, 223, 240), width=s)
    return image.resize((width, height), Image.LANCZOS)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    banner(320, 60).save(out / "logo_320x60.png", optimize=True)
    banner(640, 120).save(out / "logo_640x120.png", optimize=True)


if __name__ == "__main__":
    main()
