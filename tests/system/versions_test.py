"""An earlier installation's version against the setup's own, with the real setup on a
machine that has an earlier installation recorded (its folder, which the setup proposes, a
stand-in uninstaller that notes each run, and the uninstall entry's "DisplayVersion"):
- newer than the setup's: "start" asks first, naming both versions; No (the default)
  leaves every file and registry value as it was, nothing run, the setup on its page;
- the same version is a repair, and the progress page says so where an upgrade says
  "正在安装". Each run is held on its progress page by a payload file that another program
  holds (the Retry/Ignore/Abort prompt), and aborted there. The earlier installation keeps
  no journal, so each run first starts its uninstaller and says that a failed run cannot
  bring it back.
"""
import os
import shutil
import unittest

from PIL import ImageChops

import winetest
import machine_snapshot as snap
from setupdriver import (APP_PATHS_KEY, CANCELLED_CAPTION, ENTRY_KEY, FAILURE_CAPTION, MAIN, PROGRAMS, RECTS,
                         SETUP_CAPTION, Locker, Machine, file_version, setUpModule, tearDownModule,
                         wait_message_box)  # noqa: F401  (module fixtures)

OLD = "D:\\Old Mail"
ACTION_LABEL = tuple(RECTS.rect(MAIN, "install_action", "progress"))  # on the progress page, right-aligned
HELD = OLD + "\\res\\lang\\en-US.xml"  # the payload's second file, where the setup installs


class VersionsTest(unittest.TestCase, snap.SnapshotChecks):
    def setUp(self):
        self.m = m = Machine(settle=True)
        self.addCleanup(m.close)
        os.makedirs(m.unix(OLD))
        shutil.copy(os.path.join(PROGRAMS, "fx_recorder.exe"), m.unix(OLD + "\\uninstall.exe"))
        m.p.reg_add(APP_PATHS_KEY, "SoftwarePath", "REG_SZ", OLD)

    def start_setup(self):
        setup = self.m.start_setup()
        setup.wait_main()
        return setup

    def test_newer_installed_asks_and_no_changes_nothing(self):
        m = self.m
        m.p.reg_add(ENTRY_KEY, "DisplayVersion", "REG_SZ", "99.0.0.0")
        before_files, before_reg = snap.snapshot(m.p)
        setup = self.start_setup()
        setup.click("start")
        box = wait_message_box(SETUP_CAPTION)
        text = "".join(m.message_box_text()[1:])
        self.assertIn("（99.0.0.0）", text)
        self.assertIn(f"为 {file_version()}。", text)
        winetest.key(box, "Return")  # No is the default
        winetest.wait_gone(box)
        setup.wait_page("default", rest=True)
        self.assertIsNone(setup.proc.poll())
        setup.close()
        after_files, after_reg = snap.snapshot(m.p)
        self.assertSameFiles(before_files, after_files)
        self.assertSameRegistry(before_reg, after_reg)
        self.assertFalse(os.path.exists(m.unix(OLD + "\\uninstall-cmdline.txt")), "the earlier uninstaller ran")

    def test_the_same_version_is_a_repair_and_says_so(self):
        m = self.m
        m.p.reg_add(ENTRY_KEY, "DisplayVersion", "REG_SZ", "1.0")
        os.makedirs(os.path.dirname(m.unix(HELD)))
        locker = Locker(m.p, HELD)
        self.addCleanup(locker.release)
        setup = self.start_setup()

        def held_progress_page():
            """Starts the install, waits for the prompt about the held file, and returns the
            progress page's label; then aborts, back to the page of choices."""
            setup.click("start")
            # The earlier installation keeps no journal: its own uninstaller runs instead,
            # and the user is told that a run that fails cannot bring it back.
            warned = wait_message_box(SETUP_CAPTION)
            self.assertIn("旧版本将无法恢复", "".join(m.message_box_text()[1:]))
            winetest.click(warned, 5, 5)
            winetest.key(warned, "Return")
            winetest.wait_gone(warned)
            box = wait_message_box(FAILURE_CAPTION)
            label = setup.picture().crop(ACTION_LABEL)
            # A click on the box (beside its text) makes it the active window first: the
            # keys would otherwise go to the window that was active before the earlier
            # uninstaller ran.
            winetest.click(box, 5, 5)
            winetest.key(box, "a")
            winetest.wait_gone(box)
            # The run is taken back, and the user told so.
            told = wait_message_box(CANCELLED_CAPTION)
            winetest.click(told, 5, 5)
            winetest.key(told, "Return")
            winetest.wait_gone(told)
            setup.wait_page("default", rest=True)
            return label

        upgrade = held_progress_page()  # 1.0 is older: "正在安装"
        m.p.reg_add(ENTRY_KEY, "DisplayVersion", "REG_SZ", file_version())
        repair = held_progress_page()
        # Both say "正在..." in the same place; only the last two characters differ.
        text = upgrade.convert("L").point(lambda v: 255 if v < 200 else 0).getbbox()
        self.assertIsNotNone(text, "no text on the progress page")
        changed = ImageChops.difference(upgrade, repair).convert("L").point(lambda v: 255 if v > 30 else 0).getbbox()
        self.assertIsNotNone(changed, "the repair reads as an upgrade")
        left, _, right, _ = text
        self.assertGreater(changed[0], left + (right - left) * 0.4, (text, changed))


if __name__ == "__main__":
    unittest.main()
