"""End to end: what the main window refuses and the prompts it opens. With the terms box
unticked neither "start" does anything; a folder that cannot be made brings message 135
with caption 134 and leaves the page as it was; the licence terms open twice when clicked
twice (the first one dragged aside by its caption strip) and close in either order; a
licence window left open through a whole install does not keep the program from ending
when the finish button closes the main window. The driver lives in tests/wine/setupdriver.py."""
import os
import unittest

import winetest
from setupdriver import (DEFAULT_FOLDER, MAIN, MAIN_SIZE, PRODUCT, RECTS, REFUSAL_CAPTION, REST, TERMS, TITLE, Machine,
                         setUpModule, shot, tearDownModule, wait_message_box)  # noqa: F401  (module fixtures)

BAD_FOLDER = "Q:\\Vexmora Mail"  # no drive Q: in the machine
TERMS_CAPTION = (200, 15)        # in the licence window's caption strip (its top 30 pixels), on its title


def drag(wid, start, dx):
    """Presses the left button at `start` in the window and moves the pointer by dx."""
    winetest.xdotool("mousemove", "--window", wid, *start)
    winetest.xdotool("mousedown", 1)
    for _ in range(8):
        winetest.xdotool("mousemove_relative", "--sync", dx // 8, 0)
    winetest.xdotool("mouseup", 1)


def outside_edit_row(img):
    """The custom page without the "path" row, where the edit may show a caret."""
    _, top, _, bottom = RECTS.rect(MAIN, "path")
    left, upper, right, lower = RECTS.rect(MAIN, "beforeinstall")
    return img.crop((left, upper, right, top)), img.crop((left, bottom, right, lower))


def as_bytes(parts):
    return [part.tobytes() for part in parts]


def settled(grab):
    """The picture once two grabs in a row agree (a repaint may still be on its way)."""
    last = [None]

    def same_twice():
        now = grab()
        stable = last[0] is not None and as_bytes(now) == as_bytes(last[0])
        last[0] = now
        return now if stable else None
    return winetest.wait_until(same_twice, timeout=30, what="a settled picture")


class MainWindowPromptsTest(unittest.TestCase):
    def setUp(self):
        self.m = Machine()
        self.addCleanup(self.m.close)
        self.setup = self.m.start_setup()
        self.setup.wait_main()

    def assertNothingInstalled(self):
        self.assertEqual([], os.listdir(self.m.unix("D:\\")))

    def open_terms(self, exclude=()):
        self.setup.click("zevloterms")
        return self.setup.prompt(TERMS, exclude=exclude)

    def toggle_terms_box(self):
        box = self.setup.at("agressinstall")
        before = self.setup.picture().getpixel(box)
        self.setup.click("agressinstall")
        winetest.wait_until(lambda: self.setup.picture().getpixel(box) != before, timeout=30,
                            what="the terms box to change")

    def test_start_needs_the_terms_and_a_folder_it_can_make(self):
        s = self.setup
        self.toggle_terms_box()
        shot(s.wid, "main-terms-unticked")
        # Each refused "start" is followed by a click whose effect shows, so it has been
        # handled before anything is checked.
        s.click("start")
        s.click("btn_freeinstall")
        s.wait_page("custom")
        s.click("start", page="custom")
        s.click("back")
        s.wait_page("default")
        self.assertNothingInstalled()
        self.toggle_terms_box()

        s.click("btn_freeinstall")
        s.wait_page("custom")
        s.type_into_path(BAD_FOLDER)
        winetest.click(s.wid, *REST)  # ends the typing, as a click beside the edit does
        before = settled(lambda: outside_edit_row(s.picture()))
        s.click("start", page="custom")
        box = wait_message_box(REFUSAL_CAPTION)
        shot(box, "message-folder-failed")
        winetest.key(box, "Return")
        winetest.wait_gone(box)
        # The box took the mouse from the window while the pointer was on "start": moved
        # again, the button is no longer hot.
        winetest.xdotool("mousemove", "--window", s.wid, REST[0] + 1, REST[1])
        s.wait_page("custom")
        winetest.wait_until(lambda: as_bytes(outside_edit_row(s.picture())) == as_bytes(before), timeout=30,
                            what="the page as it was")
        self.assertNothingInstalled()
        self.assertIsNone(s.proc.poll())

    def test_terms_open_twice_and_close_in_either_order(self):
        s = self.setup
        first = self.open_terms()
        shot(first, "prompt-terms")
        # Dragged by its caption strip, so that the main window's link can be reached.
        x0 = winetest.window_geometry(first)[0]
        drag(first, TERMS_CAPTION, 360)
        winetest.wait_until(lambda: winetest.window_geometry(first)[0] >= x0 + 340, timeout=30, what="the drag")
        second = self.open_terms(exclude=(first,))
        self.assertEqual(3, len([w for w in winetest.find_windows(TITLE)
                                 if winetest.window_geometry(w)[2:] == MAIN_SIZE]))

        # The first one closes while the second one's loop runs inside it.
        winetest.click(first, *s.at("btn_ok", TERMS))
        winetest.wait_gone(first)
        self.assertIn(second, winetest.find_windows(TITLE))
        winetest.click(second, *s.at("closebtn", TERMS))
        winetest.wait_gone(second)
        s.click("btn_freeinstall")  # the main window still answers
        s.wait_page("custom")

        # A licence window left open, aside, through a whole install: the finish button
        # closes the main window and with it the licence window, and the program ends.
        third = self.open_terms()
        drag(third, TERMS_CAPTION, 480)  # clear of the finish button
        winetest.wait_until(lambda: winetest.window_geometry(third)[0] >= x0 + 340, timeout=30, what="the drag")
        s.click("start", page="custom")  # into the proposed folder
        s.wait_page("finish")
        self.m.start_shell()  # the client starts with the signed-in person's shell's token
        s.click("finishinstallbtn")
        self.assertEqual(0, s.wait_exit())
        winetest.wait_window(f"^{PRODUCT}$", timeout=60)  # "Start.exe" started the client
        self.assertFalse(os.path.exists(self.m.unix(DEFAULT_FOLDER + "\\uninstall")))
        self.assertTrue(os.path.exists(self.m.unix(DEFAULT_FOLDER + "\\uninstallE")))


if __name__ == "__main__":
    unittest.main(verbosity=2)
