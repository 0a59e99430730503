"""End to end: the prompts before the main window, and a damaged payload. A second setup
while the first is open gets the already-running prompt and ends with exit code 0, the
first undisturbed; with the client "Vexmora-PC.exe" running, the client prompt ends setup
on "下次再说" or its close button, and on "立即安装" ends the client and opens the main
window. Alt+F4 on the main window closes it at once, with no prompt. A setup whose payload bytes are damaged shows the format-error prompt; Abort ends
the run, takes back what it made (the install folder too) and says so, with the choices
page back. The driver lives in
tests/wine/setupdriver.py."""
import os
import tempfile
import unittest

import winetest
from setupdriver import (ALREADY_RUNNING, CANCELLED_CAPTION, CLIENT_RUNNING, DEFAULT_FOLDER,
                         FAILURE_CAPTION, MAIN_SIZE, SETUP_WIN, TITLE, Machine, damaged_setup, setUpModule, shot,
                         shot_around, tearDownModule, wait_message_box)  # noqa: F401  (module fixtures)


def main_windows():
    return [w for w in winetest.find_windows(TITLE) if winetest.window_geometry(w)[2:] == MAIN_SIZE]


class StartupPromptsTest(unittest.TestCase):
    def setUp(self):
        self.m = Machine()
        self.addCleanup(self.m.close)

    def test_second_setup_while_the_first_is_open(self):
        first = self.m.start_setup()
        first.wait_main()
        for button in ("okbtn", "closebtn"):
            second = self.m.start([SETUP_WIN])
            prompt = first.prompt()
            if button == "okbtn":
                shot(prompt, "prompt-already-running")
            winetest.click(prompt, *first.at(button, ALREADY_RUNNING))
            self.assertEqual(0, second.wait(timeout=60), button)
            self.assertEqual([first.wid], main_windows())
        self.assertIsNone(first.proc.poll())
        first.click("btn_freeinstall")  # the first one still answers
        first.wait_page("custom")
        first.close()

    def test_running_client(self):
        client, client_window = self.m.start_client()
        for button in ("cancelbtn", "closebtn"):  # "下次再说" and the close button decline alike
            setup = self.m.start_setup()
            prompt = setup.prompt()
            if button == "cancelbtn":
                shot_around(prompt, "prompt-client-running")  # with its drop shadow
            winetest.click(prompt, *setup.at(button, CLIENT_RUNNING))
            self.assertEqual(0, setup.wait_exit(), button)
            self.assertEqual([], main_windows(), button)
            self.assertIsNone(client.poll(), "the client was ended though the user declined")

        setup = self.m.start_setup()
        winetest.click(setup.prompt(), *setup.at("installbtn", CLIENT_RUNNING))  # "立即安装"
        client.wait(timeout=60)
        setup.wait_main()
        self.assertNotIn(client_window, winetest.find_windows(".*"))
        setup.close()


class SystemCloseTest(unittest.TestCase):
    def test_alt_f4_closes_the_main_window_without_a_prompt(self):
        m = Machine()
        self.addCleanup(m.close)
        setup = m.start_setup()
        setup.wait_main()
        winetest.key(setup.wid, "alt+F4")
        self.assertEqual(0, setup.wait_exit())
        self.assertEqual([], winetest.find_windows(TITLE))
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER)))


class DamagedPayloadTest(unittest.TestCase):
    def test_format_error_then_abort(self):
        with tempfile.TemporaryDirectory() as tmp:
            m = Machine(damaged_setup(tmp))
        self.addCleanup(m.close)
        setup = m.start_setup()
        setup.wait_main()
        setup.click("start")
        box = wait_message_box(FAILURE_CAPTION)
        shot(box, "message-format-error")
        shot(setup.wid, "main-progress")
        self.assertNotIn(setup.page(), ("default", "custom", "finish"), "the choices page shows during the run")
        winetest.key(box, "a")  # Abort
        winetest.wait_gone(box)
        # The run is taken back, the user told so, and the choices page is back.
        told = wait_message_box(CANCELLED_CAPTION)
        shot(told, "message-rolled-back")
        winetest.key(told, "Return")
        winetest.wait_gone(told)
        setup.wait_page("default")
        self.assertEqual([], winetest.find_windows(f"^{FAILURE_CAPTION}$"))
        shot(setup.wid, "main-after-abort")
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER)))
        # The close button is there again.
        setup.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
