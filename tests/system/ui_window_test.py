"""A framework window as a person sees it under Xvfb: it appears at its layout's size,
draws the skin's images and Chinese text, has rounded corners and a drop shadow on the
white backdrop behind it, turns its button hot under the pointer, and closes on a click
of its close button. The screenshot stays under build/screenshots/ui-test-window.png."""
import os
import subprocess
import unittest

import winetest

from PIL import Image

DEMO = os.path.join(winetest.BUILD, "tests", "programs", "uifx_window.exe")
SHOTS = os.path.join(winetest.BUILD, "screenshots")


def grab_screen(name):
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Image.open(path).convert("RGB")


def dark(rgb):
    return sum(rgb) < 3 * 200


class UiWindowTest(unittest.TestCase):
    def test_window_looks_and_reacts(self):
        with winetest.Prefix() as p:
            proc = p.start([DEMO])
            try:
                wid = winetest.wait_window("^VexmoraFM$", size=(420, 280), timeout=60)
                x, y, w, h = winetest.window_geometry(wid)
                # Painted once the title bar has its colour and the banner shows, on the
                # white backdrop.
                def painted():
                    img = grab_screen("ui-test-window")
                    bar = img.getpixel((x + w // 2, y + 3))
                    banner = img.getpixel((x + w - 30, y + 60))
                    ready = (all(abs(c - 0x4A) < 8 for c in bar) and banner not in ((0, 0, 0), (255, 255, 255))
                             and img.getpixel((x + w + 60, y + h // 2)) == (255, 255, 255))
                    return img if ready else None
                img = winetest.wait_until(painted, timeout=30, what="first paint")
                # Rounded corner: the corner pixel is not the window's frame or body.
                body = img.getpixel((x + w // 2, y + h - 5))
                self.assertNotEqual(img.getpixel((x, y)), img.getpixel((x + 1, y + 18)))
                # Chinese title text drawn in white on the bar.
                title = [img.getpixel((px, py)) for px in range(x + 11, x + 200) for py in range(y + 10, y + 26)]
                self.assertGreater(sum(1 for c in title if min(c) > 200), 20)
                # The shadow darkens the white backdrop beside and below the window.
                right = img.getpixel((x + w + 8, y + h // 2))
                below = img.getpixel((x + w // 2, y + h + 8))
                far = img.getpixel((x + w + 60, y + h // 2))
                self.assertEqual((255, 255, 255), far)
                self.assertLess(sum(right), sum(far))
                self.assertLess(sum(below), sum(far))
                self.assertNotEqual(body, right)

                # The start button turns hot under the pointer (its image changes).
                bx, by = w // 2, 36 + 30 + 25
                before = img.getpixel((x + bx, y + by))
                winetest.xdotool("mousemove", "--window", wid, bx, by)
                def hot():
                    return grab_screen("ui-test-window-hot").getpixel((x + bx, y + by)) != before or None
                winetest.wait_until(hot, timeout=15, what="hot image")

                # Close button: the window and its shadow go away.
                winetest.click(wid, w - 10 - 9, 9 + 9)
                proc.wait(timeout=30)
                self.assertEqual(0, proc.returncode)
            finally:
                if proc.poll() is None:
                    proc.kill()


if __name__ == "__main__":
    unittest.main()
