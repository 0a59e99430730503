"""The setup program as a person uses it, end to end: the real VexmoraSetup.exe in a fresh
Wine machine (D: a fixed drive of its own), on an X display of this test's own, driven by
clicks at the places where the layouts put the controls and by keys for message boxes
(the driver in tests/wine/setupdriver.py).

The quick-install cases: a quick install checked file by file against the payload, with
its registry entries, shortcuts and decrypted journal, the finish button starting the
client; then a second setup over that installation, which replaces it without running
its uninstaller.

Screenshots of the pages and prompts stay under build/screenshots/e2e-*.png.
"""
import os
import shutil
import unittest

import winetest
from setupdriver import (APP_PATHS_KEY, CONFIRM_EXIT, DEFAULT_FOLDER, DEFAULT_FOLDER_LEVELS, PRODUCT, PROGRAMS,
                         SETUP_CAPTION, InstallationChecks, Machine, setUpModule, shot,
                         tearDownModule)  # noqa: F401  (module fixtures)

WAITER = os.path.join(PROGRAMS, "fx_waiter.exe")  # runs until it is ended


class QuickInstallTest(unittest.TestCase, InstallationChecks):
    def test_quick_install_then_setup_again_over_it(self):
        m = Machine()
        self.addCleanup(m.close)

        setup = m.start_setup()
        setup.wait_main()
        shot(setup.wid, "main-default")
        # The banner turns every 2.5 seconds: 274, 250, 273 after the layout's own 273.
        self.assertEqual([273, 274, 250, 273], setup.banner_turns(3))
        setup.click("start")
        setup.wait_page("finish")
        setup.wait_banner(274)  # and goes on turning on the finish page
        shot(setup.wid, "main-finish")
        # Registration finished the journal: encrypted, the plain file gone, whatever ends
        # the program now.
        self.assert_payload_installed(m, DEFAULT_FOLDER)
        self.assert_registered(m, DEFAULT_FOLDER)

        m.start_shell()  # the client starts with the signed-in person's shell's token
        setup.click("finishinstallbtn")
        self.assertEqual(0, setup.wait_exit())
        # "Start.exe" ran and started the client, whose window carries the product name.
        client = winetest.wait_window(f"^{PRODUCT}$", timeout=60)
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER + "\\uninstall")))
        # "start" made the whole default folder before the journal was open: its levels
        # lead the journal, so the uninstaller can take them away again.
        self.assert_journal(m, DEFAULT_FOLDER, new_folders=DEFAULT_FOLDER_LEVELS)
        m.p.run(["taskkill", "/f", "/im", "Vexmora-PC.exe"])
        winetest.wait_gone(client)

        # Setup again: the recorded installation's journal is read, so its uninstaller is
        # not run; the run replaces its files one by one (each new one swapped in once
        # whole) and its commit deletes what it set aside.
        again = m.start_setup()
        again.wait_main()
        again.click("start")
        again.wait_page("finish")
        self.assertFalse(m.exists(DEFAULT_FOLDER + "\\uninstall-ran.txt"))
        self.assert_payload_installed(m, DEFAULT_FOLDER)
        again.click("closebtn")
        confirm = again.prompt()
        again.click("cancelbtn", CONFIRM_EXIT, wid=confirm)
        self.assertEqual(0, again.wait_exit())
        # The same journal as after the first install: the folders the first setup made are
        # carried over.
        self.assert_journal(m, DEFAULT_FOLDER, new_folders=DEFAULT_FOLDER_LEVELS)


    def test_a_system_close_waits_for_the_end_of_the_run(self):
        """A close from the task bar while the run is busy (here: waiting for the uninstaller
        of an earlier installation without a journal, which never ends by itself) is
        ignored; the run completes, and the same close on the finish page then closes the
        window."""
        m = Machine()
        self.addCleanup(m.close)
        old = "D:\\Old Mail"
        os.makedirs(m.unix(old))
        shutil.copy(WAITER, m.unix(old + "\\uninstall.exe"))
        m.p.reg_add(APP_PATHS_KEY, "SoftwarePath", "REG_SZ", old)
        setup = m.start_setup()
        setup.wait_main()
        setup.click("start")  # quick install into the recorded folder
        pid_file = m.unix(old + "\\uninstall.exe.pid")
        winetest.wait_until(lambda: os.path.exists(pid_file), timeout=60, what="the earlier uninstaller")
        m.close_from_task_bar()
        with open(pid_file) as f:
            m.p.run(["taskkill", "/f", "/pid", f.read().strip()])
        # Without its journal the earlier installation cannot be brought back should the
        # run fail: the user is told before the run goes on.
        told = winetest.wait_window(f"^{SETUP_CAPTION}$", timeout=60)
        winetest.wait_drawn(told)
        shot(told, "earlier-not-restorable")
        # The killed uninstaller took the display's keyboard focus with it: a click into
        # the box first, as a person would, gives it back.
        winetest.click(told, 10, 10)
        winetest.key(told, "Return")
        setup.wait_page("finish")
        self.assertIsNone(setup.proc.poll())
        self.assert_payload_installed(m, old, extra=("uninstallE", "uninstall.exe.pid"))
        m.close_from_task_bar()
        self.assertEqual(0, setup.wait_exit())


if __name__ == "__main__":
    unittest.main(verbosity=2)
