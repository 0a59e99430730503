"""Room on the install folder's volume, with the real setup on a machine whose E: drive is a
tmpfs of half the payload's size. The custom page shows the space needed and free on the
typed folder's drive (red once it is too little); "start" on a folder there ends in a
message with both figures in MB and makes nothing anywhere; the same drive made just large enough (the figure shown
as needed, in whole pages) takes the whole install, its encrypted journal included.

That setup is started with Wine's task-bar object switched off and is then sent
"TaskbarButtonCreated": the object cannot be created, and the install runs as without it.
"""
import os
import re
import subprocess
import unittest

import winetest
import machine_snapshot as snap
from setupdriver import (AS_ROOT, MAIN, NO_ROOM_CAPTION, PROGRAMS, RECTS, InstallationChecks, Machine, payload_tree,
                         setUpModule, shot, tearDownModule, tmpfs, wait_message_box)  # noqa: F401  (module fixtures)

FOLDER = "E:\\Vexmora\\邮箱"
ROOM_LABEL = tuple(RECTS.rect(MAIN, "room"))  # beside "安装路径：" on the custom page
MB = 1024 * 1024


def red_pixels(picture):
    label = picture.crop(ROOM_LABEL)
    return sum(n for n, (r, g, b) in label.getcolors(1 << 16) if r > 170 and g < 130 and b < 130)


@AS_ROOT
class DiskSpaceTest(unittest.TestCase, InstallationChecks):
    def test_too_small_a_drive_refuses_with_both_figures_and_just_large_enough_installs(self):
        # Half the payload's unpacked bytes: too small whatever the payload weighs.
        unpacked = sum(len(data) for data in payload_tree().values() if data is not None)
        with tmpfs(f"{unpacked // 2 // 1024}k", inst=False) as disk:
            m = Machine()
            self.addCleanup(m.close)
            m.p.map_drive("e", ("hd", disk))
            trace = os.path.join(m.p.root, "setup-trace.txt")
            env = dict(m.p.env, WINEDEBUG="-all,trace+explorerframe",
                       WINEDLLOVERRIDES=m.p.env["WINEDLLOVERRIDES"] + ";explorerframe=")
            with open(trace, "wb") as err:
                setup = m.start_setup(env=env, stderr=err)
            proc = setup.proc
            setup.wait_main()
            self.assertEqual(m.p.run([os.path.join(PROGRAMS, "winfx_taskbar.exe")]).returncode, 0)

            # The default folder is on D: (the host's disk): plenty of room, grey figures.
            setup.click("btn_freeinstall")
            setup.wait_page("custom")
            self.assertEqual(red_pixels(setup.picture()), 0)
            setup.type_into_path(FOLDER)
            winetest.wait_until(lambda: red_pixels(setup.picture()) > 20, timeout=30,
                                what="the figures in red for E:")
            shot(setup.wid, "main-custom-no-room")

            before = snap.files(m.p)
            setup.click("start", page="custom")
            box = wait_message_box(NO_ROOM_CAPTION)
            caption, *text = m.message_box_text()
            self.assertEqual(caption, NO_ROOM_CAPTION)
            figures = re.search(r"安装需要 (\d+\.\d) MB，可用空间仅 (\d+\.\d) MB", "".join(text))
            self.assertIsNotNone(figures, text)
            need, free = float(figures.group(1)), float(figures.group(2))
            drive = os.statvfs(disk)
            self.assertEqual(free, int(drive.f_bavail * drive.f_frsize * 10 / MB) / 10)
            self.assertGreaterEqual(need, unpacked / MB)
            self.assertLess(need, unpacked / MB + 0.5, "files rounded to clusters and the journal: a little more")
            winetest.key(box, "Return")
            winetest.wait_gone(box)
            # Nothing made anywhere; the setup stays on its page.
            self.assertEqual(os.listdir(disk), [])
            self.assertEqual(snap.files(m.p), before)
            self.assertIsNone(proc.poll())
            setup.wait_page("custom")

            # Just large enough: the figure shown as needed, in whole pages.
            pages = int(need * MB + 4095) // 4096
            subprocess.run(["mount", "-o", f"remount,size={pages * 4}k", disk], check=True)
            setup.click("start", page="custom")
            setup.wait_page("finish")
            setup.close()
            self.assert_payload_installed(m, FOLDER)  # the journal encrypted too
            with open(trace, encoding="utf-8", errors="replace") as f:
                self.assertNotIn("TaskbarList_Constructor", f.read(), "the task-bar object was made after all")


if __name__ == "__main__":
    unittest.main()
