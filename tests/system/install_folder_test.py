"""The install folder a standard user made beforehand, at the default place, with every
level writable by everyone (this Wine keeps a folder's DACL as the Linux permission bits:
"writable by Everyone" is the other-write bit), holding a Start.exe of theirs, a planted
version.dll and a subfolder: the real VexmoraSetup.exe installs there with a quick install
and with a silent one. Afterwards no level that holds the client is writable by others,
the payload's files replaced theirs, and the log names every file that was there (the
planted library as a program file that is not the client's). A journal of theirs at the
journal's name, holding a run that seems unfinished, is not taken back (which would
write a value of theirs into the client's registry key) but deleted.

Then the refusals, each on a machine of its own, with the silent run: the install folder
a link (a Linux symbolic link, which this Wine reports as a reparse point), and a link
at the journal's name; nothing is written through either, and the log says why. And the
log itself: an existing file and a link at its name are never written through.
"""
import glob
import os
import re
import shutil
import stat
import subprocess
import unittest

import winetest
import setupdriver as driver
from setupdriver import DEFAULT_FOLDER, SETUP_WIN, Machine, payload_tree, setUpModule, tearDownModule  # noqa: F401

FOLDER_REFUSED, JOURNAL_NOT_WRITABLE = 4, 8
LEVELS = ["D:\\Program Files", "D:\\Program Files\\Vexmora", DEFAULT_FOLDER]
THEIRS = {"Start.exe": b"a standard user's Start.exe", "version.dll": b"planted beside the client",
          "res\\notes.txt": b"a file of theirs in a folder of theirs"}


# A journal of theirs at the journal's name, holding a run "not finished" whose old value
# would be written back if the run were taken back: a value in the client's own key.
PLANTED_RUN = ("T " + DEFAULT_FOLDER + "\r\nV 2147483650 " + driver.APP_PATHS + "\\Planted|1|" +
               "planted\0".encode("utf-16-le").hex() + "\r\n").encode("utf-8")


def make_theirs(m):
    """The folders and files above, every one writable by everyone, and their journal."""
    for rel, data in {**THEIRS, "uninstall": PLANTED_RUN}.items():
        path = m.unix(DEFAULT_FOLDER + "\\" + rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, 0o777)
    for folder in LEVELS + [DEFAULT_FOLDER + "\\res"]:
        os.chmod(m.unix(folder), 0o777)


def read_log(path):
    with open(path, "rb") as f:
        raw = f.read()
    assert raw.startswith(b"\xef\xbb\xbf"), raw[:16]
    return [re.sub(r"^\S+ \S+  ", "", line) for line in raw[3:].decode("utf-8").splitlines()]


def silent(m, *arguments):
    r = m.p.run([SETUP_WIN, "/S", *arguments], timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                capture_output=False)
    return r.returncode


class TakenOverTest(unittest.TestCase):
    def assert_administrators(self, m, log):
        folders = LEVELS + [DEFAULT_FOLDER + "\\" + rel for rel, data in payload_tree().items() if data is None]
        folders.append(DEFAULT_FOLDER + "\\res")
        for folder in folders:
            mode = stat.S_IMODE(os.stat(m.unix(folder)).st_mode)
            self.assertEqual(0, mode & 0o002, f"{folder} is writable by others: {oct(mode)}")
        with open(m.unix(DEFAULT_FOLDER + "\\Start.exe"), "rb") as f:
            self.assertEqual(payload_tree()["Start.exe"], f.read(), "their Start.exe was not replaced")
        for rel in THEIRS:
            self.assertIn(f"Found in the install folder: {DEFAULT_FOLDER}\\{rel}", log)
        self.assertIn(f"Program file not the client's, left in place: {DEFAULT_FOLDER}\\version.dll", log)
        self.assertNotIn(f"Program file not the client's, left in place: {DEFAULT_FOLDER}\\Start.exe", log)
        self.assertIn("Install folder taken over from others: " + DEFAULT_FOLDER, log)
        # Their journal is not the setup's: its run is not taken back, and it goes.
        self.assertNotIn("Planted", m.reg_values(driver.APP_PATHS_KEY))
        self.assertIn("Journal found in a folder others could change, not trusted, deleted: " + DEFAULT_FOLDER +
                      "\\uninstall", log)
        self.assertNotIn("T " + DEFAULT_FOLDER, m.journal(DEFAULT_FOLDER))

    def test_a_quick_install_takes_the_folder_over(self):
        m = Machine()
        self.addCleanup(m.close)
        make_theirs(m)
        os.makedirs(m.unix("C:\\tools"), exist_ok=True)
        setup = driver.Setup(m, m.start([SETUP_WIN, "/LOG=C:\\tools\\quick.log"]))
        setup.wait_main()
        setup.click("start")
        setup.wait_page("finish")
        setup.close()
        self.assert_administrators(m, read_log(m.unix("C:\\tools\\quick.log")))

    def test_a_silent_install_takes_the_folder_over(self):
        m = Machine()
        self.addCleanup(m.close)
        make_theirs(m)
        os.makedirs(m.unix("C:\\tools"), exist_ok=True)
        self.assertEqual(0, silent(m, "/LOG=C:\\tools\\silent.log"))
        self.assert_administrators(m, read_log(m.unix("C:\\tools\\silent.log")))


class RefusedTest(unittest.TestCase):
    def test_links_are_never_written_through(self):
        m = Machine()
        self.addCleanup(m.close)
        os.makedirs(m.unix("C:\\tools"))
        # The install folder a link to a folder of someone else's.
        victim = m.unix("D:\\Victim")
        os.makedirs(victim)
        os.chmod(victim, 0o777)
        os.makedirs(m.unix("D:\\Apps"))
        os.symlink(victim, m.unix("D:\\Apps\\Mail"))
        code = silent(m, "/LOG=C:\\tools\\link.log", "/D=D:\\Apps\\Mail")
        self.assertEqual(FOLDER_REFUSED, code)
        self.assertEqual([], os.listdir(victim))
        self.assertEqual(0o777, stat.S_IMODE(os.stat(victim).st_mode), "the folder behind the link was changed")
        log = read_log(m.unix("C:\\tools\\link.log"))
        self.assertIn("Install folder refused, a link others could change: D:\\Apps\\Mail", log)

        # A link at the journal's name, to a file of someone else's: never opened, cut or
        # deleted; the run does not begin, and nothing is unpacked.
        target = m.unix("D:\\Victim\\their.txt")
        with open(target, "wb") as f:
            f.write(b"someone else's\r\nunfinished")
        os.makedirs(m.unix("D:\\Journal\\Mail"))
        os.symlink(target, m.unix("D:\\Journal\\Mail\\uninstall"))
        self.assertEqual(JOURNAL_NOT_WRITABLE, silent(m, "/LOG=C:\\tools\\journal.log", "/D=D:\\Journal\\Mail"))
        with open(target, "rb") as f:
            self.assertEqual(b"someone else's\r\nunfinished", f.read())
        self.assertEqual(["uninstall"], os.listdir(m.unix("D:\\Journal\\Mail")))
        log = read_log(m.unix("C:\\tools\\journal.log"))
        self.assertIn("Journal refused (a link at its name, or its place cannot be told): D:\\Journal\\Mail\\uninstall",
                      log)

    def test_the_log_is_never_written_through_what_stands_at_its_name(self):
        m = Machine()
        self.addCleanup(m.close)
        os.makedirs(m.unix("C:\\tools"))
        victim = m.unix("C:\\tools\\victim.txt")
        with open(victim, "wb") as f:
            f.write(b"not a log")
        # /LOG=<file> where a link to another file stands: no log, the file untouched.
        os.symlink(victim, m.unix("C:\\tools\\linked.log"))
        self.assertEqual(1, silent(m, "/LOG=C:\\tools\\linked.log", "/BOGUS"))
        # The default name in the temporary folder, taken for the next minutes by links
        # to the victim (as a user could in C:\Windows\Temp): a new name each time.
        temp = os.path.dirname(glob.glob(os.path.join(m.p.path, "drive_c", "users", "*", "Temp"))[0] + "/")
        import datetime
        now = datetime.datetime.now()
        for second in range(-5, 180):
            stamp = (now + datetime.timedelta(seconds=second)).strftime("%Y%m%d-%H%M%S")
            os.symlink(victim, os.path.join(temp, f"VexmoraSetup-{stamp}.log"))
        self.assertEqual(1, silent(m, "/LOG", "/BOGUS"))
        with open(victim, "rb") as f:
            self.assertEqual(b"not a log", f.read())
        self.assertTrue(os.path.islink(m.unix("C:\\tools\\linked.log")))
        made = [p for p in glob.glob(os.path.join(temp, "VexmoraSetup-*-2.log")) if not os.path.islink(p)]
        self.assertEqual(1, len(made), os.listdir(temp))
        self.assertIn("Argument not understood: /BOGUS", read_log(made[0]))
        # An existing plain file at a chosen name is replaced by a new log.
        with open(m.unix("C:\\tools\\plain.log"), "wb") as f:
            f.write(b"an older log")
        self.assertEqual(1, silent(m, "/LOG=C:\\tools\\plain.log", "/BOGUS"))
        self.assertIn("Argument not understood: /BOGUS", read_log(m.unix("C:\\tools\\plain.log")))


if __name__ == "__main__":
    unittest.main(verbosity=2)
