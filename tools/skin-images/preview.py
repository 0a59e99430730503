#!/usr/bin/python3
"""Rough preview of a skin layout with its images, for designing the artwork before (or
without) running the setup under Wine.

    /usr/bin/python3 tools/skin-images/preview.py skin/layouts/main.xml out.png \
        [--show NAME ...] [--hide NAME ...] [--hot NAME ...] [--bk NAME=ID] [--value N] [--text NAME=TEXT]
        [--rects]

It places the boxes by the same rules as the framework's vertical and horizontal layouts
and draws colours, images, borders and label texts; fonts, scroll bars and the rich edit
are only approximated. --rects prints every named control's rectangle.
"""
import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.normpath(os.path.join(HERE, "..", "..", "skin", "images"))
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
CONTAINERS = {"VerticalLayout", "HorizontalLayout"}


def ints(text, n=4):
    vals = [int(v) for v in text.split(",")] if text else []
    return (vals + [0] * n)[:n]


def color(text):
    v = int(text.lstrip("#"), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, (v >> 24) & 255)


def parse_desc(text):
    """The image description grammar: key='value' pairs; a broken pair ends parsing."""
    pairs, i = {}, 0
    if "'" not in text and "=" not in text:
        return {"file": text}
    while i < len(text):
        m = re.compile(r"\s*([A-Za-z]+)\s*=\s*'").match(text, i)
        if not m:
            break
        end = text.find("'", m.end())
        if end < 0:
            break
        pairs[m.group(1)] = text[m.end():end]
        i = end + 1
    if "res" in pairs:
        pairs["file"] = pairs["res"]
    return pairs


class Node:
    def __init__(self, el, defaults):
        self.tag = el.tag
        self.attrs = dict(defaults.get(el.tag, {}))
        self.attrs.update(el.attrib)
        self.children = [Node(c, defaults) for c in el]
        self.rect = None

    def a(self, key, default=""):
        return self.attrs.get(key, default)

    @property
    def name(self):
        return self.attrs.get("name", "")

    @property
    def visible(self):
        return self.a("visible", "true") != "false"

    def fixed(self):
        return int(self.a("width", "0")), int(self.a("height", "0"))


def place(node, rect):
    node.rect = rect
    if node.tag not in CONTAINERS:
        return
    vertical = node.tag == "VerticalLayout"
    il, it, ir, ib = ints(node.a("inset"))
    inner = (rect[0] + il, rect[1] + it, rect[2] - ir, rect[3] - ib)
    kids = [c for c in node.children if c.visible]
    if not kids:
        return
    cp = int(node.a("childpadding", "0"))
    avail_w, avail_h = inner[2] - inner[0], inner[3] - inner[1]
    along = (lambda c: c.fixed()[1]) if vertical else (lambda c: c.fixed()[0])
    pad_a = (lambda p: (p[1], p[3])) if vertical else (lambda p: (p[0], p[2]))
    fixed_total, adjustable = 0, 0
    for c in kids:
        p = ints(c.a("padding"))
        size = along(c)
        if size == 0:
            adjustable += 1
        fixed_total += pad_a(p)[0] + pad_a(p)[1] + size
    fixed_total += cp * (len(kids) - 1)
    space = avail_h if vertical else avail_w
    expand = max(0, (space - fixed_total) // adjustable) if adjustable else 0
    pos = inner[1] if vertical else inner[0]
    remaining, rem_fixed, seen = space, fixed_total, 0
    for c in kids:
        p = ints(c.a("padding"))
        before, after = pad_a(p)
        remaining -= before
        size = along(c)
        if size:
            rem_fixed -= size + before + after
        else:
            seen += 1
            size = expand if seen < adjustable else max(0, remaining - after - rem_fixed)
        rem_fixed -= cp
        fw, fh = c.fixed()
        if vertical:
            w = fw or max(0, avail_w - p[0] - p[2])
            left, top = inner[0] + p[0], pos + p[1]
            place(c, (left, top, left + w, top + size))
        else:
            h = fh or max(0, (inner[3] - inner[1]) - p[1] - p[3])
            left, top = pos + p[0], inner[1] + p[1]
            place(c, (left, top, left + size, top + h))
        pos += before + size + after + cp
        remaining -= size + cp + after


class Painter:
    def __init__(self, size, fonts, defaults, args):
        self.img = Image.new("RGBA", size, (0, 0, 0, 0))
        self.fonts = fonts
        self.defaults = defaults
        self.args = args

    def image(self, desc, rect):
        d = parse_desc(desc)
        path = os.path.join(IMAGES, d.get("file", "") + ".png")
        if not os.path.exists(path) or rect[2] <= rect[0] or rect[3] <= rect[1]:
            return
        src = Image.open(path).convert("RGBA")
        box = ints(d.get("source"))
        if any(box):
            src = src.crop(box)
        src = src.resize((rect[2] - rect[0], rect[3] - rect[1]), Image.BILINEAR)
        self.img.alpha_composite(src, (rect[0], rect[1]))

    def font(self, index):
        if index < 0 or index >= len(self.fonts):
            index = next((i for i, f in enumerate(self.fonts) if f[2]), 0)
        size, bold, _ = self.fonts[index] if self.fonts else (12, False, True)
        return ImageFont.truetype(FONT_FILE, size), bold

    def text(self, node, rect, text):
        if not text:
            return
        tl, tt, tr, tb = ints(node.a("textpadding"))
        box = (rect[0] + tl, rect[1] + tt, rect[2] - tr, rect[3] - tb)
        f, bold = self.font(int(node.a("font", "-1")))
        d = ImageDraw.Draw(self.img)
        col = color(node.a("textcolor", "#FF000000"))
        if node.tag == "RichEdit":
            self.rich(d, box, text, f, col)
            return
        l, t, r, b = d.textbbox((0, 0), text, font=f)
        align = node.a("align", "left")
        x = box[0] if align == "left" else box[2] - (r - l) if align == "right" else (box[0] + box[2] - (r - l)) // 2
        y = (box[1] + box[3]) / 2 - (f.size / 2) - 1
        d.text((x, y), text, font=f, fill=col, stroke_width=1 if bold else 0, stroke_fill=col)

    def rich(self, d, box, text, f, col):
        y, width = box[1], box[2] - box[0] - 10
        for para in text.split("\n"):
            line = ""
            for ch in para:
                if d.textlength(line + ch, font=f) > width:
                    d.text((box[0], y), line, font=f, fill=col)
                    y, line = y + f.size + 6, ""
                line += ch
            d.text((box[0], y), line, font=f, fill=col)
            y += f.size + 6
            if y > box[3]:
                break
        sb = self.defaults.get("VScrollBar", {})
        x = box[2]
        top, bottom = box[1] - 20, box[3] + 10
        if sb:
            self.image(sb["button1normalimage"], (x, top, x + 10, top + 10))
            self.image(sb["bknormalimage"], (x, top + 10, x + 10, bottom - 10))
            self.image(sb["thumbnormalimage"], (x, top + 10, x + 10, top + 70))
            self.image(sb["button2normalimage"], (x, bottom - 10, x + 10, bottom))

    def draw(self, node):
        if not node.visible:
            return
        r = node.rect
        a = node.a
        if a("bkcolor"):
            ImageDraw.Draw(self.img).rectangle((r[0], r[1], r[2] - 1, r[3] - 1), fill=color(a("bkcolor")))
        if node.name in self.args.bk:
            self.image(f"res='{self.args.bk[node.name]}' restype='png'", r)
        elif a("bkimage"):
            self.image(a("bkimage"), r)
        if node.tag == "Progress":
            lo, hi = int(a("min", "0")), int(a("max", "100"))
            value = self.args.value if self.args.value is not None else int(a("value", "0"))
            w = (r[2] - r[0]) * (value - lo) // max(1, hi - lo)
            self.image(a("foreimage"), (r[0], r[1], r[0] + w, r[3]))
        hot = node.name in self.args.hot
        if node.tag == "CheckBox":
            selected = a("selected") == "true" and node.name not in self.args.unselect
            self.image(a("selectedimage") if selected else a("hotimage" if hot else "normalimage"), r)
        elif node.tag == "Button":
            self.image(a("hotimage") if hot and a("hotimage") else a("normalimage"), r)
        if int(a("bordersize", "0")) and a("bordercolor"):
            rr = ints(a("borderround"), 2)
            ImageDraw.Draw(self.img).rounded_rectangle((r[0], r[1], r[2] - 1, r[3] - 1), radius=rr[0] // 2 or 0,
                                                       outline=color(a("bordercolor")), width=int(a("bordersize")))
        self.text(node, r, self.args.text.get(node.name, a("text")))
        for c in node.children:
            self.draw(c)


def attr_list(text):
    return dict(re.findall(r'(\w+)="([^"]*)"', text))


def main(argv):
    ap = argparse.ArgumentParser()
    ap.add_argument("layout")
    ap.add_argument("out", nargs="?")
    ap.add_argument("--show", nargs="*", default=[])
    ap.add_argument("--hide", nargs="*", default=[])
    ap.add_argument("--hot", nargs="*", default=[])
    ap.add_argument("--unselect", nargs="*", default=[])
    ap.add_argument("--bk", nargs="*", default=[])
    ap.add_argument("--text", nargs="*", default=[])
    ap.add_argument("--value", type=int)
    ap.add_argument("--rects", action="store_true")
    args = ap.parse_args(argv[1:])
    args.bk = dict(kv.split("=", 1) for kv in args.bk)
    args.text = dict(kv.split("=", 1) for kv in args.text)

    root = ET.parse(args.layout).getroot()
    fonts, defaults = [], {}
    for el in root:
        if el.tag == "Font":
            fonts.append((int(el.get("size")), el.get("bold") == "true", el.get("default") == "true"))
        elif el.tag == "Default":
            defaults[el.get("name")] = attr_list(el.get("value"))
    top = next(el for el in root if el.tag not in ("Font", "Default", "Image"))
    tree = Node(top, {})

    def walk(n):
        yield n
        for c in n.children:
            yield from walk(c)
    for n in walk(tree):
        if n.name in args.show:
            n.attrs["visible"] = "true"
        if n.name in args.hide:
            n.attrs["visible"] = "false"
    w, h = ints(root.get("size"), 2)
    place(tree, (0, 0, w, h))
    if args.rects:
        for n in walk(tree):
            if n.name and n.rect:
                print(f"{n.name:24} {n.tag:16} {n.rect}")
    if args.out:
        p = Painter((w, h), fonts, defaults, args)
        p.draw(tree)
        p.img.save(args.out)


if __name__ == "__main__":
    main(sys.argv)
