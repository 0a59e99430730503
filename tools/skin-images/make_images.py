#!/usr/bin/python3
"""Draws the setup program's skin images into skin/images/<id>.png.

Run with Debian's Python (python3-pil):  /usr/bin/python3 tools/skin-images/make_images.py
The output is committed, so the build never needs this script; run it again after a
change here and commit both. Everything is drawn at twice the final size and scaled
down, which gives smooth edges on the small rounded shapes.

Each image is drawn again for 200 % (<id>@2x.png), and the small ones whose lines and
captions a shrunk 200 % copy would blur also for 150 % (<id>@1.5x.png); the framework
takes the one for the window's scale (ui/pure/ImageScale.h, which also says their
resource ids). skin/scaled_images.rc, which embeds them, is written here too.
"""
import math
import os
import re
import shutil
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, "..", "..", "skin", "images"))
RC = os.path.normpath(os.path.join(HERE, "..", "..", "skin", "scaled_images.rc"))
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
K = 1  # the scale being drawn (1, 1.5 or 2): final pixels per markup pixel
S = 2  # canvas pixels per markup pixel: the supersampling factor 2 times K

# The scales drawn besides 100 %, as (scale, file suffix, resource id offset); the ids
# follow ui/pure/ImageScale.h.
SCALES = ((1.5, "@1.5x", 15000), (2, "@2x", 20000))
# Images that are not drawn for 150 %: large artwork and soft shapes, for which the
# 200 % copy, shrunk, is as good.
NOT_AT_ONE_AND_A_HALF = {226, 250, 273, 274, 281, "shadow"}


def px(v):
    """Markup pixels at the scale being drawn, rounded as the framework rounds."""
    return int(math.floor(v * K + 0.5))

# The product's palette.
BLUE = (0x14, 0x8C, 0xC8)       # main blue of the layouts
LINK = (0x00, 0x8E, 0xFF)       # link blue of the layouts
BLUE_DARK = (0x0E, 0x6E, 0xA6)
BLUE_LIGHT = (0x3C, 0xAE, 0xE6)
INK = (0x33, 0x33, 0x33)
GREY_TEXT = (0x55, 0x5B, 0x63)
BORDER = (0xC8, 0xCD, 0xD3)
WHITE = (255, 255, 255)
CLOSE_RED = (0xE5, 0x48, 0x4D)


def rgba(rgb, a=255):
    return (rgb[0], rgb[1], rgb[2], a)


def mix(c1, c2, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(c1, c2))


def font(px):
    return ImageFont.truetype(FONT_FILE, px, index=0)


# ---------------------------------------------------------------- drawing helpers

def new(w, h, color=(0, 0, 0, 0)):
    """A supersampled canvas for an image of w x h final pixels."""
    return Image.new("RGBA", (w * S, h * S), color)


def finish(img, w, h):
    return img.resize((px(w), px(h)), Image.LANCZOS)


def gradient(w, h, top, bottom, horizontal=False):
    """An opaque RGBA gradient of w x h canvas pixels."""
    n = w if horizontal else h
    strip = Image.new("RGBA", (n, 1) if horizontal else (1, n))
    for i in range(n):
        t = i / max(1, n - 1)
        c = rgba(mix(top, bottom, t))
        strip.putpixel((i, 0) if horizontal else (0, i), c)
    return strip.resize((w, h), Image.BILINEAR)


def diagonal_gradient(w, h, c1, c2):
    """Top-left c1 to bottom-right c2."""
    small = Image.new("RGBA", (64, 64))
    for y in range(64):
        for x in range(64):
            t = (x * w / 64 * 0.75 + y * h / 64 * 0.25) / (w * 0.75 + h * 0.25)
            small.putpixel((x, y), rgba(mix(c1, c2, t)))
    return small.resize((w, h), Image.BILINEAR)


class pen:
    """Like ImageDraw.Draw, but every shape is blended onto the image: ImageDraw itself
    replaces pixels, which would punch translucent holes where a translucent stroke or
    text crosses the artwork beneath."""

    def __init__(self, img):
        self.img = img
        self.measure = ImageDraw.Draw(img)

    def __getattr__(self, name):
        if name in ("textbbox", "textlength"):
            return getattr(self.measure, name)

        def draw(*args, **kwargs):
            layer = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
            getattr(ImageDraw.Draw(layer), name)(*args, **kwargs)
            self.img.alpha_composite(layer)
        return draw


def rounded_mask(size, radius, box=None):
    mask = Image.new("L", size, 0)
    d = ImageDraw.Draw(mask)
    d.rounded_rectangle(box or (0, 0, size[0] - 1, size[1] - 1), radius=radius, fill=255)
    return mask


def paste_masked(dst, src, mask, pos=(0, 0)):
    layer = Image.new("RGBA", dst.size, (0, 0, 0, 0))
    layer.paste(src, pos, mask)
    dst.alpha_composite(layer)


def soft_shadow(size, box, radius, blur, color=(0, 0, 0), alpha=60):
    """A blurred rounded rectangle on a transparent layer."""
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    d.rounded_rectangle(box, radius=radius, fill=rgba(color, alpha))
    return layer.filter(ImageFilter.GaussianBlur(blur))


def text_center(img, box, text, px, color, bold=False, dy=0):
    """Centres text in box (canvas pixels); bold is drawn with a thin stroke."""
    d = pen(img)
    f = font(px)
    stroke = max(1, px // 24) if bold else 0
    l, t, r, b = d.textbbox((0, 0), text, font=f, stroke_width=stroke)
    x = box[0] + (box[2] - box[0] - (r - l)) / 2 - l
    y = box[1] + (box[3] - box[1] - (b - t)) / 2 - t + dy
    d.text((x, y), text, font=f, fill=color, stroke_width=stroke, stroke_fill=color)


def text_at(img, xy, text, px, color, bold=False, anchor="la"):
    d = pen(img)
    stroke = max(1, px // 24) if bold else 0
    d.text(xy, text, font=font(px), fill=color, anchor=anchor, stroke_width=stroke, stroke_fill=color)


# ---------------------------------------------------------------- buttons

def primary_button(w, h, caption, hot, shadow=False):
    """Filled main-blue button with a white caption."""
    img = new(w, h)
    W, H = w * S, h * S
    radius = (6 if h >= 40 else 4) * S
    body = (0, 0, W - 1, H - 1)
    if shadow:  # large buttons float a little above the page
        body = (2 * S, 0, W - 1 - 2 * S, H - 1 - 5 * S)
        img.alpha_composite(soft_shadow(img.size, (body[0] + 4 * S, body[1] + 4 * S, body[2] - 4 * S, body[3] + 3 * S),
                                        radius, 2.5 * S, BLUE_DARK, 110 if hot else 80))
    top, bottom = ((0x4C, 0xB6, 0xEC), (0x1E, 0x99, 0xD8)) if hot else ((0x2A, 0xA2, 0xDE), BLUE)
    bw, bh = body[2] - body[0] + 1, body[3] - body[1] + 1
    fill = gradient(bw, bh, top, bottom)
    paste_masked(img, fill, rounded_mask((bw, bh), radius), (body[0], body[1]))
    d = pen(img)
    d.rounded_rectangle(body, radius=radius, outline=rgba(BLUE_DARK, 150 if not hot else 110), width=S)
    # a faint highlight along the top edge
    d.line((body[0] + radius, body[1] + S * 1.5, body[2] - radius, body[1] + S * 1.5), fill=(255, 255, 255, 70), width=S)
    px = round((20 if h >= 40 else 12) * S)
    text_center(img, body, caption, px, WHITE, bold=h >= 40, dy=-0.5 * S)
    return finish(img, w, h)


def secondary_button(w, h, caption, hot):
    """Light outlined button; hot turns the outline and caption blue."""
    img = new(w, h)
    W, H = w * S, h * S
    radius = 4 * S
    body = (0, 0, W - 1, H - 1)
    top, bottom = ((0xF2, 0xF9, 0xFE), (0xE3, 0xF2, 0xFB)) if hot else (WHITE, (0xF3, 0xF5, 0xF7))
    paste_masked(img, gradient(W, H, top, bottom), rounded_mask((W, H), radius))
    d = pen(img)
    d.rounded_rectangle(body, radius=radius, outline=rgba(BLUE if hot else BORDER), width=S)
    text_center(img, body, caption, 12 * S, rgba(BLUE if hot else GREY_TEXT), dy=-0.5 * S)
    return finish(img, w, h)


def link_button(w, h, caption, hot):
    img = new(w, h)
    color = rgba(mix(LINK, (0, 0x50, 0xA0), 0.35) if hot else LINK)
    d = pen(img)
    f = font(12 * S)
    l, t, r, b = d.textbbox((0, 0), caption, font=f)
    x = (w * S - (r - l)) / 2 - l
    y = (h * S - (b - t)) / 2 - t - S
    d.text((x, y), caption, font=f, fill=color)
    if hot:
        d.line((x + l, h * S - 1.5 * S, x + r, h * S - 1.5 * S), fill=color, width=S)
    return finish(img, w, h)


# ---------------------------------------------------------------- small glyphs

def check_box(selected, outline, fill=WHITE):
    w = h = 14
    img = new(w, h)
    d = pen(img)
    box = (S * 0.5, S * 0.5, w * S - 1 - S * 0.5, h * S - 1 - S * 0.5)
    if selected:
        paste_masked(img, gradient(w * S, h * S, (0x2A, 0xA2, 0xDE), BLUE), rounded_mask((w * S, h * S), 3 * S, box))
        d.line([(3.3 * S, 7.2 * S), (5.9 * S, 9.8 * S), (10.8 * S, 4.4 * S)], fill=WHITE, width=round(1.8 * S), joint="curve")
    else:
        d.rounded_rectangle(box, radius=3 * S, fill=rgba(fill), outline=rgba(outline), width=S)
    return finish(img, w, h)


def cross(img, box, color, width):
    l, t, r, b = box
    d = pen(img)
    d.line((l, t, r, b), fill=color, width=width)
    d.line((l, b, r, t), fill=color, width=width)


def close_button(size, hot, small=False):
    img = new(size, size)
    W = size * S
    if small:  # the client prompt's white title row
        color = rgba(CLOSE_RED) if hot else rgba((0x9A, 0xA0, 0xA6))
        m = 2.2 * S
        cross(img, (m, m, W - m, W - m), color, round(1.4 * S))
    else:  # over the banner and the dark title bars
        if hot:
            pen(img).ellipse((0, 0, W - 1, W - 1), fill=rgba(CLOSE_RED, 235))
        m = 5.2 * S
        cross(img, (m, m, W - m, W - m), (255, 255, 255, 255 if hot else 225), round(1.5 * S))
    return finish(img, size, size)


def question_mark():
    w = h = 24
    img = new(w, h)
    W = w * S
    paste_masked(img, gradient(W, W, (0x3C, 0xAE, 0xE6), BLUE), rounded_mask((W, W), W // 2, (0, 0, W - 1, W - 1)))
    text_center(img, (0, 0, W, W), "?", 17 * S, WHITE, bold=True, dy=-0.5 * S)
    return finish(img, w, h)


def progress_fill():
    w, h = 540, 18
    img = new(w, h)
    W, H = w * S, h * S
    fill = gradient(W, H, BLUE, (0x2C, 0xC0, 0xF5), horizontal=True)
    shine = gradient(W, H // 2, (255, 255, 255), (255, 255, 255))
    shine.putalpha(gradient(1, H // 2, (60, 60, 60), (10, 10, 10)).convert("L").resize((W, H // 2)))
    fill.alpha_composite(shine, (0, 0))
    paste_masked(img, fill, rounded_mask((W, H), 3 * S))
    return finish(img, w, h)


# ---------------------------------------------------------------- scroll bars

def arrow(img, cell, direction, color):
    """A small chevron centred in a 10x10 cell (canvas coordinates)."""
    x0, y0 = cell
    c = 5 * S
    pts = {"up": [(-2.4, 1.2), (0, -1.2), (2.4, 1.2)], "down": [(-2.4, -1.2), (0, 1.2), (2.4, -1.2)],
           "left": [(1.2, -2.4), (-1.2, 0), (1.2, 2.4)], "right": [(-1.2, -2.4), (1.2, 0), (-1.2, 2.4)]}[direction]
    pen(img).line([(x0 + c + px * S, y0 + c + py * S) for px, py in pts], fill=color, width=round(1.3 * S),
                             joint="curve")


def button_cell(img, cell, state):
    x0, y0 = cell
    if state == "hot":
        pen(img).rounded_rectangle((x0 + S, y0 + S, x0 + 9 * S - 1, y0 + 9 * S - 1), radius=2 * S,
                                              fill=(0xE4, 0xE8, 0xEC, 255))
    elif state == "pushed":
        pen(img).rounded_rectangle((x0 + S, y0 + S, x0 + 9 * S - 1, y0 + 9 * S - 1), radius=2 * S,
                                              fill=rgba(BLUE))


def arrow_color(state):
    return WHITE + (255,) if state == "pushed" else rgba((0x80, 0x88, 0x90) if state == "normal" else (0x50, 0x58, 0x60))


THUMB = {"normal": (0xC5, 0xCB, 0xD2), "hot": (0x9F, 0xA8, 0xB2), "pushed": BLUE}


def thumb(img, box, state, vertical):
    """A slim thumb; its rounded end sits in the first 4 pixels (the kept "corner"),
    the rest is uniform so that it stretches cleanly."""
    l, t, r, b = box
    d = pen(img)
    color = rgba(THUMB[state])
    if vertical:
        d.rounded_rectangle((l + 2 * S, t, r - 2 * S - 1, b + 6 * S), radius=3 * S, fill=color)
    else:
        d.rounded_rectangle((l, t + 2 * S, r + 6 * S, b - 2 * S - 1), radius=3 * S, fill=color)


def vscroll_sprite():
    """30x40: columns normal/hot/pushed; rows up button, track, down button, thumb.
    The pushed thumb occupies rows 31-39 only (its source rectangle starts at row 31)."""
    img = new(30, 40)
    for col, state in enumerate(("normal", "hot", "pushed")):
        x = col * 10 * S
        button_cell(img, (x, 0), state)
        arrow(img, (x, 0), "up", arrow_color(state))
        button_cell(img, (x, 20 * S), state)
        arrow(img, (x, 20 * S), "down", arrow_color(state))
        top = 31 if state == "pushed" else 30
        cell = Image.new("RGBA", (10 * S, (40 - top) * S), (0, 0, 0, 0))
        thumb(cell, (0, 0, 10 * S, (40 - top) * S - 1), state, vertical=True)
        # the thumb's bottom row keeps a soft edge, the body above it stays uniform
        img.alpha_composite(cell.crop((0, 0, 10 * S, (40 - top) * S)), (x, top * S))
    # track: a faint rail centred in the first column of row 10-19
    pen(img).rectangle((4 * S, 10 * S, 6 * S - 1, 20 * S - 1), fill=(0xE6, 0xE9, 0xED, 255))
    out = finish(img, 30, 40)
    _clip_cells(out, vertical=True)
    return out


def hscroll_sprite():
    """40x30: rows pushed/hot/normal; columns left button, track, right button, thumb
    (the thumb at columns 31-39)."""
    img = new(40, 30)
    for row, state in enumerate(("pushed", "hot", "normal")):
        y = row * 10 * S
        button_cell(img, (0, y), state)
        arrow(img, (0, y), "left", arrow_color(state))
        button_cell(img, (20 * S, y), state)
        arrow(img, (20 * S, y), "right", arrow_color(state))
        cell = Image.new("RGBA", (9 * S, 10 * S), (0, 0, 0, 0))
        thumb(cell, (0, 0, 9 * S - 1, 10 * S), state, vertical=False)
        img.alpha_composite(cell, (31 * S, y))
    pen(img).rectangle((10 * S, 24 * S, 20 * S - 1, 26 * S - 1), fill=(0xE6, 0xE9, 0xED, 255))
    out = finish(img, 40, 30)
    _clip_cells(out, vertical=False)
    return out


def _clip_cells(img, vertical):
    """Down-sampling smears colour across cell borders; clear the spill so each source
    rectangle holds only its own part (the cells' edges at the scale being drawn, as the
    framework rounds the source rectangles)."""
    pixels = img.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            if vertical and px(30) <= y < px(31) and px(20) <= x < px(30):
                pixels[x, y] = (0, 0, 0, 0)  # the pushed thumb begins one row lower
            if not vertical and px(30) <= x < px(31):
                pixels[x, y] = (0, 0, 0, 0)  # the thumbs begin at column 31
    if K != 1:
        return
    # The thumbs' far end is the one-pixel kept border: soften its two corner pixels.
    for cell in range(3):
        for edge in (2, 7):
            x, y = (cell * 10 + edge, 39) if vertical else (39, cell * 10 + edge)
            r, g, b, a = pixels[x, y]
            pixels[x, y] = (r, g, b, a * 45 // 100)


# ---------------------------------------------------------------- backgrounds and banners

def lower_background():
    """The pages below the banner: near-white with a soft shade under the banner."""
    w, h = 580, 150
    img = gradient(w * S, h * S, (0xFF, 0xFF, 0xFF), (0xF3, 0xF7, 0xFA))
    shade = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(shade)
    for i in range(6 * S):
        d.line((0, i, w * S, i), fill=(0x0E, 0x3A, 0x5A, round(26 * (1 - i / (6 * S)) ** 2)))
    img.alpha_composite(shade)
    # a faint wave along the bottom edge ties the page to the banner's art
    wave = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(wave)
    pts = [(x, h * S - 16 * S - 7 * S * math.sin(x / (w * S) * math.pi * 2.2 + 0.6)) for x in range(0, w * S + 1, 4)]
    d.polygon(pts + [(w * S, h * S), (0, h * S)], fill=rgba(BLUE, 10))
    pts2 = [(x, h * S - 9 * S - 5 * S * math.sin(x / (w * S) * math.pi * 1.6 + 2.0)) for x in range(0, w * S + 1, 4)]
    d.polygon(pts2 + [(w * S, h * S), (0, h * S)], fill=rgba(BLUE, 12))
    img.alpha_composite(wave)
    return finish(img, w, h)


def banner_base(c1, c2, seed):
    W, H = 580 * S, 250 * S
    img = diagonal_gradient(W, H, c1, c2)
    glow = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(glow)
    # large soft light circles
    for cx, cy, r, a in seed:
        d.ellipse((cx * S - r * S, cy * S - r * S, cx * S + r * S, cy * S + r * S), fill=(255, 255, 255, a))
    img.alpha_composite(glow.filter(ImageFilter.GaussianBlur(18 * S)))
    # two translucent waves at the bottom
    waves = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(waves)
    for base, amp, freq, phase, a in ((212, 10, 1.6, 0.4, 22), (226, 8, 2.3, 2.1, 30)):
        pts = [(x, base * S - amp * S * math.sin(x / W * math.pi * freq + phase)) for x in range(0, W + 1, 4)]
        d.polygon(pts + [(W, H), (0, H)], fill=(255, 255, 255, a))
    img.alpha_composite(waves)
    # sparkles
    d = pen(img)
    for i in range(26):
        x = (37 * i * i + 91 * i + 13) % 580
        y = 36 + (53 * i + 17 * i * i) % 160
        r = 0.8 + (i % 3) * 0.5
        d.ellipse(((x - r) * S, (y - r) * S, (x + r) * S, (y + r) * S), fill=(255, 255, 255, 50 + (i * 37) % 70))
    return img


def banner_text(img, slogan, tags):
    # the brand in the corner, where the window's title strip lies over the banner
    logo_mark(img, 12, 7, 17)
    text_at(img, (36 * S, 16 * S), "安装向导", 12 * S, (255, 255, 255, 230), anchor="lm")
    text_at(img, (46 * S, 84 * S), "VexmoraZevlo邮箱", 34 * S, WHITE, bold=True)
    text_at(img, (48 * S, 136 * S), slogan, 17 * S, (255, 255, 255, 225))
    # feature tags: small outlined pills
    x = 48 * S
    d = pen(img)
    f = font(12 * S)
    for tag in tags:
        l, t, r, b = d.textbbox((0, 0), tag, font=f)
        w = r - l + 20 * S
        d.rounded_rectangle((x, 172 * S, x + w, 194 * S), radius=11 * S, fill=(255, 255, 255, 30),
                            outline=(255, 255, 255, 120), width=S)
        d.text((x + 10 * S - l, 183 * S), tag, font=f, fill=(255, 255, 255, 240), anchor="lm")
        x += w + 8 * S


def logo_mark(img, x, y, size):
    """The product mark: a rounded square holding a stylised envelope 'V'."""
    s = size * S
    X, Y = x * S, y * S
    img.alpha_composite(soft_shadow(img.size, (X, Y + 2 * S, X + s, Y + s + 2 * S), s // 4, 3 * S, (0, 30, 60), 70))
    paste_masked(img, gradient(s, s, WHITE, (0xE6, 0xF3, 0xFB)), rounded_mask((s, s), s // 4), (X, Y))
    d = pen(img)
    m = s * 0.22
    d.rounded_rectangle((X + m, Y + m * 1.25, X + s - m, Y + s - m * 1.1), radius=s * 0.06, outline=rgba(BLUE),
                        width=round(s * 0.075))
    d.line([(X + m, Y + m * 1.3), (X + s / 2, Y + s * 0.55), (X + s - m, Y + m * 1.3)], fill=rgba(BLUE),
           width=round(s * 0.075), joint="curve")


def envelope_art(img):
    """Banner 273: an open envelope with a letter, a paper plane and a new-mail badge."""
    cx, cy = 432, 128
    W, H = 150, 100
    l, t, r, b = (cx - W / 2) * S, (cy - H / 2 + 18) * S, (cx + W / 2) * S, (cy + H / 2 + 18) * S
    img.alpha_composite(soft_shadow(img.size, (l + 6 * S, t + 14 * S, r - 6 * S, b + 8 * S), 10 * S, 10 * S, (0, 20, 50), 90))
    d = pen(img)
    # back of the envelope and its open flap
    d.rounded_rectangle((l, t, r, b), radius=8 * S, fill=rgba((0xD9, 0xEC, 0xF8)))
    d.polygon([(l + 2 * S, t + 4 * S), (cx * S, t - 48 * S), (r - 2 * S, t + 4 * S)], fill=rgba((0xC4, 0xE1, 0xF4)))
    # the letter sliding out
    d.rounded_rectangle((l + 18 * S, t - 34 * S, r - 18 * S, b - 20 * S), radius=5 * S, fill=rgba(WHITE))
    for i, frac in enumerate((0.62, 0.8, 0.5)):
        y = t - 18 * S + i * 12 * S
        d.rounded_rectangle((l + 30 * S, y, l + 30 * S + (W - 60) * S * frac, y + 4 * S), radius=2 * S,
                            fill=rgba(BLUE if i == 0 else (0xB9, 0xD7, 0xEB)))
    # front pocket of the envelope
    front = [(l, t + 8 * S), (cx * S, t + 56 * S), (r, t + 8 * S), (r, b - 8 * S), (l, b - 8 * S)]
    d.polygon(front, fill=rgba((0xF4, 0xF9, 0xFD)))
    d.rounded_rectangle((l, b - 24 * S, r, b), radius=8 * S, fill=rgba((0xF4, 0xF9, 0xFD)))
    d.line([(l + 4 * S, b - 6 * S), (cx * S, t + 50 * S), (r - 4 * S, b - 6 * S)], fill=rgba((0xD4, 0xE6, 0xF2)), width=2 * S)
    # new-mail badge
    bx, by = r - 6 * S, t - 6 * S
    d.ellipse((bx - 15 * S, by - 15 * S, bx + 15 * S, by + 15 * S), fill=rgba((0xFF, 0x9F, 0x2E)), outline=rgba(WHITE), width=2 * S)
    text_center(img, (bx - 15 * S, by - 15 * S, bx + 15 * S, by + 15 * S), "3", 17 * S, WHITE, bold=True, dy=-S)
    # paper plane with a dashed trail
    d = pen(img)
    trail = [(300 + i * 9, 78 - 14 * math.sin(i / 3.2)) for i in range(8)]
    for i in range(0, len(trail) - 1, 1):
        if i % 2 == 0:
            (x1, y1), (x2, y2) = trail[i], trail[i + 1]
            d.line((x1 * S, y1 * S, x2 * S, y2 * S), fill=(255, 255, 255, 150), width=2 * S)
    px, py = 378, 54
    plane = [(px * S, py * S), ((px - 30) * S, (py + 8) * S), ((px - 18) * S, (py + 14) * S)]
    d.polygon(plane, fill=rgba(WHITE))
    d.polygon([(px * S, py * S), ((px - 18) * S, (py + 14) * S), ((px - 14) * S, (py + 26) * S)], fill=rgba((0xD9, 0xEC, 0xF8)))
    d.polygon([((px - 18) * S, (py + 14) * S), ((px - 22) * S, (py + 22) * S), ((px - 14) * S, (py + 26) * S)],
              fill=rgba((0xB9, 0xD7, 0xEB)))


def cloud_shape(d, cx, cy, k, fill):
    """A cloud centred at (cx, cy) in final pixels, scaled by k."""
    parts = [(-42, 6, 28), (-12, -14, 38), (28, -2, 32), (52, 14, 20)]
    for dx, dy, r in parts:
        d.ellipse(((cx + dx * k - r * k) * S, (cy + dy * k - r * k) * S, (cx + dx * k + r * k) * S, (cy + dy * k + r * k) * S), fill=fill)
    d.rounded_rectangle(((cx - 70 * k) * S, (cy + 6 * k) * S, (cx + 72 * k) * S, (cy + 34 * k) * S), radius=14 * k * S, fill=fill)


def cloud_art(img):
    """Banner 274: a cloud with sync arrows, a laptop and a phone kept in step."""
    cx, cy = 440, 104
    shadow = Image.new("RGBA", img.size, (0, 0, 0, 0))
    cloud_shape(ImageDraw.Draw(shadow), cx + 2, cy + 10, 1.0, (0, 20, 50, 80))
    img.alpha_composite(shadow.filter(ImageFilter.GaussianBlur(10 * S)))
    d = pen(img)
    cloud_shape(d, cx, cy, 1.0, rgba(WHITE))
    # sync arrows inside the cloud
    r = 19
    box = ((cx - r) * S, (cy + 2 - r) * S, (cx + r) * S, (cy + 2 + r) * S)
    d.arc(box, 200, 330, fill=rgba(BLUE), width=round(4.5 * S))
    d.arc(box, 20, 150, fill=rgba(BLUE), width=round(4.5 * S))
    for ang, sign in ((330, 1), (150, 1)):
        a = math.radians(ang)
        ex, ey = cx + r * math.cos(a), cy + 2 + r * math.sin(a)
        tx, ty = -math.sin(a) * sign, math.cos(a) * sign  # direction of travel
        nx, ny = math.cos(a), math.sin(a)
        tip = (ex + tx * 8, ey + ty * 8)
        d.polygon([((ex + nx * 6) * S, (ey + ny * 6) * S), ((ex - nx * 6) * S, (ey - ny * 6) * S), (tip[0] * S, tip[1] * S)],
                  fill=rgba(BLUE))
    # laptop (left below) and phone (right below), joined to the cloud by dotted lines
    lx, ly = 350, 178
    d.rounded_rectangle(((lx - 34) * S, (ly - 22) * S, (lx + 34) * S, (ly + 20) * S), radius=4 * S, fill=rgba(WHITE))
    d.rectangle(((lx - 29) * S, (ly - 17) * S, (lx + 29) * S, (ly + 15) * S), fill=rgba((0xCF, 0xE7, 0xF6)))
    d.rounded_rectangle(((lx - 42) * S, (ly + 20) * S, (lx + 42) * S, (ly + 26) * S), radius=3 * S, fill=rgba((0xE6, 0xF1, 0xF9)))
    d.line(((lx - 20) * S, (ly - 8) * S, (lx + 12) * S, (ly - 8) * S), fill=rgba(BLUE), width=3 * S)
    d.line(((lx - 20) * S, (ly + 1) * S, (lx + 20) * S, (ly + 1) * S), fill=rgba((0x9C, 0xC8, 0xE6)), width=3 * S)
    px, py = 528, 176
    d.rounded_rectangle(((px - 15) * S, (py - 28) * S, (px + 15) * S, (py + 26) * S), radius=5 * S, fill=rgba(WHITE))
    d.rectangle(((px - 11) * S, (py - 21) * S, (px + 11) * S, (py + 17) * S), fill=rgba((0xCF, 0xE7, 0xF6)))
    d.ellipse(((px - 2) * S, (py + 20) * S, (px + 2) * S, (py + 24) * S), fill=rgba((0x9C, 0xC8, 0xE6)))
    d.rounded_rectangle(((px - 7) * S, (py - 12) * S, (px + 7) * S, (py - 3) * S), radius=S, outline=rgba(BLUE), width=2 * S)
    for (x1, y1), (x2, y2) in (((392, 140), (368, 154)), ((486, 140), (516, 146))):
        n = 6
        for i in range(n):
            t = i / (n - 1)
            x, y = x1 + (x2 - x1) * t, y1 + (y2 - y1) * t
            d.ellipse(((x - 1.5) * S, (y - 1.5) * S, (x + 1.5) * S, (y + 1.5) * S), fill=(255, 255, 255, 200))


def shield_art(img):
    """Banner 250: a shield with a lock, wrapped in protective rings."""
    cx, cy = 440, 116
    d = pen(img)
    for r, a in ((98, 26), (78, 40), (60, 60)):
        d.ellipse(((cx - r) * S, (cy - r) * S, (cx + r) * S, (cy + r) * S), outline=(255, 255, 255, a), width=2 * S)
    # orbiting dots
    for ang, r in ((-40, 98), (200, 78), (120, 98), (20, 60)):
        a = math.radians(ang)
        x, y = cx + r * math.cos(a), cy + r * math.sin(a)
        d.ellipse(((x - 3.5) * S, (y - 3.5) * S, (x + 3.5) * S, (y + 3.5) * S), fill=(255, 255, 255, 210))

    def shield(k, dx=0, dy=0):
        top, w = cy - 52 * k + dy, 44 * k
        pts = [(cx + dx, top), (cx + dx + w, top + 14 * k), (cx + dx + w, top + 50 * k)]
        for i in range(1, 11):  # the curved lower edges meet at the point
            t = i / 10
            pts.append((cx + dx + w * (1 - t) ** 1.3, top + 50 * k + 56 * k * math.sin(t * math.pi / 2)))
        mirrored = [(2 * (cx + dx) - x, y) for x, y in reversed(pts[1:-1])]
        return [(x * S, y * S) for x, y in pts + mirrored]

    shadow = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(shadow).polygon(shield(1.0, 2, 8), fill=(0, 20, 50, 90))
    img.alpha_composite(shadow.filter(ImageFilter.GaussianBlur(8 * S)))
    d = pen(img)
    d.polygon(shield(1.0), fill=rgba(WHITE))
    d.polygon(shield(0.82, 0, 9), fill=rgba((0xD9, 0xEC, 0xF8)))
    # lock
    lx, ly = cx, cy + 8
    d.arc(((lx - 12) * S, (ly - 30) * S, (lx + 12) * S, (ly - 4) * S), 180, 360, fill=rgba(BLUE), width=round(4.5 * S))
    d.line(((lx - 12) * S, (ly - 17) * S, (lx - 12) * S, (ly - 6) * S), fill=rgba(BLUE), width=round(4.5 * S))
    d.line(((lx + 12) * S, (ly - 17) * S, (lx + 12) * S, (ly - 6) * S), fill=rgba(BLUE), width=round(4.5 * S))
    d.rounded_rectangle(((lx - 20) * S, (ly - 8) * S, (lx + 20) * S, (ly + 22) * S), radius=5 * S, fill=rgba(BLUE))
    d.ellipse(((lx - 4) * S, (ly + 1) * S, (lx + 4) * S, (ly + 9) * S), fill=rgba(WHITE))
    d.rectangle(((lx - 1.5) * S, (ly + 6) * S, (lx + 1.5) * S, (ly + 15) * S), fill=rgba(WHITE))
    # a check badge
    bx, by = cx + 40, cy + 38
    d.ellipse(((bx - 15) * S, (by - 15) * S, (bx + 15) * S, (by + 15) * S), fill=rgba((0x2E, 0xC2, 0x7E)), outline=rgba(WHITE), width=2 * S)
    d.line([((bx - 7) * S, by * S), ((bx - 2) * S, (by + 5) * S), ((bx + 7) * S, (by - 5) * S)], fill=rgba(WHITE), width=3 * S, joint="curve")


BANNERS = {
    273: (((0x0B, 0x5C, 0x94), (0x1C, 0x9C, 0xDB)), envelope_art, "高效沟通，从一封邮件开始", ("多账户统一管理", "智能收件箱", "极速收发")),
    274: (((0x0A, 0x62, 0x8E), (0x1F, 0xAA, 0xD2)), cloud_art, "多端同步，邮件随身而行", ("云端同步", "离线可读", "附件秒传")),
    250: (((0x16, 0x3E, 0x86), (0x18, 0x8C, 0xC8)), shield_art, "多重加密防护，守护每一封邮件", ("传输加密", "垃圾邮件拦截", "隐私保护")),
}


def banner(number):
    (c1, c2), art, slogan, tags = BANNERS[number]
    glow = [(500, 40, 90, 60), (120, 230, 120, 40), (300, 0, 70, 30)]
    img = banner_base(c1, c2, glow)
    art(img)
    banner_text(img, slogan, tags)
    return finish(img, 580, 250)


# ---------------------------------------------------------------- drop shadow

SHADOW_BORDERS = (23, 22, 25, 26)  # left, top, right, bottom: how far the shadow reaches


def drop_shadow():
    """Shadow behind the client-running prompt. The middle stands for the prompt itself
    (it is stretched under the window); the borders hold the falloff."""
    l, t, r, b = SHADOW_BORDERS
    inner = 24
    w, h = l + inner + r, t + inner + b
    img = Image.new("RGBA", (w * S, h * S), (0, 0, 0, 0))
    d = pen(img)
    # the window casts its shadow slightly downwards
    d.rounded_rectangle(((l - 3) * S, (t - 1) * S, (l + inner + 3) * S, (t + inner + 6) * S), radius=6 * S, fill=(0, 18, 36, 120))
    img = img.filter(ImageFilter.GaussianBlur(8 * S))
    return finish(img, w, h)


# ---------------------------------------------------------------- the table

def images():
    return {
        224: lambda: close_button(18, hot=False),
        225: lambda: close_button(18, hot=True),
        226: progress_fill,
        232: lambda: primary_button(96, 24, "继续安装", False),
        233: lambda: primary_button(96, 24, "继续安装", True),
        235: lambda: secondary_button(66, 24, "停止", False),
        236: lambda: secondary_button(66, 24, "停止", True),
        239: lambda: primary_button(60, 24, "确定", False),
        240: lambda: primary_button(60, 24, "确定", True),
        245: lambda: secondary_button(96, 24, "下次再说", False),
        246: lambda: secondary_button(96, 24, "下次再说", True),
        247: lambda: check_box(True, BLUE),
        248: lambda: check_box(False, (0xC9, 0xD0, 0xD7), (0xF8, 0xF9, 0xFA)),
        249: lambda: check_box(False, (0x9A, 0xA7, 0xB4)),
        250: lambda: banner(250),
        251: vscroll_sprite,
        252: hscroll_sprite,
        254: lambda: primary_button(218, 50, "快速安装", False, shadow=True),
        255: lambda: primary_button(218, 50, "快速安装", True, shadow=True),
        265: lambda: primary_button(96, 24, "立即安装", False),
        266: lambda: primary_button(96, 24, "立即安装", True),
        268: lambda: secondary_button(66, 24, "返回", False),
        269: lambda: secondary_button(66, 24, "返回", True),
        271: lambda: primary_button(218, 50, "开始体验", False, shadow=True),
        272: lambda: primary_button(218, 50, "开始体验", True, shadow=True),
        273: lambda: banner(273),
        274: lambda: banner(274),
        276: lambda: link_button(88, 15, "自定义安装>>", False),
        277: lambda: link_button(88, 15, "自定义安装>>", True),
        279: lambda: secondary_button(66, 34, "浏览", False),
        280: lambda: secondary_button(66, 34, "浏览", True),
        281: lower_background,
        282: question_mark,
        283: lambda: close_button(12, hot=False, small=True),
        284: lambda: close_button(12, hot=True, small=True),
        "shadow": drop_shadow,
    }


def set_scale(scale):
    global K, S
    K, S = scale, int(2 * scale)


def scales_of(key):
    return [(1, "", 0)] + [entry for entry in SCALES if not (entry[0] == 1.5 and key in NOT_AT_ONE_AND_A_HALF)]


def save(img, path, palette):
    """PNG, as small as zlib makes it; then, with `palette`, quantised to at most 256
    colours by pngquant (dithered; kept only where it reaches a quality of 90 of 100 and
    is smaller); then recompressed losslessly. The 100 % images are the skin's own set,
    32-bit RGBA PNGs; their 150 % and 200 % copies take the palette: at those scales the
    dithering of gradients and smoothed edges is not to be seen, and it saves a quarter of
    their bytes, all of which ship. A quantised image goes through zopflipng, which may
    change its colour type; a full-colour one through optipng told to change nothing of
    the image (-nx), because Debian's zopflipng cannot be told to keep RGBA and would make
    an opaque image RGB. The tools are installed by tools/bootstrap.sh; without them the
    images are only larger."""
    img.save(path, optimize=True)
    indexed = False
    if palette and shutil.which("pngquant"):
        quantised = path + ".palette.png"
        # Exit code 99: the quality cannot be reached; the image stays in full colour.
        done = subprocess.run(["pngquant", "--quality=90-100", "--speed", "1", "--strip", "--force",
                               "--output", quantised, path], check=False).returncode == 0
        if done and os.path.getsize(quantised) < os.path.getsize(path):
            os.replace(quantised, path)
            indexed = True
        elif os.path.exists(quantised):
            os.remove(quantised)
    if indexed and shutil.which("zopflipng"):
        subprocess.run(["zopflipng", "-y", "--lossy_transparent", path, path], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elif not indexed and shutil.which("optipng"):
        subprocess.run(["optipng", "-quiet", "-o7", "-nx", "-strip", "all", path], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


RC_HEAD = """// Written by tools/skin-images/make_images.py: the skin's images drawn for 150 % and
// 200 %, embedded beside the 100 % ones of skin.rc under the ids ui/pure/ImageScale.h
// gives them (15000 + id, 20000 + id; "@2x" in the fallback name of a file).
#include <winresrc.h>

LANGUAGE LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED

"""


def write_rc():
    lines = []
    for key in images():
        for scale, suffix, offset in scales_of(key)[1:]:
            name = f"{key}{suffix}.png"
            if isinstance(key, int):
                rid = str(offset + key)
            else:  # the file res\<key>.png's fallback resource name
                rid = "RES_" + re.sub(r"[^A-Za-z0-9]", "_", f"{key}{suffix}.png").upper()
            lines.append(f'{rid} PNG "skin/images/{name}"\n')
    with open(RC, "w", encoding="utf-8", newline="\n") as f:
        f.write(RC_HEAD + "".join(lines))


def main(argv):
    wanted = set(argv[1:])
    os.makedirs(OUT, exist_ok=True)
    for key, make in images().items():
        if wanted and str(key) not in wanted:
            continue
        for scale, suffix, _ in scales_of(key):
            set_scale(scale)
            img = make().convert("RGBA")
            save(img, os.path.join(OUT, f"{key}{suffix}.png"), palette=scale != 1)
            print(f"{key}{suffix}.png {img.size[0]}x{img.size[1]}")
    set_scale(1)
    write_rc()


if __name__ == "__main__":
    main(sys.argv)
