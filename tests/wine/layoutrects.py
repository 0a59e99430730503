"""Where the skin's controls lie, from build/layout-rects.json (written at build time by
tools/layout-rects from the framework's own layout code, at 96 DPI), and where they are
in a window at another DPI.

    rects = layoutrects.load()
    x, y = rects.centre(221, "start", page="default", dpi=144)   # window coordinates
    x, y = rects.centre(221, "back")   # on the default page, or wherever it is shown
"""
import json
import os

import winetest


def scaled(value, dpi):
    """A 96-DPI length at `dpi`, rounded as the framework rounds (halves away from zero)."""
    v = value * dpi
    return (v + 48) // 96 if v >= 0 else -((-v + 48) // 96)


class LayoutRects:
    def __init__(self, data):
        self.data = data

    def size(self, layout, dpi=96):
        w, h = self.data["layouts"][str(layout)]["size"]
        return scaled(w, dpi), scaled(h, dpi)

    def rect(self, layout, name, page=None, index=0, dpi=96):
        """[left, top, right, bottom] of the index-th visible control named `name` on
        `page`; without a page, on the default page, or on whichever pages show it when
        it is not there (they must agree on where it lies)."""
        pages = self.data["layouts"][str(layout)]["pages"]
        if page is not None or name in pages["default"]:
            r = pages[page or "default"][name][index]
        else:
            found = {tuple(names[name][index]) for names in pages.values() if name in names}
            if len(found) != 1:
                raise KeyError(f"{name} of layout {layout}: name the page ({len(found)} places)")
            r = found.pop()
        return [scaled(v, dpi) for v in r]

    def centre(self, layout, name, page=None, index=0, dpi=96):
        left, top, right, bottom = self.rect(layout, name, page, index, dpi)
        return (left + right) // 2, (top + bottom) // 2

    def point(self, x, y, dpi):
        """A point given in 96-DPI window coordinates, at `dpi`."""
        return scaled(x, dpi), scaled(y, dpi)


def load(build=None):
    with open(os.path.join(build or winetest.BUILD, "layout-rects.json"), encoding="utf-8") as f:
        return LayoutRects(json.load(f))
