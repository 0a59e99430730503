"""An update that fails leaves the earlier version exactly as it was: one table of the ways
a run over an installed version can fail, each run for real and checked the same way.

Version 1 is the setup as built, installed silently into its default folder. Version 2 is
the same setup program with another payload, made here: version 1's files with one
changed, one added, one gone and a large one added (so that a run takes long enough to be
stopped part way), packed by 7zz and put into a copy of the setup by the system's
resource updater (tests/programs/fx_setpayload). Each row runs version 2 over version 1
and makes it fail its way; then every file of version 1's folder (its journal included)
must have the bytes it had, and its shortcuts, uninstall entry, application path and
log-on value their data. A row that ends the setup from outside (killed, logged off)
starts the setup again first, which takes the run back before its window opens. The rows
of a disk that fills have version 1 on a small disk of their own (E:, a tmpfs mounted for
real, so root only), filled by another program once the run has begun.

The rows are split into groups, one test program each (update_*_test.py), so that ctest
runs them side by side; a group's rows share one machine, each starting from version 1 as
the row before left it. A group ends with the removal of version 1 through Wine's
Programs and Features, which must leave the machine as it was before version 1; the
success row instead checks version 2 byte for byte with nothing of version 1 left, and
its removal.
"""
import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest
from collections import namedtuple

import winetest
import machine_snapshot as snap
from removable import fill_disk, remove
from setupdriver import (APP_PATHS_KEY, CLIENT_LINK, DEFAULT_FOLDER, DESKTOP_LINK, ENTRY_KEY, FAILURE_CAPTION,
                         CANCELLED_CAPTION, PRODUCT, RUN, SETUP_WIN, UNINSTALL_LINK, WOW, Locker, Machine,
                         damaged_setup, file_version, payload_tree, setUpModule, tearDownModule)  # noqa: F401

VERSION2_WIN = "C:\\VexmoraSetup2.exe"
DAMAGED2_WIN = "C:\\VexmoraSetupDamaged2.exe"
LOG_WIN = "C:\\tools\\update.log"
# Version 2's payload against version 1's: what changes, what comes, what goes.
CHANGED = "res\\lang\\en-US.xml"
ADDED = "res\\lang\\added-in-2.txt"
LARGE = "data\\large-in-2.bin"  # incompressible, so that writing it takes a while
# Version 1's folder on the small disk of the rows where it fills.
DISK_FOLDER = "E:\\inst\\VexmoraZevlo邮箱"



def folder_of(m):
    """Where version 1 is installed on `m`."""
    return getattr(m, "update_folder", DEFAULT_FOLDER)


# The exit codes of app/ExitCodes.h that the rows meet.
SUCCESS, EXTRACTION_FAILED, REGISTRATION_FAILED = 0, 6, 10


def version2_tree():
    """{relative path: bytes or None (a folder)} of version 2, and the file version 1 has
    that version 2 does not."""
    tree = dict(payload_tree())
    gone = next(rel for rel, data in sorted(tree.items()) if data is not None and rel.startswith("templates\\"))
    del tree[gone]
    tree[CHANGED] = b"version 2\r\n" + (tree[CHANGED] or b"")
    tree[ADDED] = "版本 2 新增\r\n".encode("utf-8")
    tree[LARGE] = os.urandom(24 * 1024 * 1024)
    return tree, gone


def pack(tree, archive):
    """A solid 7z archive of `tree` (folders as entries of their own)."""
    with tempfile.TemporaryDirectory() as stage:
        for rel, data in tree.items():
            path = os.path.join(stage, *rel.split("\\"))
            if data is None:
                os.makedirs(path, exist_ok=True)
                continue
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        names = sorted(os.listdir(stage))
        subprocess.run(["7zz", "a", "-t7z", "-mx=1", "-bso0", "-bsp0", archive] + names, cwd=stage, check=True,
                       timeout=300)


def make_version2(m):
    """Version 2's setup at VERSION2_WIN, and a copy of it damaged late at DAMAGED2_WIN;
    version 2's tree and the file it drops."""
    tree, gone = version2_tree()
    archive = m.unix("C:\\tools\\payload2.7z")
    os.makedirs(os.path.dirname(archive), exist_ok=True)
    pack(tree, archive)
    shutil.copy(winetest.SETUP_EXE, m.unix(VERSION2_WIN))
    r = m.p.run([m.tool("fx_setpayload"), VERSION2_WIN, "C:\\tools\\payload2.7z"], timeout=180)
    assert r.returncode == 0, r
    damaged = damaged_setup(os.path.dirname(m.unix(DAMAGED2_WIN)), late=True, name=os.path.basename(
        m.unix(DAMAGED2_WIN)), source=m.unix(VERSION2_WIN))
    assert os.path.exists(damaged)
    return tree, gone


def file_hashes(m, folder):
    """{relative path: sha256 hex, or "dir"} of every file and folder under `folder`."""
    top = m.unix(folder)
    found = {}
    for root, dirs, names in os.walk(top):
        rel = os.path.relpath(root, top)
        for d in dirs:
            found[os.path.normpath(os.path.join(rel, d)).replace("/", "\\")] = "dir"
        for n in names:
            with open(os.path.join(root, n), "rb") as f:
                found[os.path.normpath(os.path.join(rel, n)).replace("/", "\\")] = hashlib.sha256(f.read()).hexdigest()
    return found


def installed_state(m):
    """What an installed version is, as the rows compare it."""
    links = {}
    for link in (CLIENT_LINK, UNINSTALL_LINK, DESKTOP_LINK):
        path = m.unix(link)
        links[link] = None
        if os.path.exists(path):
            with open(path, "rb") as f:
                links[link] = hashlib.sha256(f.read()).hexdigest()
    registry = {key: m.reg_values(key) for key in (ENTRY_KEY, APP_PATHS_KEY, "HKCU\\" + RUN, WOW + RUN[9:])}
    # The journal's records too, so that a difference in its bytes shows what it is.
    return {"files": file_hashes(m, folder_of(m)), "journal": m.journal(folder_of(m)), "links": links,
            "registry": registry}


def silent(m, setup, *more, timeout=600):
    """A silent run of `setup` (with `more` arguments); its exit code."""
    r = m.p.run([setup, "/S", "/LOG=" + LOG_WIN, *more], timeout=timeout, capture_output=False,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return r.returncode


def journal_text(m):
    """The plain journal of the install folder as it stands (the run's records while it
    goes on); empty when there is none."""
    try:
        with open(m.unix(folder_of(m) + "\\uninstall"), "rb") as f:
            return f.read().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


def answer_box(caption, key):
    box = winetest.wait_window(f"^{caption}$", timeout=120)
    winetest.key(box, key)
    winetest.wait_gone(box)


# --- the rows ------------------------------------------------------------------------------------
def silent_held(t, m):
    """A file version 2 replaces is held by another program: five tries, then the exit code."""
    locker = Locker(m.p, folder_of(m) + "\\" + CHANGED)
    try:
        t.assertEqual(silent(m, VERSION2_WIN), EXTRACTION_FAILED)
    finally:
        locker.release()


def windowed_held(answer):
    """The same with the windows: the user answers the failure box with `answer`
    (Abort, or Ignore, which leaves a file of version 1 among version 2's: no update)."""
    def row(t, m):
        locker = Locker(m.p, folder_of(m) + "\\" + CHANGED)
        try:
            setup = m.start_setup(VERSION2_WIN)
            setup.wait_main()
            setup.click("start")
            answer_box(FAILURE_CAPTION, answer)
            answer_box(CANCELLED_CAPTION if answer == "a" else FAILURE_CAPTION, "Return")
            setup.wait_page("default")
            setup.close()
        finally:
            locker.release()
    return row


def silent_damaged(t, m):
    t.assertEqual(silent(m, DAMAGED2_WIN), EXTRACTION_FAILED)


def windowed_damaged(t, m):
    setup = m.start_setup(DAMAGED2_WIN)
    setup.wait_main()
    setup.click("start")
    answer_box(FAILURE_CAPTION, "a")
    answer_box(CANCELLED_CAPTION, "Return")
    setup.wait_page("default")
    setup.close()


def on_a_disk_that_fills(windowed):
    """Another program fills the disk (leaving 1 MiB, less than version 2's large file)
    once the run has begun, after the setup found room: silent, the run ends with its exit
    code; windowed, the user answers the failure box with Abort."""
    def row(t, m):
        if windowed:
            setup = m.start_setup(VERSION2_WIN)
            setup.wait_main()
            setup.click("start")
            proc = setup.proc
        else:
            proc = m.start([VERSION2_WIN, "/S", "/LOG=" + LOG_WIN])
        winetest.wait_until(lambda: records("T")(journal_text(m)) or proc.poll() is not None, timeout=300,
                            interval=0.005, what="the run to begin")
        filler = fill_disk(m.disk, leave=1 << 20)
        try:
            if windowed:
                answer_box(FAILURE_CAPTION, "a")
                answer_box(CANCELLED_CAPTION, "Return")
                setup.wait_page("default")
                setup.close()
            else:
                # Where the full disk stops the run depends on how far it got: usually a
                # file of version 2; on a slow machine, the journal's records at registration.
                # Either way the run is taken back whole.
                t.assertIn(proc.wait(timeout=600), (EXTRACTION_FAILED, REGISTRATION_FAILED))
        finally:
            os.remove(filler)
    return row


def killed(when):
    """A silent run of version 2 killed as soon as its journal shows `when` (a test on the
    journal's text). Then the setup is started again, which takes the run back before its
    main window opens, and closed."""
    def row(t, m):
        proc = m.start([VERSION2_WIN, "/S", "/LOG=" + LOG_WIN])
        winetest.wait_until(lambda: when(journal_text(m)) or proc.poll() is not None, timeout=300, interval=0.005,
                            what="the run to reach its point")
        t.assertIsNone(proc.poll(), "the run ended before the point was reached")
        proc.kill()
        proc.wait(timeout=120)
        t.assertIn("T ", journal_text(m), "the run left its journal")
        again = m.start_setup(SETUP_WIN)
        again.wait_main()
        again.close()
    return row


def logged_off_at_the_failure_box(t, m):
    """A windowed run meets a file of version 1 that another program holds, and while its
    failure box waits for an answer the session ends (Wine's log-off, which then starts
    the Run key's client as at a new log-on: the user closes it). The run stops where it
    is; the next start of the setup takes it back before its main window opens."""
    locker = Locker(m.p, folder_of(m) + "\\" + CHANGED)
    try:
        setup = m.start_setup(VERSION2_WIN)
        setup.wait_main()
        setup.click("start")
        winetest.wait_window(f"^{FAILURE_CAPTION}$", timeout=120)
        m.p.run(["wineboot", "--end-session", "--force"], timeout=120, capture_output=False,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        setup.proc.wait(timeout=120)
    finally:
        locker.release()
    client = winetest.wait_window(f"^{PRODUCT}$", timeout=90)
    m.p.run(["taskkill", "/f", "/im", "Vexmora-PC.exe"])
    winetest.wait_gone(client)
    t.assertIn("T ", journal_text(m), "the run left its journal")
    again = m.start_setup(SETUP_WIN)
    again.wait_main()
    again.close()


def records(kind, at_least=1):
    return lambda text: sum(1 for line in text.split("\r\n") if line.startswith(kind + " ")) >= at_least


def writing_the_large_file(text):
    """The record of version 2's large file is written just before the file is."""
    return f"F {DEFAULT_FOLDER}\\{LARGE}\r\n" in text


def registering(text):
    """The uninstall entry's first value, recorded (V, then R) as registration writes it;
    the run's first record of the machine's keys, "SoftwarePath" at its start, is not."""
    return " 2147483650 Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" in text


Row = namedtuple("Row", "group situation run")

ROWS = [
    Row("silent", "a held file, tried five times", silent_held),
    Row("silent", "a payload damaged late", silent_damaged),
    Row("windowed", "a held file, Abort", windowed_held("a")),
    Row("windowed", "a held file, Ignore", windowed_held("i")),
    Row("windowed", "a payload damaged late, Abort", windowed_damaged),
    Row("disk", "a disk that fills, silent", on_a_disk_that_fills(windowed=False)),
    Row("disk", "a disk that fills, Abort", on_a_disk_that_fills(windowed=True)),
    Row("ended", "killed as it began", killed(records("T"))),
    Row("ended", "killed while version 1's files move aside", killed(records("B", 3))),
    Row("ended", "killed while version 2's files are written", killed(writing_the_large_file)),
    Row("ended", "killed during registration", killed(registering)),
    Row("ended", "logged off while a failure box waits", logged_off_at_the_failure_box),
]


class UpdateTable(unittest.TestCase, snap.SnapshotChecks):
    """Runs the rows of one group over version 1 on one machine, then removes version 1.
    VEXMORA_ROWS=text runs only the rows whose situation contains it."""
    group = None

    def test_each_failure_leaves_version_1_as_it_was(self):
        self.maxDiff = None
        m = Machine(settle=True)
        self.addCleanup(m.close)
        if self.group == "disk":
            m.disk = m.add_disk("e", "48m")  # room for version 2 until it is filled
            m.update_folder = DISK_FOLDER
        make_version2(m)
        clean = snap.snapshot(m.p)
        self.assertEqual(silent(m, SETUP_WIN, "/D=" + folder_of(m)), SUCCESS)
        version1 = installed_state(m)
        self.assertIn("uninstallE", version1["files"])
        only = os.environ.get("VEXMORA_ROWS", "")
        for row in [r for r in ROWS if r.group == self.group and only in r.situation]:
            with self.subTest(row.situation):
                try:
                    row.run(self, m)
                finally:
                    m.end_started()
                self.assertEqual(installed_state(m), version1)
        remove(m, "update-" + self.group)
        winetest.wait_until(lambda: snap.file_changes(clean[0], snap.files(m.p)) == ([], [], []), timeout=60,
                            what="the uninstaller's last folders to go")
        after = snap.snapshot(m.p)
        self.assertSameFiles(clean[0], after[0])
        self.assertSameRegistry(clean[1], after[1])


class SuccessfulUpdate(unittest.TestCase, snap.SnapshotChecks):
    """Version 2 over version 1, to its end: version 2 byte for byte, nothing of version 1
    that version 2 does not have, no backup left, one uninstall entry; removed, the machine
    is as it was before version 1."""

    def test_version_2_replaces_version_1_whole(self):
        m = Machine(settle=True)
        self.addCleanup(m.close)
        tree, gone = make_version2(m)
        clean = snap.snapshot(m.p)
        self.assertEqual(silent(m, SETUP_WIN), SUCCESS)
        self.assertEqual(silent(m, VERSION2_WIN), SUCCESS)
        files = file_hashes(m, DEFAULT_FOLDER)
        expected = {rel: "dir" if data is None else hashlib.sha256(data).hexdigest() for rel, data in tree.items()}
        self.assertEqual({rel: h for rel, h in files.items() if rel != "uninstallE"}, expected)
        self.assertNotIn(gone, files)
        self.assertEqual(m.reg_values(ENTRY_KEY)["DisplayVersion"], ("sz", file_version()))
        journal = m.journal(DEFAULT_FOLDER)
        self.assertFalse([r for r in journal if r[0] in "TBV"], "no record of the run is left")
        self.assertNotIn(f"F {DEFAULT_FOLDER}\\{gone}", journal)
        remove(m, "update-success")
        winetest.wait_until(lambda: snap.file_changes(clean[0], snap.files(m.p)) == ([], [], []), timeout=60,
                            what="the uninstaller's last folders to go")
        after = snap.snapshot(m.p)
        self.assertSameFiles(clean[0], after[0])
        self.assertSameRegistry(clean[1], after[1])
