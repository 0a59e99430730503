"""End to end: the custom install. A folder with blanks and Chinese characters typed into
"path", both options switched off, "back" to the default sub-page (which then shows the
typed folder) and "start" there; the confirm-exit prompt on the finish page; then a second
setup in the same machine proposes the recorded folder, and its confirm-exit prompt is
answered with each of its three buttons. The folder picker ("browser"): cancel changes
nothing, a folder picked in it is where "start" installs. The driver lives in
tests/wine/setupdriver.py."""
import os
import unittest

import winetest
from setupdriver import (CONFIRM_EXIT, MAIN, RECTS, REST, InstallationChecks, Machine, lower_part, same_picture, shot,
                         setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

FOLDER = "D:\\我的 邮件\\Vexmora Mail"
# "defaultpath" on the default sub-page: the folder that "start" installs into.
PATH_LABEL = tuple(RECTS.rect(MAIN, "defaultpath"))
OLD_SHELL = {"QuillwireShell.dll": b"shell extension of an earlier install",
             "QuillwireShell64.dll": b"its 64-bit twin",
             "QuillwireShell_bak.dll": b"set aside by an install before that"}


class CustomInstallTest(unittest.TestCase, InstallationChecks):
    def test_custom_folder_options_off_then_recorded_folder(self):
        m = Machine()
        self.addCleanup(m.close)
        # The typed folder holds an earlier shell extension (not a recorded installation):
        # the start event sets it aside under the "_bak" names (an older "_bak" into the
        # run's backup), and the run's commit deletes them: nothing of it is left.
        os.makedirs(m.unix(FOLDER))
        for name, data in OLD_SHELL.items():
            with open(m.unix(f"{FOLDER}\\{name}"), "wb") as f:
                f.write(data)
        setup = m.start_setup()
        setup.wait_main()
        default_label = setup.picture().crop(PATH_LABEL)

        setup.click("btn_freeinstall")
        setup.wait_page("custom")
        shot(setup.wid, "main-custom")
        setup.type_into_path(FOLDER)
        for option in ("createDesktopshortcut", "autostart"):
            before = setup.picture()
            x, y = setup.at(option)
            setup.click(option)
            # The check box shows its new state before the next click goes in.
            winetest.wait_until(lambda: setup.picture().getpixel((x, y)) != before.getpixel((x, y)), timeout=30,
                                what=f"{option} unticked")
        shot(setup.wid, "main-custom-typed")

        setup.click("back")
        setup.wait_page("default")
        typed_label = setup.picture().crop(PATH_LABEL)
        self.assertFalse(same_picture(default_label, typed_label), "defaultpath still shows the old folder")
        shot(setup.wid, "main-default-typed")

        setup.click("start")
        setup.wait_page("finish")
        self.assert_payload_installed(m, FOLDER)
        self.assert_registered(m, FOLDER, autostart=False, desktop=False)

        # Leaving from the finish page keeps the installation.
        setup.click("closebtn")
        confirm = setup.prompt()
        shot(confirm, "prompt-confirm-exit")
        setup.click("cancelbtn", CONFIRM_EXIT, wid=confirm)
        self.assertEqual(0, setup.wait_exit())
        self.assert_payload_installed(m, FOLDER)
        self.assert_journal(m, FOLDER, autostart=False, desktop=False)

        # The next setup proposes the recorded folder: "defaultpath" reads as it did after
        # "back" above.
        again = m.start_setup()
        again.wait_main()
        self.assertTrue(same_picture(typed_label, again.picture().crop(PATH_LABEL)))
        page = lower_part(again.picture())
        for answer in ("closebtn", "installbtn"):  # both go back to the main window as it was
            again.click("closebtn")
            confirm = again.prompt()
            again.click(answer, CONFIRM_EXIT, wid=confirm)
            winetest.wait_gone(confirm)
            again.wait_page("default")
            self.assertTrue(same_picture(page, lower_part(again.picture())), answer)
        self.assertIsNone(again.proc.poll())
        again.click("closebtn")
        again.click("cancelbtn", CONFIRM_EXIT, wid=again.prompt())
        self.assertEqual(0, again.wait_exit())
        self.assertFalse(os.path.exists(m.unix(FOLDER + "\\uninstall-ran.txt")), "nothing was installed again")


class FolderPickerTest(unittest.TestCase, InstallationChecks):
    PICKER = "^Browse for Folder$"  # the system picker's caption under this Wine

    def pick(self, setup, *keys):
        """Opens the picker with "browser" and answers it from the keyboard."""
        setup.click("browser")
        picker = winetest.wait_window(self.PICKER, timeout=60)
        winetest.wait_drawn(picker)
        if keys == ("Escape",):
            shot(picker, "folder-picker")
        winetest.xdotool("windowfocus", "--sync", picker)
        winetest.xdotool("key", *keys)
        winetest.wait_gone(picker)

    def test_cancel_keeps_the_folder_and_a_picked_folder_is_installed_into(self):
        m = Machine()
        self.addCleanup(m.close)
        os.makedirs(m.unix("D:\\Mail\\邮箱"))
        setup = m.start_setup()
        setup.wait_main()
        setup.click("btn_freeinstall")
        setup.wait_page("custom")
        setup.type_into_path("D:\\Mail")
        winetest.click(setup.wid, *REST)  # ends the typing, as a click beside the edit does
        self.pick(setup, "Escape")
        # The picker opens on the folder in "path" (so cancel left it as typed); its first
        # subfolder is picked.
        self.pick(setup, "Right", "Down", "Return")
        setup.click("start", page="custom")
        setup.wait_page("finish")
        self.assert_payload_installed(m, "D:\\Mail\\邮箱", extra=("uninstallE",))
        self.assertEqual(["邮箱"], os.listdir(m.unix("D:\\Mail")))
        setup.click("closebtn")
        setup.click("cancelbtn", CONFIRM_EXIT, wid=setup.prompt())
        self.assertEqual(0, setup.wait_exit())


if __name__ == "__main__":
    unittest.main(verbosity=2)
