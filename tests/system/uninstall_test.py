"""The client's uninstaller against real installs in fresh Wine machines.

Installs are made by the real VexmoraSetup.exe, driven like a person (quick install, by
the driver of tests/wine/setupdriver.py), and, where a test needs an
install folder of its own choosing or many runs, by the engine's whole
run in tests/programs/uninstfx_install.exe (folder chain, earlier uninstaller, unpacking,
registration, encrypted journal) with the payload archive that the setup carries.
Before and after, the tests take a snapshot (machine_snapshot.py) of every file on C:
and D: (name, size, time) and of HKLM\\Software and HKCU\\Software, and compare: the
uninstaller must take away exactly what the install made, and nothing else.
"""
import os
import re
import shutil
import unittest

import winetest
import machine_snapshot as snap
from setupdriver import (APP_PATHS, DEFAULT_FOLDER, DESKTOP_LINK, MENU, PROGRAMS_MENU, RUN, UNINSTALL_32, UNINSTALLER,
                         UNINSTALLER_CAPTION, Machine, setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

FOLDER = "D:\\Vexmora Mail\\VexmoraZevlo邮箱"  # its parent is there before the install
PROGRAM_FILES = "D:\\Program Files"
# The setup makes the levels above its install folder before its journal is open, so they
# are never journalled and no uninstaller can know them: the machines have them already.
ODD_FOLDER = "D:\\Vexmora Mail\\Mail (x86) & Co;邮箱"


def in_hive(key):
    """A key below Software (of either view) as a Wine hive file names it, up to its first
    character outside ASCII (which the file escapes): backslashes doubled."""
    below = key[len("Software\\"):]
    return re.match(r"[ -~]*", below).group().replace("\\", "\\\\")


def tree(machine, folder):
    """Sorted relative paths under a folder, '/' for folders."""
    top = machine.unix(folder)
    out = []
    for root, dirs, names in os.walk(top):
        rel = os.path.relpath(root, top)
        out += [os.path.normpath(os.path.join(rel, d)) + "/" for d in dirs]
        out += [os.path.normpath(os.path.join(rel, n)) for n in names]
    return sorted(out)


class UninstallTestCase(unittest.TestCase, snap.SnapshotChecks):
    def setUp(self):
        self.m = Machine(settle=True)
        self.addCleanup(self.m.close)
        os.makedirs(self.m.unix("D:\\Vexmora Mail"))


d = snap.key_of  # 'D:\\x\\y' -> 'd:/x/y', the key of the file snapshot


class RoundTrip(UninstallTestCase):
    def test_install_then_uninstall_leaves_the_machine_as_it_was(self):
        m = self.m
        before_files, before_reg = snap.snapshot(m.p)
        m.quick_install()
        installed_files, installed_reg = snap.snapshot(m.p)
        # The install did make something, in each of the places the uninstaller cleans.
        for place in (DEFAULT_FOLDER + "\\Start.exe", MENU, DESKTOP_LINK):
            self.assertIn(d(place), installed_files)
        hklm = "\n".join(set(installed_reg["HKLM"]) - set(before_reg["HKLM"]))
        self.assertIn(in_hive(APP_PATHS), hklm)
        self.assertIn(in_hive(UNINSTALL_32), hklm)
        run = [k for k in installed_reg["HKCU"] if k.lower().endswith("currentversion\\\\run")]
        self.assertTrue(any(line.startswith('"Vexmora-PC"=') for k in run for line in installed_reg["HKCU"][k]))

        # A file of the user's own inside the install keeps its folder, and nothing else.
        with open(m.unix(DEFAULT_FOLDER + "\\data\\mine.txt"), "w") as f:
            f.write("the user's")
        self.assertEqual(m.uninstall_as_a_person(DEFAULT_FOLDER), 0)
        self.assertEqual(tree(m, DEFAULT_FOLDER), ["data/", "data/mine.txt"])
        after_files, after_reg = snap.snapshot(m.p)
        # The folders above it that the setup made stay with it, since they are not empty.
        self.assertSameFiles(before_files, after_files, extra=[
            d(PROGRAM_FILES), d(DEFAULT_FOLDER.rsplit("\\", 1)[0]),
            d(DEFAULT_FOLDER), d(DEFAULT_FOLDER + "\\data"), d(DEFAULT_FOLDER + "\\data\\mine.txt")])
        self.assertSameRegistry(before_reg, after_reg)

        # Without it the install folder goes too, and a second round leaves nothing; this
        # time in a folder whose name cmd could misread if it were not quoted.
        shutil.rmtree(m.unix(PROGRAM_FILES))
        m.engine_install(ODD_FOLDER)
        self.assertEqual(m.uninstall_as_a_person(ODD_FOLDER), 0)
        winetest.wait_until(lambda: not os.path.exists(m.unix(ODD_FOLDER)), timeout=60,
                            what="the install folder to go")
        after_files, after_reg = snap.snapshot(m.p)
        self.assertSameFiles(before_files, after_files)
        self.assertSameRegistry(before_reg, after_reg)

    def test_answering_no_removes_nothing(self):
        m = self.m
        m.engine_install(FOLDER)
        files, reg = snap.snapshot(m.p)
        proc = m.p.start([FOLDER + "\\uninstall.exe"])
        ask = winetest.wait_window(name=f"^{UNINSTALLER_CAPTION}$", timeout=60)
        winetest.key(ask, "Return")  # "No" is the default button
        self.assertEqual(proc.wait(timeout=60), 0)
        after_files, after_reg = snap.snapshot(m.p)
        self.assertSameFiles(files, after_files, extra=[d(FOLDER + "\\uninstall-ran.txt")])
        self.assertSameRegistry(reg, after_reg)


class Tampered(UninstallTestCase):
    def test_records_pointing_elsewhere_remove_nothing_there(self):
        m = self.m
        # Each of these would go if its record were followed: files, empty folders, a
        # value, an empty key.
        planted = {
            "C:\\windows\\vexmora-planted.dll": "system",
            "D:\\Vexmora Mail\\outside.txt": "beside the install",
            "C:\\users\\Public\\Desktop\\notes.txt": "a desktop file",
            "C:\\users\\Public\\Desktop\\Other Mail.lnk": "another program's shortcut",
        }
        empty_folders = ["C:\\users\\Public\\Desktop\\Empty", PROGRAMS_MENU + "\\Other Mail"]
        for path, text in planted.items():
            with open(m.unix(path), "w") as f:
                f.write(text)
        for folder in empty_folders:
            os.makedirs(m.unix(folder))
        m.p.reg_add("HKCU\\" + RUN, "OtherProgram", "REG_SZ", "C:\\other.exe")
        self.assertEqual(m.p.run(["reg", "add", "HKLM\\Software\\Planted", "/f"]).returncode, 0)
        before_files, before_reg = snap.snapshot(m.p)
        m.engine_install(FOLDER)
        refused = ["F C:\\windows\\vexmora-planted.dll",
                   "D C:\\windows",
                   "F " + FOLDER + "\\..\\outside.txt",
                   "F D:\\Vexmora Mail\\outside.txt",
                   "F C:\\users\\Public\\Desktop\\notes.txt",
                   "F C:\\users\\Public\\Desktop\\Other Mail.lnk",
                   "D C:\\users\\Public\\Desktop\\Empty",
                   "D " + PROGRAMS_MENU + "\\Other Mail",
                   "F C:\\windows\\system32\\kernel32.dll",
                   "F windows\\win.ini",
                   "R 2147483649 " + RUN + "\\OtherProgram",
                   "r 2147483650 Software\\Planted",
                   "r 2147483649 " + RUN]
        r = m.p.run([m.tool("uninstfx_journal"), FOLDER] + refused)
        self.assertEqual(r.returncode, 0, r)

        # Some records were refused: the exit code says so; the rest is undone.
        self.assertEqual(m.uninstall_silently(FOLDER), 1)
        for path, text in planted.items():
            with open(m.unix(path)) as f:
                self.assertEqual(f.read(), text, path)
        self.assertTrue(os.path.exists(m.unix("C:\\windows\\system32\\kernel32.dll")))
        for folder in empty_folders:
            self.assertTrue(os.path.isdir(m.unix(folder)), folder)
        after_files, after_reg = snap.snapshot(m.p)
        # Run silently (by a setup that is about to install again) it keeps the install
        # folder itself, with nothing in it but the note of its run and the journal, now
        # holding exactly the records it refused: none is forgotten.
        self.assertEqual(tree(m, FOLDER), ["uninstall-ran.txt", "uninstallE"])
        self.assertEqual(m.journal(FOLDER, check=False), refused)  # some are not well-formed
        self.assertSameFiles(before_files, after_files,
                             extra=[d(FOLDER), d(FOLDER + "\\uninstall-ran.txt"), d(FOLDER + "\\uninstallE")])
        self.assertSameRegistry(before_reg, after_reg)


class Links(UninstallTestCase):
    """Links made after the install leading elsewhere (Linux symbolic links: this Wine makes
    none itself), inside the install folder and above it. The uninstaller deletes through
    handles and checks where each leads first: nothing behind a link is touched, what is
    really the install's still goes, and the run says that records stayed."""

    def small_install(self, real, named, files):
        """The real uninstall.exe and `files` in the folder `real`, with a journal that
        names them, their folders and the folder above `named` as lying in `named`."""
        m = self.m
        parent = lambda path: path.rsplit("\\", 1)[0]
        os.makedirs(m.unix(real), exist_ok=True)
        shutil.copy(UNINSTALLER, m.unix(real + "\\uninstall.exe"))
        records = ["D " + parent(named), "D " + named]
        for rel in files:
            os.makedirs(os.path.dirname(m.unix(real + "\\" + rel)), exist_ok=True)
            with open(m.unix(real + "\\" + rel), "w") as f:
                f.write("the install's")
            if "\\" in rel:
                records.append("D " + named + "\\" + parent(rel))
            records.append("F " + named + "\\" + rel)
        r = m.p.run([m.tool("uninstfx_journal"), real] + records)
        self.assertEqual(r.returncode, 0, r)

    def test_nothing_behind_a_link_is_deleted(self):
        m = self.m
        # A folder inside the install swapped for a link to someone else's folder.
        self.small_install("D:\\Links\\Inst", "D:\\Links\\Inst", ["data\\x.txt", "keep.txt"])
        os.makedirs(m.unix("D:\\Victim"))
        with open(m.unix("D:\\Victim\\x.txt"), "w") as f:
            f.write("someone else's")
        shutil.rmtree(m.unix("D:\\Links\\Inst\\data"))
        os.symlink(m.unix("D:\\Victim"), m.unix("D:\\Links\\Inst\\data"))
        # And a link to that file planted as the draft of the journal the run rewrites: the
        # draft cannot be made, so the journal as it was stays.
        os.symlink(m.unix("D:\\Victim\\x.txt"), m.unix("D:\\Links\\Inst\\uninstallE.new"))
        self.assertEqual(m.uninstall_silently("D:\\Links\\Inst"), 1)
        self.assertEqual(sorted(os.listdir(m.unix("D:\\Victim"))), ["x.txt"])
        with open(m.unix("D:\\Victim\\x.txt")) as f:
            self.assertEqual(f.read(), "someone else's")
        self.assertTrue(os.path.islink(m.unix("D:\\Links\\Inst\\uninstallE.new")))
        self.assertFalse(os.path.islink(m.unix("D:\\Links\\Inst\\uninstallE")))
        os.remove(m.unix("D:\\Links\\Inst\\uninstallE.new"))
        self.assertFalse(os.path.exists(m.unix("D:\\Links\\Inst\\keep.txt")), "the install's own file stays")

        # The folder above the install swapped for a link to a copy of it: the uninstaller
        # is started through the link, and every record leads elsewhere.
        self.small_install("D:\\Real\\Inst", "D:\\Far\\Inst", ["keep.txt"])
        os.symlink(m.unix("D:\\Real"), m.unix("D:\\Far"))
        self.assertEqual(m.uninstall_silently("D:\\Far\\Inst"), 1)
        self.assertEqual(sorted(os.listdir(m.unix("D:\\Real\\Inst"))), ["keep.txt", "uninstall-ran.txt", "uninstallE"])

        # The same for the last folders, which an uninstaller run by hand removes after
        # everything else (here all that is left: its journal and note, then the folders).
        self.small_install("D:\\Real2\\Inst", "D:\\Far2\\Inst", [])
        os.symlink(m.unix("D:\\Real2"), m.unix("D:\\Far2"))
        self.assertEqual(m.uninstall_as_a_person("D:\\Far2\\Inst"), 0)
        self.assertEqual(sorted(os.listdir(m.unix("D:\\Real2\\Inst"))), ["uninstall-ran.txt", "uninstallE"])
        self.assertTrue(os.path.islink(m.unix("D:\\Far2")))


class Reinstall(UninstallTestCase):
    def content(self, folder):
        out = {}
        for rel in tree(self.m, folder):
            if not rel.endswith("/"):
                with open(os.path.join(self.m.unix(folder), rel), "rb") as f:
                    out[rel] = f.read()
        return out

    def test_reinstall_equals_a_fresh_install(self):
        m = self.m
        before_files, before_reg = snap.snapshot(m.p)
        m.quick_install()
        fresh = {"folder": self.content(DEFAULT_FOLDER), "menu": tree(m, MENU), "reg": snap.registry(m.p),
                 "desktop": os.path.exists(m.unix(DESKTOP_LINK))}

        # The second setup takes the first installation over through its journal (its
        # uninstaller does not run) and commits in the end: no backup is left.
        m.quick_install()
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER + "\\uninstall-ran.txt")))
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER + "\\uninstall.backup")))
        again = {"folder": self.content(DEFAULT_FOLDER), "menu": tree(m, MENU), "reg": snap.registry(m.p),
                 "desktop": os.path.exists(m.unix(DESKTOP_LINK))}
        # The same files with the same bytes (the journal too: same records, same key).
        self.assertEqual(sorted(again["folder"]), sorted(fresh["folder"]))
        for rel in fresh["folder"]:
            self.assertEqual(again["folder"][rel], fresh["folder"][rel], rel)
        self.assertEqual(again["menu"], fresh["menu"])
        self.assertEqual(again["desktop"], fresh["desktop"])
        self.assertSameRegistry(fresh["reg"], again["reg"])

        # And the reinstall's journal is complete: its uninstaller leaves nothing.
        self.assertEqual(m.uninstall_as_a_person(DEFAULT_FOLDER), 0)
        # The folders the first setup made above the install folder were carried into the
        # reinstall's journal: they go too, last.
        winetest.wait_until(lambda: not os.path.exists(m.unix(PROGRAM_FILES)), timeout=60,
                            what="the install folder and the folders above it to go")
        after_files, after_reg = snap.snapshot(m.p)
        self.assertSameFiles(before_files, after_files)
        self.assertSameRegistry(before_reg, after_reg)


if __name__ == "__main__":
    unittest.main()
