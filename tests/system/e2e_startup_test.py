"""End to end: the prompts before the main window, and a damaged payload. A second setup
while the first is open gets the already-running prompt and ends with exit code 0, the
first undisturbed; with the client "Vexmora-PC.exe" running, the client prompt ends setup
on "下次再说" or its close button, and on "立即安装" ends the client and opens the main
window. Alt+F4 on the main window closes it at once, with no prompt. A setup whose payload bytes are damaged shows the format-error prompt; Abort ends
the run, takes back what it made (the install folder too) and says so, with the choices
page back. The driver lives in
e2e_install_test.py."""
import os
import tempfile
import unittest

import winetest
from e2e_install_test import (ALREADY_RUNNING, CLIENT_RUNNING, CONFIRM_EXIT, DEFAULT_FOLDER, MAIN_SIZE,
                              SETUP_WIN, TITLE, Machine, page_of, setUpModule, shot, shot_around,
                              tearDownModule, wait_message_box)  # noqa: F401  (module fixtures)


def main_windows():
    return [w for w in winetest.find_windows(TITLE) if winetest.window_geometry(w)[2:] == MAIN_SIZE]


def damaged_setup(folder):
    """A copy of the setup program whose payload ("BIN" 227) has 16 bytes flipped inside
    its first packed block: the archive opens, the block fails its check."""
    import pefile
    pe = pefile.PE(winetest.SETUP_EXE, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    kind = next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.name is not None and str(t.name) == "BIN")
    entry = next(e for e in kind.directory.entries if e.id == 227)
    data = entry.directory.entries[0].data.struct
    at = pe.get_offset_from_rva(data.OffsetToData) + 32 + 1024  # past the 7z signature header
    raw = bytearray(pe.__data__)
    raw[at:at + 16] = bytes(b ^ 0xFF for b in raw[at:at + 16])
    out = os.path.join(folder, "VexmoraSetup.exe")
    with open(out, "wb") as f:
        f.write(raw)
    return out


class StartupPromptsTest(unittest.TestCase):
    def setUp(self):
        self.m = Machine()
        self.addCleanup(self.m.close)

    def leave(self, setup):
        setup.click("closebtn")
        setup.click("cancelbtn", CONFIRM_EXIT, wid=setup.prompt())
        self.assertEqual(0, setup.wait_exit())

    def test_second_setup_while_the_first_is_open(self):
        first = self.m.start_setup()
        first.wait_main()
        for button in ("okbtn", "closebtn"):
            second = self.m.start([SETUP_WIN])
            prompt = first.prompt()
            if button == "okbtn":
                shot(prompt, "prompt-already-running")
            winetest.click(prompt, *ALREADY_RUNNING[button])
            self.assertEqual(0, second.wait(timeout=60), button)
            self.assertEqual([first.wid], main_windows())
        self.assertIsNone(first.proc.poll())
        first.click("btn_freeinstall")  # the first one still answers
        first.wait_page("custom")
        self.leave(first)

    def test_running_client(self):
        client, client_window = self.m.start_client()
        for button in ("cancelbtn", "closebtn"):  # "下次再说" and the close button decline alike
            setup = self.m.start_setup()
            prompt = setup.prompt()
            if button == "cancelbtn":
                shot_around(prompt, "prompt-client-running")  # with its drop shadow
            winetest.click(prompt, *CLIENT_RUNNING[button])
            self.assertEqual(0, setup.wait_exit(), button)
            self.assertEqual([], main_windows(), button)
            self.assertIsNone(client.poll(), "the client was ended though the user declined")

        setup = self.m.start_setup()
        winetest.click(setup.prompt(), *CLIENT_RUNNING["installbtn"])  # "立即安装"
        client.wait(timeout=60)
        setup.wait_main()
        self.assertNotIn(client_window, winetest.find_windows(".*"))
        self.leave(setup)


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
        box = wait_message_box("安装失败")
        shot(box, "message-format-error")
        shot(setup.wid, "main-progress")
        self.assertIsNone(page_of(setup.picture()), "the choices page shows during the run")
        winetest.key(box, "a")  # Abort
        winetest.wait_gone(box)
        # The run is taken back, the user told so, and the choices page is back.
        told = wait_message_box("安装已取消")
        shot(told, "message-rolled-back")
        winetest.key(told, "Return")
        winetest.wait_gone(told)
        setup.wait_page("default")
        self.assertEqual([], winetest.find_windows("^安装失败$"))
        shot(setup.wid, "main-after-abort")
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER)))
        # The close button is there again.
        setup.click("closebtn")
        confirm = setup.prompt()
        setup.click("cancelbtn", CONFIRM_EXIT, wid=confirm)
        self.assertEqual(0, setup.wait_exit())


if __name__ == "__main__":
    unittest.main(verbosity=2)
