"""The uninstall entry as Windows and its tools read it, after a quick install by the real
setup: each value with its type, the product in Wine's own list of installed programs
(`uninstaller --list`), and the entry's "QuietUninstallString" run as the system runs a
stored command: it opens no window and leaves the machine as it was before the install
(files of C: and D:, HKLM and HKCU, compared by the snapshots of uninstall_test.py).

The same install has a task-bar button: a helper plays the shell's part and sends the
window "TaskbarButtonCreated", the setup then makes Wine's real ITaskbarList3 (whose
methods are stubs that trace their first call) and the install runs through to its end.
"""
import os
import re
import subprocess
import unittest

import winetest
import e2e_install_test as e2e
import uninstall_test

PROGRAMS = os.path.join(winetest.BUILD, "tests", "programs")
FOLDER = e2e.DEFAULT_FOLDER
ENTRY = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" \
        "Quillwire-Vexmora专用版"
# Wine's task-bar object, traced: made, started, and its first progress calls (normal, 0).
TASKBAR_TRACE = ["TaskbarList_Constructor Created ITaskbarList4", "taskbar_list_HrInit",
                 "taskbar_list_SetProgressState iface .* flags 2 stub", "taskbar_list_SetProgressValue .* ullCompleted 0,"]


class UninstallEntryTest(uninstall_test.UninstallTestCase):
    def install_with_a_taskbar_button(self, trace):
        m = self.m
        env = dict(m.p.env, WINEDEBUG="-all,trace+explorerframe,fixme+explorerframe")
        with open(trace, "wb") as err:
            proc = subprocess.Popen(["wine", e2e.SETUP_WIN], env=env, stdout=subprocess.DEVNULL, stderr=err)
        setup = e2e.Setup(m, proc)
        try:
            setup.wait_main()
            r = m.p.run([os.path.join(PROGRAMS, "winfx_taskbar.exe")])
            self.assertEqual(r.returncode, 0, r)
            setup.click("start")
            setup.wait_page("finish")
            setup.click("closebtn")
            setup.click("cancelbtn", e2e.CONFIRM_EXIT, wid=setup.prompt())
            self.assertEqual(setup.wait_exit(), 0)
        finally:
            if proc.poll() is None:
                proc.kill()

    def test_entry_values_list_and_quiet_command(self):
        m = self.m
        before_files, before_reg = m.snapshot()
        trace = os.path.join(m.p.root, "setup-trace.txt")
        self.install_with_a_taskbar_button(trace)
        with open(trace, encoding="utf-8", errors="replace") as f:
            traced = f.read()
        for call in TASKBAR_TRACE:
            self.assertRegex(traced, call)
        for name in ("Start.exe", "uninstall.exe", "uninstallE"):
            self.assertTrue(os.path.exists(m.path(f"{FOLDER}\\{name}")), name)

        values = m.p.reg_export(ENTRY)[ENTRY]
        uninstaller = f"{FOLDER}\\uninstall.exe"
        unpacked = sum(len(data) for data in e2e.payload_tree().values() if data is not None)
        kind, size = values.pop("EstimatedSize")
        self.assertEqual(kind, "dword")
        self.assertLess(abs(size * 1024 - unpacked), unpacked / 100, "within 1 % of the unpacked payload")
        self.assertEqual(values, {
            "UninstallString": ("sz", f'"{uninstaller}"'),
            "QuietUninstallString": ("sz", f'"{uninstaller}" /S'),
            "Publisher": ("sz", "Vexmora"),
            "DisplayName": ("sz", e2e.PRODUCT),
            "DisplayVersion": ("sz", e2e.setup_version()),
            "DisplayIcon": ("sz", f"{FOLDER}\\Start.exe"),
            "URLInfoAbout": ("sz", "https://www.vexmora.com/zevlo"),
            "InstallLocation": ("sz", FOLDER),
            "InstallDate": ("sz", winetest.Today()),
            "NoModify": ("dword", 1),
            "NoRepair": ("dword", 1),
        })

        # Wine's list of installed programs: key name and display name (its console shows
        # the Chinese characters as "?").
        listed = m.p.run(["uninstaller", "--list"]).stdout.decode("utf-8", "replace").splitlines()
        self.assertTrue([line for line in listed if re.match(r"^Quillwire-Vexmora.*\|\|\|VexmoraZevlo", line)], listed)

        # The quiet command, run as the system runs a stored command line: no window at all
        # while it works (a message box would also keep it from ending), and nothing left.
        # (Wine keeps a full-screen desktop window of its own on the display: not ours.)
        already = set(winetest.find_windows(".*"))
        runner = m.p.start([os.path.join(PROGRAMS, "fx_runline.exe"), values["QuietUninstallString"][1]])
        seen = set()

        def ended():
            seen.update((w, winetest.window_name(w)) for w in winetest.find_windows(".*") if w not in already)
            return runner.poll() is not None
        winetest.wait_until(ended, timeout=120, interval=0.05, what="the quiet uninstaller to end")
        self.assertEqual(runner.returncode, 0)
        self.assertEqual(seen, set(), "windows shown by the quiet uninstall")
        m.wait_self_removed(FOLDER)
        winetest.wait_until(lambda: not os.path.exists(m.path(e2e.DEFAULT_FOLDER_LEVELS[0])), timeout=60,
                            what="the install folder and the folders above it to go")
        after_files, after_reg = m.snapshot()
        self.assertSameFiles(before_files, after_files)
        self.assertSameRegistry(before_reg, after_reg)


setUpModule = e2e.setUpModule  # the test's own display
tearDownModule = e2e.tearDownModule


if __name__ == "__main__":
    unittest.main()
