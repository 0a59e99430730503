"""The elevated setup started from a Downloads folder, on a machine where a standard user
could have planted things: the real VexmoraSetup.exe in D:\\Downloads, driven through a
quick install (the driver of tests/wine/setupdriver.py).

Planted: a program named cmd.exe (tests/programs/fx_recorder.exe, which notes each start
in "cmd-cmdline.txt" beside itself) beside the setup and in its current folder, D:\\Work.
The earlier installation recorded in the registry lies in a folder that anyone may write
to (this Wine maps the Linux permission bits to the DACL it reports: mode 777 reads as
Everyone having full control); its "uninstall.exe" is the same recorder, and the folder
holds an earlier shell extension with an older "_bak" copy.

- No program named cmd.exe ever runs: the shell extension is set aside in the setup's own
  process. (The control shows that a bare "cmd" started from D:\\Downloads, or from
  another folder with D:\\Work current, does run the planted ones under this Wine.)
- The earlier uninstaller is not started elevated; a warning names its folder and the
  install goes on into it.
- The earlier extension's DLLs were renamed aside as the run's backups, and the commit
  deleted them: no "_bak" copy stays or is journalled, and the payload's own extension
  stands in their place.
- The folders the setup made carry the protected DACL: this Wine stores no descriptor, but
  it turns the DACL handed to CreateDirectoryW into permission bits, and one without an
  entry for Everyone leaves the "other" bits empty. The folder that was there, writable by
  everyone, is taken over: it is no longer.
"""
import os
import shutil
import stat
import unittest

import winetest
from setupdriver import (APP_PATHS_KEY, PROGRAMS, SETUP_CAPTION, Machine, payload_tree, shot, wait_message_box,
                         setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

RECORDER = os.path.join(PROGRAMS, "fx_recorder.exe")
DOWNLOADS = "D:\\Downloads"
WORK = "D:\\Work"
EARLIER = "D:\\Old Mail"
SHELL = {"QuillwireShell.dll": b"shell extension of an earlier install",
         "QuillwireShell64.dll": b"its 64-bit twin",
         "QuillwireShell_bak.dll": b"set aside by an install before that"}


def plant(m):
    """The plants above, in a Machine."""
    for folder in (DOWNLOADS, WORK, EARLIER):
        os.makedirs(m.unix(folder))
    shutil.copy(winetest.SETUP_EXE, m.unix(DOWNLOADS + "\\VexmoraSetup.exe"))
    for folder in (DOWNLOADS, WORK):
        shutil.copy(RECORDER, m.unix(folder + "\\cmd.exe"))
    shutil.copy(RECORDER, m.unix(EARLIER + "\\uninstall.exe"))
    for name, data in SHELL.items():
        with open(m.unix(f"{EARLIER}\\{name}"), "wb") as f:
            f.write(data)
    os.chmod(m.unix(EARLIER), 0o777)
    m.p.reg_add(APP_PATHS_KEY, "SoftwarePath", "REG_SZ", EARLIER)


def ran(m, folder, name):
    """Whether the recorder planted as folder\\name.exe was started."""
    return m.exists(f"{folder}\\{name}-cmdline.txt")


class PlantedProgramsTest(unittest.TestCase):
    def test_a_quick_install_starts_nothing_a_standard_user_planted(self):
        m = Machine()
        self.addCleanup(m.close)
        plant(m)

        setup = m.start_setup(DOWNLOADS + "\\VexmoraSetup.exe", cwd=m.unix(WORK))
        setup.wait_main()
        setup.click("start")  # quick install into the recorded folder
        warning = wait_message_box(SETUP_CAPTION, timeout=90)
        winetest.wait_drawn(warning)
        shot(warning, "message-earlier-kept")
        self.assertFalse(ran(m, EARLIER, "uninstall"), "the earlier uninstaller ran")
        winetest.key(warning, "Return")
        setup.wait_page("finish")
        setup.close()

        for folder in (DOWNLOADS, WORK):
            self.assertFalse(ran(m, folder, "cmd"), f"the cmd.exe planted in {folder} ran")
        self.assertFalse(ran(m, EARLIER, "uninstall"), "the earlier uninstaller ran")
        for bak, name in (("QuillwireShell_bak.dll", "QuillwireShell.dll"),
                          ("QuillwireShell64_bak.dll", "QuillwireShell64.dll")):
            self.assertFalse(m.exists(f"{EARLIER}\\{bak}"), f"{bak} outlived the commit")
            with open(m.unix(f"{EARLIER}\\{name}"), "rb") as f:
                self.assertEqual(payload_tree()[name], f.read(), name)
        records = m.journal(EARLIER)
        self.assertEqual([], [r for r in records if "_bak" in r or "uninstall.backup" in r])

        # The folder others could write to was taken over before anything was written.
        self.assertEqual(0, stat.S_IMODE(os.stat(m.unix(EARLIER)).st_mode) & 0o002, "the folder was not taken over")
        made = [rel for rel, data in payload_tree().items() if data is None]
        self.assertTrue(made)
        for rel in made:
            mode = stat.S_IMODE(os.stat(m.unix(f"{EARLIER}\\{rel}")).st_mode)
            self.assertEqual(0, mode & 0o007, f"{rel}: {oct(mode)}")

        # The control: under this Wine, a bare "cmd" started by a program in D:\\Downloads
        # runs the plant beside it; started from elsewhere, the one in the current folder.
        os.makedirs(m.unix("C:\\elsewhere"))
        for folder in (DOWNLOADS, "C:\\elsewhere"):
            shutil.copy(RECORDER, m.unix(folder + "\\control.exe"))
            m.p.run([folder + "\\control.exe", "--start", "cmd", "/c", "exit"], cwd=m.unix(WORK))
            self.assertTrue(ran(m, folder, "control"))
        self.assertTrue(ran(m, DOWNLOADS, "cmd"), "the plant beside the starting program")
        self.assertTrue(ran(m, WORK, "cmd"), "the plant in the current folder")


if __name__ == "__main__":
    unittest.main(verbosity=2)
