"""Extraction onto disks that refuse the files, in fresh prefixes, with the real failure
message boxes answered by key presses:
- a full disk (a 2 MB tmpfs mapped as E:): writing a file that does not fit asks
  Retry/Ignore/Abort naming the file, and the run never counts as a success;
- an existing read-only file (made immutable on the Linux side, since Wine run as root
  would otherwise write through it): skipped without a prompt, its record kept;
- a program without the payload resource: the run fails with the message naming the
  program's own path, and nothing is extracted."""
import os
import shutil
import subprocess
import unittest

import winetest
from setupdriver import AS_ROOT, PROGRAMS, Extraction, tmpfs

INSTALL_EVENT_PROGRESS, INSTALL_EVENT_DONE = 1, 2


@AS_ROOT
class FullDiskTest(unittest.TestCase):
    def test_write_that_does_not_fit_asks_and_never_reports_success(self):
        with tmpfs() as disk, winetest.Prefix(drives={"d": "hd", "e": ("hd", disk)}) as p:
            # big2.dat does not fit: Retry (still full, asks again), Ignore; big3.dat: Abort.
            run = Extraction(p, "fulldisk.7z", "E:\\inst", ["r", "i", "a"])
            self.assertEqual(run.returncode, 0)
            self.assertEqual(run.prompts, ["Fail to write E:\\inst\\big2.dat"] * 2
                             + ["Fail to write E:\\inst\\big3.dat"])
            self.assertEqual(run.result["completed"], "0")
            self.assertEqual(run.result["status"], "")
            progress = [v for k, v in run.events if k == INSTALL_EVENT_PROGRESS]
            self.assertEqual(progress, [0, 20], "only big0 and big1 were reported")
            self.assertEqual(run.events[-1], (INSTALL_EVENT_DONE, 0))
            self.assertEqual([k for k, _ in run.events].count(INSTALL_EVENT_DONE), 1)
            self.assertFalse(os.path.exists(os.path.join(disk, "inst", "zz-last.txt")))
            self.assertLess(os.path.getsize(os.path.join(disk, "inst", "big2.dat")), 800_000)


@AS_ROOT
class ReadOnlyTargetTest(unittest.TestCase):
    def test_read_only_file_is_skipped_silently_with_its_record(self):
        with winetest.Prefix() as p:
            folder = p.unix_path("C:\\inst")
            os.makedirs(folder)
            target = os.path.join(folder, "top.txt")
            with open(target, "w") as f:
                f.write("old")
            os.chmod(target, 0o444)  # what Wine shows as FILE_ATTRIBUTE_READONLY
            subprocess.run(["chattr", "+i", target], check=True)
            try:
                run = Extraction(p, "tree.7z", "C:\\inst")
            finally:
                subprocess.run(["chattr", "-i", target], check=False)
            self.assertEqual(run.prompts, [])
            self.assertEqual(run.result["completed"], "1")
            with open(target) as f:
                self.assertEqual(f.read(), "old")
            # Recorded as moving into the run's backup before the move was tried, so that
            # the commit keeps its record; the new copy made beside it is gone.
            self.assertTrue(any(r.startswith("B C:\\inst\\top.txt|") for r in run.journal), run.journal)
            self.assertFalse(os.path.exists(os.path.join(folder, "top.txt.vxnew")))
            self.assertEqual(len([k for k, _ in run.events if k == INSTALL_EVENT_PROGRESS]), 5)
            self.assertTrue(os.path.exists(os.path.join(folder, "a", "b", "c.txt")))



class MissingPayloadTest(unittest.TestCase):
    def test_missing_resource_fails_with_the_programs_path(self):
        with winetest.Prefix() as p:
            os.makedirs(p.unix_path("C:\\tools"))
            shutil.copy(os.path.join(PROGRAMS, "extractfx_run.exe"), p.unix_path("C:\\tools\\extractfx_run.exe"))
            os.makedirs(p.unix_path("C:\\inst"))
            run = Extraction(p, "-", "C:\\inst", program="C:\\tools\\extractfx_run.exe")
            self.assertEqual(run.result["completed"], "0")
            self.assertEqual(run.result["status"], "Fail to load resource from C:\\tools\\extractfx_run.exe")
            self.assertEqual([k for k, _ in run.events], [0, 3, 2])  # start, status, done
            self.assertEqual(run.prompts, [])
            written = [f for f in os.listdir(p.unix_path("C:\\inst")) if not f.startswith("uninstall")]
            self.assertEqual(written, [], "nothing but the journal")


if __name__ == "__main__":
    unittest.main()
