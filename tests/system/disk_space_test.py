"""Room on the install folder's volume, with the real setup on a machine whose E: drive is a
small tmpfs. The custom page shows the space needed and free on the typed folder's drive
(red once it is too little); "start" on a folder there ends in a message with both figures
in MB and makes nothing anywhere; the same drive made just large enough (the figure shown
as needed, in whole pages) takes the whole install, its encrypted journal included.

That setup is started with Wine's task-bar object switched off and is then sent
"TaskbarButtonCreated": the object cannot be created, and the install runs as without it.
"""
import os
import re
import subprocess
import unittest

import winetest
import e2e_install_test as e2e
from extraction_fulldisk_test import small_disk
import machine_snapshot as snap

AS_ROOT = unittest.skipUnless(os.geteuid() == 0, "mount needs root")
PROGRAMS = os.path.join(winetest.BUILD, "tests", "programs")
FOLDER = "E:\\Vexmora\\邮箱"
ROOM_LABEL = (105, 260, 475, 280)  # "room" beside "安装路径：" on the custom page
NO_ROOM_CAPTION = "磁盘空间不足"
MB = 1024 * 1024


def red_pixels(picture):
    label = picture.crop(ROOM_LABEL)
    return sum(n for n, (r, g, b) in label.getcolors(1 << 16) if r > 170 and g < 130 and b < 130)


def message_box_text(m):
    r = m.p.run([os.path.join(PROGRAMS, "winfx_msgtext.exe")])
    assert r.returncode == 0, r
    return r.stdout.decode("utf-8").splitlines()


@AS_ROOT
class DiskSpaceTest(unittest.TestCase):
    def test_too_small_a_drive_refuses_with_both_figures_and_just_large_enough_installs(self):
        with small_disk("2m") as disk:
            m = e2e.Machine()
            self.addCleanup(m.close)
            m.p.map_drive("e", ("hd", disk))
            trace = os.path.join(m.p.root, "setup-trace.txt")
            env = dict(m.p.env, WINEDEBUG="-all,trace+explorerframe",
                       WINEDLLOVERRIDES=m.p.env["WINEDLLOVERRIDES"] + ";explorerframe=")
            with open(trace, "wb") as err:
                proc = subprocess.Popen(["wine", e2e.SETUP_WIN], env=env, stdout=subprocess.DEVNULL, stderr=err)
            m.started.append(proc)
            setup = e2e.Setup(m, proc)
            setup.wait_main()
            self.assertEqual(m.p.run([os.path.join(PROGRAMS, "winfx_taskbar.exe")]).returncode, 0)

            # The default folder is on D: (the host's disk): plenty of room, grey figures.
            setup.click("btn_freeinstall")
            setup.wait_page("custom")
            self.assertEqual(red_pixels(setup.picture()), 0)
            setup.type_into_path(FOLDER)
            winetest.wait_until(lambda: red_pixels(setup.picture()) > 20, timeout=30,
                                what="the figures in red for E:")
            e2e.shot(setup.wid, "main-custom-no-room")

            before = snap.files(m.p)
            setup.click("start_small")
            box = e2e.wait_message_box(NO_ROOM_CAPTION)
            caption, *text = message_box_text(m)
            self.assertEqual(caption, NO_ROOM_CAPTION)
            figures = re.search(r"安装需要 (\d+\.\d) MB，可用空间仅 (\d+\.\d) MB", "".join(text))
            self.assertIsNotNone(figures, text)
            need, free = float(figures.group(1)), float(figures.group(2))
            drive = os.statvfs(disk)
            self.assertEqual(free, int(drive.f_bavail * drive.f_frsize * 10 / MB) / 10)
            unpacked = sum(len(data) for data in e2e.payload_tree().values() if data is not None)
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
            setup.click("start_small")
            setup.wait_page("finish")
            setup.click("closebtn")
            setup.click("cancelbtn", e2e.CONFIRM_EXIT, wid=setup.prompt())
            self.assertEqual(setup.wait_exit(), 0)
            e2e.InstallationChecks.assert_payload_installed(self, m, FOLDER)  # the journal encrypted too
            with open(trace, encoding="utf-8", errors="replace") as f:
                self.assertNotIn("TaskbarList_Constructor", f.read(), "the task-bar object was made after all")


setUpModule = e2e.setUpModule  # the test's own display
tearDownModule = e2e.tearDownModule


if __name__ == "__main__":
    unittest.main()
