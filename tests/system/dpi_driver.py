"""The setup at one display scale, end to end, as a person uses it: shared by
e2e_dpi96_test.py, e2e_dpi144_test.py and e2e_dpi192_test.py (one file per scale, so that
ctest runs them side by side). Each makes a fresh machine whose "LogPixels" is set before
the program starts, and on it:

- the client-running prompt (with the stand-in client running), and the already-running
  prompt (a second setup while the first is open);
- the main window at its scaled size; the default page's Tab round, each control's focus
  ring checked at the scale and photographed;
- its custom page, the licence opened there with the real pointer, which then rests over
  the licence's text (a native child window): left alone a few seconds, the pointer
  moved onto 确定 and one real click closes the licence; back;
- the licence window and the confirm-exit prompt opened from it;
- a quick install, then the confirm-exit prompt's stop button.

Every click lands on a control's centre from build/layout-rects.json (the framework's own
layout at 96 DPI), scaled. Each prompt is left alone for a few seconds before its one click
(the scenario of a person reading it; the wait itself is that settle, stated as such): the
click must act at once. Screenshots of every page and prompt go to
build/screenshots/dpi<DPI>-*.png. At 192 DPI the text is also checked to be drawn at
192 DPI rather than stretched from 96.
"""
import os
import time

import winetest
from setupdriver import (ALREADY_RUNNING, CLIENT_RUNNING, CONFIRM_EXIT, DEFAULT_FOLDER, MAIN, RECTS, SETUP_WIN,
                         TAB_ORDER, TERMS, InstallationChecks, Machine)

# How long a person leaves a prompt alone before clicking (part of the scenario).
READING = 3
# Which button of each prompt a scale clicks; together the three scales click them all.
BUTTONS = {
    96: {"terms": "btn_ok", "confirm": "installbtn", "already": "okbtn", "client": "cancelbtn"},
    144: {"terms": "closebtn", "confirm": "closebtn", "already": "closebtn", "client": "closebtn"},
    192: {"terms": "btn_ok", "confirm": "installbtn", "already": "okbtn", "client": "installbtn"},
}


def read_then_click(s, wid, layout, button):
    """Left alone for a few seconds, as a person reads it, then one click."""
    time.sleep(READING)
    s.click(button, layout, wid=wid)


class DpiCase(InstallationChecks):
    """Mixed into a unittest.TestCase of one scale (`dpi`)."""
    dpi = 96

    @classmethod
    def setUpClass(cls):
        cls.display = winetest.PrivateDisplay()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def start(self, m):
        return m.start_setup(dpi=self.dpi)

    def shot(self, wid, name):
        return winetest.screenshot(wid, f"dpi{self.dpi}-{name}")

    def test_prompts_pages_and_a_quick_install(self):
        dpi, buttons = self.dpi, BUTTONS[self.dpi]
        m = Machine()
        self.addCleanup(m.close)
        m.p.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", dpi)

        # The client is running: its prompt comes first.
        client, _ = m.start_client()
        s = self.start(m)
        prompt = s.prompt(CLIENT_RUNNING)
        self.shot(prompt, "prompt-client-running")
        read_then_click(s, prompt, CLIENT_RUNNING, buttons["client"])
        if buttons["client"] == "installbtn":
            client.wait(timeout=60)  # ended; the setup goes on to its main window
        else:
            self.assertEqual(0, s.proc.wait(timeout=60))
            self.assertIsNone(client.poll())
            client.kill()
            client.wait(timeout=60)
            s = self.start(m)
        s.wait_main()
        self.assertEqual(winetest.window_geometry(s.wid)[2:], RECTS.size(MAIN, dpi))
        self.assertEqual(RECTS.size(MAIN, dpi), {96: (580, 400), 144: (870, 600), 192: (1160, 800)}[dpi])
        main_shot = self.shot(s.wid, "main-default")

        # A second setup meanwhile: the already-running prompt.
        second = m.start([SETUP_WIN])
        prompt = s.prompt(ALREADY_RUNNING)
        self.shot(prompt, "prompt-already-running")
        read_then_click(s, prompt, ALREADY_RUNNING, buttons["already"])
        self.assertEqual(0, second.wait(timeout=60))

        s.focus_window()
        s.tab_round(TAB_ORDER["default"], page="default", label=f"dpi{dpi}-default")

        s.click("btn_freeinstall")
        s.wait_page("custom")
        self.shot(s.wid, "main-custom")
        # The licence's first click after the pointer left its text must close it.
        s.real_click("zevloterms", page="custom")
        terms = s.prompt(TERMS)
        time.sleep(READING)
        s.real_click("btn_ok", TERMS, wid=terms)
        winetest.wait_gone(terms, timeout=10)
        s.click("back")
        s.wait_page("default")

        s.click("zevloterms")
        terms = s.prompt(TERMS)
        self.shot(terms, "prompt-terms")
        read_then_click(s, terms, TERMS, buttons["terms"])
        winetest.wait_gone(terms, timeout=10)  # on the first click

        s.click("closebtn")
        confirm = s.prompt(CONFIRM_EXIT)
        self.shot(confirm, "prompt-confirm-exit")
        read_then_click(s, confirm, CONFIRM_EXIT, buttons["confirm"])
        winetest.wait_gone(confirm, timeout=10)
        self.assertIsNone(s.proc.poll())

        # The quick install; the progress page is photographed when it is caught.
        s.click("start")
        seen = set()

        def finished():
            page = s.page()
            if page == "progress" and "progress" not in seen:
                seen.add("progress")
                self.shot(s.wid, "main-progress")
            return page == "finish"
        winetest.wait_until(finished, timeout=180, what=f"the finish page at {dpi}")
        self.shot(s.wid, "main-finish")
        # The journal is finished with the registration, before the finish page shows.
        self.assert_payload_installed(m, DEFAULT_FOLDER, extra=("uninstallE",))

        s.click("closebtn")
        confirm = s.prompt(CONFIRM_EXIT)
        read_then_click(s, confirm, CONFIRM_EXIT, "cancelbtn")
        self.assertEqual(0, s.proc.wait(timeout=60))
        self.assertTrue(os.path.exists(m.unix(DEFAULT_FOLDER + "\\uninstallE")))
        if dpi == 192:
            self.check_text_is_drawn_at_192(m, main_shot)

    def check_text_is_drawn_at_192(self, m, main_shot):
        """The licence link's text at 192 DPI against the same window at 96 DPI scaled by
        two (what a system stretching the window would show): about twice as tall, and
        with edges at least half again as sharp."""
        from PIL import Image
        m.p.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", 96)
        show = os.path.join(winetest.BUILD, "tests", "programs", "skinfx_show.exe")
        proc = m.p.start([show, "221", "default"])
        try:
            wid = winetest.wait_window("^SkinFx ready$", size=RECTS.size(MAIN, 96), timeout=90)
            winetest.xdotool("mousemove", 0, 0)
            small = winetest.capture(wid)
        finally:
            proc.kill()
        box = RECTS.rect(MAIN, "zevloterms")
        at96 = small.crop(tuple(box)).resize(((box[2] - box[0]) * 2, (box[3] - box[1]) * 2), Image.BILINEAR)
        at192 = Image.open(main_shot).convert("RGB").crop(tuple(RECTS.rect(MAIN, "zevloterms", dpi=192)))
        at96.save(os.path.join(winetest.BUILD, "screenshots", "dpi192-link-96-stretched.png"))
        at192.save(os.path.join(winetest.BUILD, "screenshots", "dpi192-link-192.png"))
        ink96, ink192 = ink_rows(at96), ink_rows(at192)
        self.assertGreater(ink96, 0)
        self.assertLess(abs(ink192 - ink96), ink96 * 0.2, (ink192, ink96))
        self.assertGreater(sharpness(at192), 1.5 * sharpness(at96), (sharpness(at192), sharpness(at96)))


def luminance(img):
    return img.convert("L")


def ink_rows(img):
    """Rows holding text: rows with a pixel clearly darker than the lightest of the picture."""
    grey = luminance(img)
    light = max(grey.getdata())
    return sum(1 for y in range(grey.height) if min(grey.getpixel((x, y)) for x in range(grey.width)) < light - 60)


def sharpness(img):
    """The mean of the largest steps between neighbouring pixels along each row: text drawn
    at its size has steps of nearly the full contrast, a stretched copy half of them."""
    grey = luminance(img)
    steps = []
    for y in range(grey.height):
        row = [grey.getpixel((x, y)) for x in range(grey.width)]
        diffs = sorted((abs(a - b) for a, b in zip(row, row[1:])), reverse=True)
        if diffs and diffs[0] > 30:
            steps.extend(diffs[:4])
    return sum(steps) / len(steps) if steps else 0
