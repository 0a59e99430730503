"""End to end with the keyboard alone, as a person who uses no mouse: real key events
(XTEST) to the setup's windows, which a window manager would have given the keyboard
(here `xdotool windowfocus`, once per window that appears on its own; prompts opened from
the keyboard take the keys from their owner).

- a quick install with Return, the finish page's Tab round and Return on it;
- a custom install: "自定义安装" with Space, the custom page's Tab round, a folder pasted
  into the edit, both options switched off with Space, the licence opened with Return
  (its Tab round, Page Down and Ctrl+A, Ctrl+C in its text, Tab out of the text, Escape
  closes it), the confirm-exit prompt opened with Escape (its Tab round; Escape and
  Return both go back), the install, and the stop button reached with Shift+Tab;
- the start-up prompts: Escape declines the client-running prompt, then its Tab round
  and Return ends the client; the already-running prompt's Tab round, Return and Escape.

Each Tab is checked by where the focus ring is drawn (setupdriver.TAB_ORDER is the table
of which control each Tab reaches) and photographed: build/screenshots/e2e-focus-*.png."""
import unittest

import winetest
from setupdriver import (ALREADY_RUNNING, CLIENT_RUNNING, CONFIRM_EXIT, DEFAULT_FOLDER, MAIN, PRODUCT, RECTS,
                         SETUP_WIN, TAB_ORDER, TERMS, InstallationChecks, Machine, setUpModule,  # noqa: F401
                         shot, tearDownModule)  # noqa: F401  (module fixtures)

FOLDER = "D:\\键盘 安装\\Vexmora Mail"
LICENCE_START = "VexmoraZevlo邮箱软件最终用户许可协议"  # the first line of the agreement


class KeyboardInstallTest(unittest.TestCase, InstallationChecks):
    def machine(self):
        m = Machine()
        self.addCleanup(m.close)
        return m

    def test_quick_install_with_return(self):
        m = self.machine()
        s = m.start_setup()
        s.wait_main()
        s.focus_window()
        s.tab_round(TAB_ORDER["default"], page="default")
        s.keys("Return")  # the focus is on the quick-install button again
        s.wait_page("finish", timeout=180)
        self.assert_payload_installed(m, DEFAULT_FOLDER)
        m.start_shell()  # the client starts with the signed-in person's shell's token
        s.tab_round(TAB_ORDER["finish"], page="finish")
        s.keys("Return")
        self.assertEqual(0, s.wait_exit())
        winetest.wait_window(f"^{PRODUCT}$", timeout=60)  # the finish button started the client

    def test_custom_install_licence_and_confirm_exit_with_the_keyboard_alone(self):
        m = self.machine()
        s = m.start_setup()
        s.wait_main()
        s.focus_window()
        s.keys("Tab", "Tab", "Tab")
        s.wait_ring("btn_freeinstall")
        s.keys("space")
        s.wait_page("custom")
        s.tab_round(TAB_ORDER["custom"], page="custom")

        # The folder: the edit takes the keys it needs, Tab leaves it.
        s.keys("Tab", "Tab", "Tab")
        s.wait_ring("path", page="custom")
        m.set_clipboard(FOLDER)
        s.keys("ctrl+a", "ctrl+v")
        s.keys("Tab", "Tab")
        s.wait_ring("createDesktopshortcut", page="custom")
        s.keys("space", "Tab", "space")  # both options off
        s.keys("Tab", "Tab")
        s.wait_ring("zevloterms", page="custom")
        shot(s.wid, "keyboard-custom-filled")

        # The licence, opened from the keyboard, shows its focus at once.
        s.keys("Return")
        terms = s.prompt(TERMS)
        s.wait_ring("btn_ok", TERMS, wid=terms)
        s.tab_round(TAB_ORDER[TERMS], TERMS, wid=terms, label="licence")
        s.keys("shift+Tab")
        s.wait_ring("agreement", TERMS, wid=terms)
        text_box = tuple(RECTS.rect(TERMS, "agreement"))
        first_page = winetest.capture(terms).crop(text_box)
        s.keys("Next", "Next")
        winetest.wait_until(lambda: winetest.capture(terms).crop(text_box).tobytes() != first_page.tobytes(),
                            timeout=30, what="Page Down to scroll the licence")
        shot(terms, "keyboard-licence-scrolled")
        s.keys("ctrl+a", "ctrl+c")
        winetest.wait_until(lambda: m.clipboard().startswith(LICENCE_START), timeout=30,
                            what="Ctrl+A, Ctrl+C to copy the licence")
        s.keys("Tab")
        s.wait_ring("btn_ok", TERMS, wid=terms)
        s.keys("Escape")  # as the licence's close button
        winetest.wait_gone(terms)

        # Escape opens the confirm-exit prompt; there Escape and Return go back to setup.
        s.keys("Escape")
        confirm = s.prompt(CONFIRM_EXIT)
        s.wait_ring("installbtn", CONFIRM_EXIT, wid=confirm)
        s.tab_round(TAB_ORDER[CONFIRM_EXIT], CONFIRM_EXIT, wid=confirm, label="confirm-exit")
        s.keys("Escape")
        winetest.wait_gone(confirm)
        s.keys("Escape")
        confirm = s.prompt(CONFIRM_EXIT, exclude=(confirm,))
        s.keys("Return")
        winetest.wait_gone(confirm)
        self.assertIsNone(s.proc.poll())

        s.keys("Tab")
        s.wait_ring("start", page="custom")
        s.keys("space")
        s.wait_page("finish", timeout=180)
        self.assert_payload_installed(m, FOLDER)
        self.assert_registered(m, FOLDER, autostart=False, desktop=False)

        # The stop button: Escape, then Shift+Tab from "继续安装" and Space.
        s.keys("Escape")
        confirm = s.prompt(CONFIRM_EXIT, exclude=(confirm,))
        s.wait_ring("installbtn", CONFIRM_EXIT, wid=confirm)
        s.keys("shift+Tab")
        s.wait_ring("cancelbtn", CONFIRM_EXIT, wid=confirm)
        s.keys("space")
        self.assertEqual(0, s.wait_exit())
        self.assertTrue(m.exists(FOLDER + "\\uninstallE"))

    def test_start_up_prompts_with_the_keyboard(self):
        m = self.machine()
        client, _ = m.start_client()
        s = m.start_setup()
        prompt = s.prompt(CLIENT_RUNNING)
        s.focus_window(prompt)
        s.keys("Escape")  # declines, as the prompt's close button: setup ends, the client runs on
        self.assertEqual(0, s.wait_exit())
        self.assertIsNone(client.poll())

        s = m.start_setup()
        prompt = s.prompt(CLIENT_RUNNING)
        s.focus_window(prompt)
        s.tab_round(TAB_ORDER[CLIENT_RUNNING], CLIENT_RUNNING, wid=prompt, label="client-running")
        s.keys("Return")  # "立即安装": the client is ended and setup goes on
        client.wait(timeout=60)
        s.wait_main()

        for key in ("Return", "Escape"):
            second = m.start([SETUP_WIN])
            prompt = s.prompt(ALREADY_RUNNING)
            s.focus_window(prompt)
            if key == "Return":
                s.tab_round(TAB_ORDER[ALREADY_RUNNING], ALREADY_RUNNING, wid=prompt, label="already-running")
            s.keys(key)
            self.assertEqual(0, second.wait(timeout=60))
            winetest.wait_gone(prompt)
        self.assertIsNone(s.proc.poll())
        self.assertEqual(winetest.window_geometry(s.wid)[2:], RECTS.size(MAIN))


if __name__ == "__main__":
    unittest.main(verbosity=2)
