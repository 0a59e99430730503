"""Writes the small PNGs that the framework's Win32 tests draw (run with Debian's python3)."""
import os
from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))


def save(name, img):
    img.save(os.path.join(HERE, name), optimize=True)


def solid(size, rgba):
    return Image.new("RGBA", size, rgba)


# quad.png 20x20: four 10x10 quadrants red, green, blue, yellow (clockwise from top left).
quad = Image.new("RGBA", (20, 20))
d = ImageDraw.Draw(quad)
d.rectangle([0, 0, 9, 9], fill=(255, 0, 0, 255))
d.rectangle([10, 0, 19, 9], fill=(0, 255, 0, 255))
d.rectangle([10, 10, 19, 19], fill=(0, 0, 255, 255))
d.rectangle([0, 10, 9, 19], fill=(255, 255, 0, 255))
save("quad.png", quad)

# frame.png 9x9: a 3-pixel red frame around a green centre (nine-grid tests).
frame = solid((9, 9), (255, 0, 0, 255))
ImageDraw.Draw(frame).rectangle([3, 3, 5, 5], fill=(0, 255, 0, 255))
save("frame.png", frame)

# fill.png 540x18: the progress fill, opaque blue.
save("fill.png", solid((540, 18), (0, 0, 255, 255)))

# Check box and button states: one flat colour each.
save("check_normal.png", solid((14, 14), (128, 128, 128, 255)))
save("check_selected.png", solid((14, 14), (0, 160, 0, 255)))
save("btn_normal.png", solid((40, 20), (10, 20, 30, 255)))
save("btn_hot.png", solid((40, 20), (200, 100, 0, 255)))
save("btn_pushed.png", solid((40, 20), (100, 0, 200, 255)))

# scroll.png 30x40: a scroll bar sprite in the licence layout's arrangement; every part is
# a flat colour so tests can tell them apart (columns: normal, hot, pushed).
scroll = Image.new("RGBA", (30, 40))
d = ImageDraw.Draw(scroll)
for col, base in enumerate([(200, 0, 0), (0, 200, 0), (0, 0, 200)]):
    x = col * 10
    d.rectangle([x, 0, x + 9, 9], fill=base + (255,))               # button1
    d.rectangle([x, 10, x + 9, 19], fill=(230, 230, 230, 255))     # rail
    d.rectangle([x, 20, x + 9, 29], fill=base + (255,))            # button2
    d.rectangle([x, 30, x + 9, 39], fill=(40, 40, 40, 255))        # thumb
save("scroll.png", scroll)

# shadow.png 60x60: dark, fading towards the edges.
shadow = Image.new("RGBA", (60, 60), (0, 0, 0, 0))
d = ImageDraw.Draw(shadow)
for i in range(25):
    d.rectangle([i, i, 59 - i, 59 - i], outline=(0, 0, 0, min(255, 6 + i * 6)))
d.rectangle([25, 25, 34, 34], fill=(0, 0, 0, 160))
save("shadow.png", shadow)
