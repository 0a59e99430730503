"""The uninstall entry as Windows and its tools read it, after a quick install by the real
setup: each value with its type, the product in Wine's own list of installed programs
(`uninstaller --list`), and the entry's "QuietUninstallString" run as the system runs a
stored command: it opens no window and leaves the machine as it was before the install
(files of C: and D:, HKLM and HKCU, compared by the snapshots of machine_snapshot.py).

The same install has a task-bar button: a helper plays the shell's part and sends the
window "TaskbarButtonCreated", the setup then makes Wine's real ITaskbarList3 (whose
methods are stubs that trace their first call) and the install runs through to its end.
"""
import os
import re
import unittest

import winetest
import machine_snapshot as snap
from setupdriver import (DEFAULT_FOLDER, DEFAULT_FOLDER_LEVELS, ENTRY_KEY, ENTRY_NAME, PRODUCT, PROGRAMS,
                         Machine, entry_values, file_version, payload_tree, setUpModule, tearDownModule)  # noqa: F401

FOLDER = DEFAULT_FOLDER
# Wine's task-bar object, traced: made, started, and its first progress calls (normal, 0).
TASKBAR_TRACE = ["TaskbarList_Constructor Created ITaskbarList4", "taskbar_list_HrInit",
                 "taskbar_list_SetProgressState iface .* flags 2 stub", "taskbar_list_SetProgressValue .* ullCompleted 0,"]


class UninstallEntryTest(unittest.TestCase, snap.SnapshotChecks):
    def setUp(self):
        self.m = Machine(settle=True)
        self.addCleanup(self.m.close)

    def install_with_a_taskbar_button(self, trace):
        m = self.m
        env = dict(m.p.env, WINEDEBUG="-all,trace+explorerframe,fixme+explorerframe")
        with open(trace, "wb") as err:
            setup = m.start_setup(env=env, stderr=err)
        setup.wait_main()
        r = m.p.run([os.path.join(PROGRAMS, "winfx_taskbar.exe")])
        self.assertEqual(r.returncode, 0, r)
        setup.click("start")
        setup.wait_page("finish")
        setup.close()

    def test_entry_values_list_and_quiet_command(self):
        m = self.m
        before_files, before_reg = snap.snapshot(m.p)
        trace = os.path.join(m.p.root, "setup-trace.txt")
        self.install_with_a_taskbar_button(trace)
        with open(trace, encoding="utf-8", errors="replace") as f:
            traced = f.read()
        for call in TASKBAR_TRACE:
            self.assertRegex(traced, call)
        for name in ("Start.exe", "uninstall.exe", "uninstallE"):
            self.assertTrue(os.path.exists(m.unix(f"{FOLDER}\\{name}")), name)

        values = m.reg_values(ENTRY_KEY)
        unpacked = sum(len(data) for data in payload_tree().values() if data is not None)
        kind, size = values["EstimatedSize"]
        self.assertEqual(kind, "dword")
        self.assertLess(abs(size * 1024 - unpacked), unpacked / 100, "within 1 % of the unpacked payload")
        self.assertEqual(values, entry_values(FOLDER, file_version(), size))

        # Wine's list of installed programs: key name and display name (its console shows
        # the Chinese characters as "?").
        listed = m.p.run(["uninstaller", "--list"]).stdout.decode("utf-8", "replace").splitlines()
        ascii_part = lambda name: re.escape(re.match(r"[\x20-\x7e]*", name).group())
        listing = f"^{ascii_part(ENTRY_NAME)}.*\\|\\|\\|{ascii_part(PRODUCT)}"
        self.assertTrue([line for line in listed if re.match(listing, line)], listed)

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
        winetest.wait_until(lambda: not os.path.exists(m.unix(DEFAULT_FOLDER_LEVELS[0])), timeout=60,
                            what="the install folder and the folders above it to go")
        after_files, after_reg = snap.snapshot(m.p)
        self.assertSameFiles(before_files, after_files)
        self.assertSameRegistry(before_reg, after_reg)


if __name__ == "__main__":
    unittest.main()
