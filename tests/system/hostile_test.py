"""Hostile machines, each built for real in a fresh prefix, and what the setup does on them.

Extraction cases run the real install run (extractfx_run: StartInstall with the real
failure message boxes, answered by key presses) on a small fixture archive:
- a full disk (a 2 MB tmpfs as E:) during extraction,
- a read-only install folder (a tmpfs remounted read-only, as E:),
- a file held open without sharing by another program (hardfx_lock), released between
  two retries,
- a folder and a file below the install folder that are links leading elsewhere.
Registration runs the real AfterInstall (regfx_after_install) under a key whose
permissions deny new values to everyone (hardfx_regdeny; Wine enforces registry ACLs).
A client that cannot be ended (its process denies termination) meets the real setup
program's client-running prompt, driven by clicks.

Every case states the prompts expected (text, in order), whether the extraction counted as
complete, and the journal expected, read back the way the uninstaller reads it (the
encrypted companion decrypted by journal-dump), or the plain journal where the
companion could not be written. Files found on disk must all be in the journal.
"""
import contextlib
import os
import re
import shutil
import unittest

import winetest
from setupdriver import (APP_PATHS, APP_PATHS_KEY, AS_ROOT, CLIENT_RUNNING, HKCU, HKLM, JOURNAL_DUMP, MAIN, PROGRAMS,
                         REFUSAL_CAPTION, RUN, SETUP_WIN, UNINSTALL, Extraction, Locker, Machine, RECTS, run_records,
                         setUpModule, tearDownModule, tmpfs)  # noqa: F401  (module fixtures)

INSTALL_EVENT_DONE = 2
TREE_FILES = ["空文件.txt", "a\\b\\c.txt", "a\\b\\d.bin", "a\\e.txt", "top.txt", "中文目录\\邮件模板.html"]


def tree_journal(folder):
    """The journal of a complete extraction of tree.7z into an existing `folder`."""
    f = lambda rel: f"F {folder}\\{rel}"
    d = lambda rel: f"D {folder}\\{rel}"
    return [f(TREE_FILES[0]), d("a"), d("a\\b"), f(TREE_FILES[1]), f(TREE_FILES[2]), f(TREE_FILES[3]),
            f(TREE_FILES[4]), d("中文目录"), f(TREE_FILES[5])]


def replacing_top(folder, moved_aside=True):
    """The records a run writes when something is at top.txt already: the new file is
    written beside it, then swapped in, the old one moved into the run's backup (recorded
    before it moves; "N" for the backup's number), or, `moved_aside` false, once nothing
    is left there, put in its place."""
    records = tree_journal(folder)
    at = records.index(f"F {folder}\\top.txt")
    records[at:at + 1] = [f"F {folder}\\top.txt.vxnew", f"D {folder}\\uninstall.backup",
                          f"B {folder}\\top.txt|{folder}\\uninstall.backup\\N" if moved_aside
                          else f"F {folder}\\top.txt"]
    return records


def numbers_as_n(records):
    return [re.sub(r"(uninstall\.backup\\)\d+$", r"\1N", record) for record in records]


# -- machines -------------------------------------------------------------------------------
@contextlib.contextmanager
def machine_with_drive_e(read_only=False):
    with tmpfs(read_only=read_only) as disk, winetest.Prefix(drives={"d": "hd", "e": ("hd", disk)}) as p:
        yield p, "E:\\inst"


@contextlib.contextmanager
def plain_machine():
    with winetest.Prefix() as p:
        os.makedirs(p.unix_path("C:\\inst"))
        yield p, "C:\\inst"


# -- runs -----------------------------------------------------------------------------------
def journal_as_read_back(prefix, folder):
    """(how, records): the encrypted companion decrypted, else the plain journal kept
    beside it (a run that did not complete, which the next setup takes back), else
    ("none", []); without the run's own bookkeeping (setupdriver.run_records)."""
    companion = prefix.unix_path(folder + "\\uninstallE")
    if os.path.exists(companion):
        shutil.copy(JOURNAL_DUMP, prefix.unix_path("C:\\journal-dump.exe"))
        r = prefix.run(["C:\\journal-dump.exe", folder + "\\uninstallE"], timeout=60)
        return "decrypted", run_records(r.stdout.decode("utf-8").splitlines())
    plain = prefix.unix_path(folder + "\\uninstall")
    if os.path.exists(plain):
        with open(plain, "rb") as f:
            return "plain", run_records([line for line in f.read().decode("utf-8").split("\r\n") if line])
    return "none", []


def on_disk(prefix, folder):
    """Every file and folder below `folder`, as records would name them."""
    root = prefix.unix_path(folder)
    found = []
    for here, dirs, files in os.walk(root):
        rel = os.path.relpath(here, root)
        win = folder if rel == "." else folder + "\\" + rel.replace("/", "\\")
        found += [f"D {win}\\{d}" for d in dirs]
        found += [f"F {win}\\{f}" for f in files if not (rel == "." and f in ("uninstall", "uninstallE"))]
    return found


# -- the table of extraction cases ------------------------------------------------------------
def full_disk():
    """Four files of 800 kB onto 2 MB: big2.dat does not fit; Retry (still full) asks again,
    Abort ends the run. big2.dat and the copy the retry began beside it stay partial, and
    their records stand (taking the run back deletes them)."""
    with machine_with_drive_e() as (p, folder):
        run = Extraction(p, "fulldisk.7z", folder, ("r", "a"))
        yield p, folder, run, dict(
            prompts=[f"Fail to write {folder}\\big2.dat"] * 2, completed="0",
            # The retry finds the part the first try wrote and writes beside it.
            journal=[f"F {folder}\\big{i}.dat" for i in range(3)] + [f"F {folder}\\big2.dat.vxnew"],
            read_back="plain",  # no room for the encrypted companion: the plain one is kept
            present=[f"F {folder}\\big{i}.dat" for i in range(3)] + [f"F {folder}\\big2.dat.vxnew"])


def read_only_folder():
    """No file can be made, and no journal: the run does not begin (no file could be
    recorded, and one that is not would outlive every uninstall), says so, and nothing is
    made."""
    with machine_with_drive_e(read_only=True) as (p, folder):
        run = Extraction(p, "tree.7z", folder, ("r", "a"))
        assert run.result.get("status", "").startswith("The install record"), run.result
        yield p, folder, run, dict(prompts=[], completed="0", journal=[], read_back="none", present=[])


def locked_file():
    """top.txt is held by another program: asks; Retry while it is still held asks again;
    the holder lets go, Retry writes it. Its record is written once."""
    with plain_machine() as (p, folder):
        target = p.unix_path(folder + "\\top.txt")
        with open(target, "w") as f:
            f.write("old")
        locker = Locker(p, folder + "\\top.txt")

        def answer(n, message):
            if n == 1:
                locker.release()
            return "r"
        try:
            run = Extraction(p, "tree.7z", folder, answer)
        finally:
            locker.release()
        with open(target, "rb") as f:
            assert len(f.read()) == 100, "top.txt rewritten from the archive"
        yield p, folder, run, dict(
            prompts=[f"Fail to write {folder}\\top.txt"] * 2, completed="1",
            written=replacing_top(folder), journal=tree_journal(folder), read_back="decrypted",
            present=tree_journal(folder))


def links_inside_the_folder():
    """Below the install folder, "a" is a link to another folder and "top.txt" a link to
    another file (Linux symbolic links: this Wine reports the first as a reparse point, the
    second as a plain file that only the handle's final path gives away). Each entry that
    would be written through a link asks, naming it; nothing is written where it leads.
    Once the link is gone, Retry writes the entry in its place."""
    with plain_machine() as (p, folder):
        elsewhere = p.unix_path("C:\\elsewhere")
        os.makedirs(elsewhere)
        victim = os.path.join(elsewhere, "top.txt")
        with open(victim, "w") as f:
            f.write("not the setup's")
        links = [p.unix_path(folder + "\\a"), p.unix_path(folder + "\\top.txt")]
        os.symlink(elsewhere, links[0])
        os.symlink(victim, links[1])

        def answer(n, message):
            os.remove(links[n])
            return "r"
        run = Extraction(p, "tree.7z", folder, answer)
        assert os.listdir(elsewhere) == ["top.txt"], os.listdir(elsewhere)
        with open(victim) as f:
            assert f.read() == "not the setup's", "the file behind the link was written"
        message = "{} is a link to another place: nothing is written through it."
        yield p, folder, run, dict(
            prompts=[message.format(f"{folder}\\a"), message.format(f"{folder}\\top.txt")], completed="1",
            written=replacing_top(folder, moved_aside=False), journal=tree_journal(folder), read_back="decrypted",
            present=tree_journal(folder))


EXTRACTION_CASES = [full_disk, read_only_folder, locked_file, links_inside_the_folder]


@AS_ROOT
class HostileExtractionTest(unittest.TestCase):
    def test_each_machine_ends_in_a_message_or_a_retry_and_a_true_journal(self):
        self.maxDiff = None
        for case in EXTRACTION_CASES:
            with self.subTest(case.__name__):
                for p, folder, run, expected in case():
                    self.assertEqual(run.returncode, 0)
                    self.assertEqual(run.prompts, expected["prompts"])
                    self.assertEqual(run.result.get("completed"), expected["completed"])
                    kinds = [kind for kind, *_ in run.events]
                    self.assertEqual(kinds.count(INSTALL_EVENT_DONE), 1)
                    self.assertEqual(kinds[-1], INSTALL_EVENT_DONE)
                    self.assertEqual(numbers_as_n(run.journal), expected.get("written", expected["journal"]))
                    how, records = journal_as_read_back(p, folder)
                    self.assertEqual((how, records), (expected["read_back"], expected["journal"]))
                    present = on_disk(p, folder)
                    self.assertEqual(sorted(present), sorted(expected["present"]))
                    self.assertLessEqual(set(present), set(records), "everything made is journalled")


# -- registry that refuses writes -------------------------------------------------------------


class RegistryRefusesTest(unittest.TestCase):
    """A registration that is not whole is no installation: the run is not committed but
    left to be taken back (by the setup that ran it, or the next one), its journal holding
    everything registration did and nothing it was refused."""

    def run_registration(self, denied_key):
        """AfterInstall in C:\\inst (with Start.exe and uninstall.exe present) while
        HKLM\\denied_key refuses new values: (helper lines, journal lines), the journal as
        read back being the plain one of the run that was not committed."""
        with plain_machine() as (p, folder):
            for name in ("Start.exe", "uninstall.exe"):
                shutil.copy(os.path.join(PROGRAMS, "fx_waiter.exe"), p.unix_path(f"{folder}\\{name}"))
            shutil.copy(os.path.join(PROGRAMS, "regfx_after_install.exe"), p.unix_path("C:\\regfx.exe"))
            r = p.run([os.path.join(PROGRAMS, "hardfx_regdeny.exe"), denied_key, "C:\\regfx.exe", "run", folder],
                      timeout=120)
            self.assertEqual(r.returncode, 0, r.stderr[-2000:])
            lines = r.stdout.decode("utf-8").splitlines()
            journal = [line[len("journal="):] for line in lines if line.startswith("journal=")]
            self.assertIn("result=0", lines)
            self.assertIn("mutex_held=1", lines, "a failed run keeps the setup single")
            self.assertEqual(journal[0], f"T {folder}", "the run is left begun")
            self.assertEqual(journal_as_read_back(p, folder), ("plain", run_records(journal)))
            return lines, journal

    def test_refused_uninstall_values_are_skipped_and_not_journalled(self):
        lines, journal = self.run_registration(UNINSTALL)
        self.assertEqual(lines[0], "enforced=1 error=5", "the key really refuses writes")
        self.assertEqual([r for r in journal if UNINSTALL in r], [])
        self.assertIn(f"r {HKLM} {APP_PATHS}", journal)
        self.assertIn(f"R {HKLM} {APP_PATHS}\\SoftwarePath", journal)
        self.assertIn(f"R {HKCU} {RUN}\\Vexmora-PC", journal)
        self.assertEqual(sum(r.startswith("F ") for r in journal), 3, "three shortcuts")

    def test_refused_application_path_keeps_its_key_record_only(self):
        lines, journal = self.run_registration(APP_PATHS)
        self.assertEqual(lines[0], "enforced=1 error=5")
        self.assertIn(f"r {HKLM} {APP_PATHS}", journal)
        self.assertNotIn(f"R {HKLM} {APP_PATHS}\\SoftwarePath", journal)
        self.assertEqual(len([r for r in journal if UNINSTALL in r]), 12)


# -- install folders the file system would not keep or could not hold ------------------------------
# The real setup, its initial folder taken from an earlier installation's record (used as
# it stands), and the quick-install "start": each folder must give message 135 (a box
# titled with string 134) and leave nothing behind.
START_BUTTON = RECTS.centre(MAIN, "start")  # the large "start" of the quick-install page
# 240 characters: a folder CreateDirectoryW still takes (247 at most), but the payload's
# longer names (templates\\...) would pass MAX_PATH below it and be skipped without a word.
NEAR_MAX_PATH = "D:\\" + "\\".join(["v" * 49] * 4) + "\\" + "w" * 37
UNUSUAL_FOLDERS = [
    ("reserved name inside", "D:\\x\\con\\y"),
    ("reserved name last", "D:\\Vexmora\\NUL"),
    ("trailing dot", "D:\\Vexmora."),
    ("trailing blank", "D:\\Vexmora\\Mail "),
    ("missing drive", "Q:\\Vexmora"),
    ("past MAX_PATH", "D:\\" + "\\".join(["p" * 60] * 5)),
    ("near MAX_PATH", NEAR_MAX_PATH),
]


class UnusualFolderTest(unittest.TestCase):
    def test_each_folder_gives_message_135_and_makes_nothing(self):
        self.assertEqual(len(NEAR_MAX_PATH), 240)
        with winetest.PrivateDisplay(), Machine() as m:
            p = m.p
            for why, folder in UNUSUAL_FOLDERS:
                with self.subTest(why):
                    p.reg_add(APP_PATHS_KEY, "SoftwarePath", "REG_SZ", folder)
                    setup = p.start([SETUP_WIN])
                    try:
                        main = winetest.wait_window(size=RECTS.size(MAIN), timeout=90)
                        box = winetest.click_until(
                            main, *START_BUTTON, lambda: winetest.find_windows(f"^{REFUSAL_CAPTION}$"),
                            "message 135", retry_after=5)[0]
                        winetest.key(box, "Return")
                        winetest.wait_until(lambda: box not in winetest.find_windows(".*"), timeout=30,
                                            what="the message box to close")
                        self.assertEqual(os.listdir(p.drives["d"]), [], "nothing made on D:")
                        self.assertIsNone(setup.poll(), "the setup stays on its page")
                    finally:
                        setup.kill()
                        setup.wait(timeout=30)
                        # its window must be gone before the next setup's is looked for
                        winetest.wait_until(lambda: not winetest.find_windows(), timeout=60,
                                            what="the killed setup's window to go")


# -- a client that comes back -------------------------------------------------------------------


class ClientSurvivesTest(unittest.TestCase):
    """A client that cannot be ended: its process denies PROCESS_TERMINATE to everyone
    (Wine enforces process ACLs). Going on from the client-running prompt leaves it
    running, so the prompt comes back, as often as the user goes on; cancel ends setup
    with nothing installed. (A client that a watchdog restarts only races the setup's
    second look, so it is not arranged here.)"""

    def test_prompt_returns_while_the_client_survives_and_cancel_ends_setup(self):
        # Seen once under a full parallel run: the first prompt never showed in a freshly
        # cloned prefix. The case is run once more in a new prefix before it counts as
        # failed; the failure message lists the windows that were on the screen.
        try:
            self.run_case()
        except AssertionError as first:
            print(f"client-survives case failed once, trying a new machine: {first}")
            self.run_case()

    def run_case(self):
        with winetest.PrivateDisplay(), Machine() as m:
            p = m.p
            client = "C:\\client\\Vexmora-PC.exe"
            os.makedirs(p.unix_path("C:\\client"))
            shutil.copy(os.path.join(PROGRAMS, "hardfx_unkillable.exe"), p.unix_path(client))
            p.start([client])
            winetest.wait_until(lambda: os.path.exists(p.unix_path(client + ".pid")), timeout=60,
                                what="the client to run")
            setup = p.start([SETUP_WIN])
            try:
                for button in ("installbtn", "installbtn", "cancelbtn"):
                    try:
                        prompt = winetest.wait_window(size=RECTS.size(CLIENT_RUNNING), timeout=90)
                    except AssertionError as missing:
                        shown = [(w, winetest.window_name(w), winetest.window_geometry(w))
                                 for w in winetest.find_windows(".*")]
                        raise AssertionError(f"{missing}; before {button}; on screen: {shown}; "
                                             f"setup exit code {setup.poll()}") from None
                    winetest.wait_drawn(prompt)
                    winetest.click(prompt, *RECTS.centre(CLIENT_RUNNING, button))
                    # gone before the next one is looked for (X may reuse its id)
                    winetest.wait_until(lambda: prompt not in winetest.find_windows(), timeout=60,
                                        what="the prompt to close")
                self.assertEqual(setup.wait(timeout=60), 0)
                self.assertEqual(winetest.find_windows(), [], "no main window")
                self.assertEqual(os.listdir(p.drives["d"]), [], "nothing installed")
            finally:
                if setup.poll() is None:
                    setup.kill()
                    setup.wait(timeout=30)


if __name__ == "__main__":
    unittest.main()
