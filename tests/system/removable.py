"""Every installation stays removable: one table of the ways a run of the setup can end,
each row run for real and checked the same way.

For each row: a snapshot of the machine (machine_snapshot.py: the files of C: and of every
mapped drive, shortcuts included, and HKLM\\Software and HKCU\\Software), then the real
VexmoraSetup.exe driven as a person would (tests/wine/setupdriver.py), ended the
way the row says (closed, killed, logged off with Wine's `wineboot --end-session --force`,
aborted on a full disk, started again...), then the installation removed the way users
remove programs: Wine's own Programs and Features, `wine uninstaller --remove
"Quillwire-Vexmora专用版"`, which runs the entry's "UninstallString" as Windows does, its
question answered with Yes and its report closed. The machine must then be as it was.
Nothing may be left but what the user made, and the rows remove that themselves.

The rows are split into groups, one test program each (removable_*_test.py), so that
ctest runs them side by side; within a group the rows share one machine, each starting
from the snapshot the row before it ended with.
"""
import contextlib
import os
import subprocess
import unittest
from collections import namedtuple

import winetest
import machine_snapshot as snap
from setupdriver import (CANCELLED_CAPTION, CLIENT_LINK, DEFAULT_FOLDER, DESKTOP_LINK, ENTRY_KEY, ENTRY_NAME,
                         FAILURE_CAPTION, MENU, PAYLOAD_ARCHIVE, PRODUCT, REFUSAL_CAPTION, RUN, SETUP_CAPTION,
                         UNINSTALL_32, UNINSTALL_LINK, UNINSTALLER_CAPTION, APP_PATHS_KEY, Locker, Machine,
                         entry_values, file_version, page_of, payload_kilobytes, payload_tree, registration_records,
                         setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

OTHER_FOLDER = "D:\\Other Mail\\VexmoraZevlo邮箱"
DISK_FOLDER = "E:\\inst\\VexmoraZevlo邮箱"


# --- a person at the setup ----------------------------------------------------------------
def open_setup(m):
    setup = m.start_setup()
    setup.wait_main()
    return setup


def choose_folder(setup, folder):
    """The custom page, with `folder` pasted into "path"."""
    if page_of(setup.picture()) != "custom":
        setup.click("btn_freeinstall")
        setup.wait_page("custom")
    setup.type_into_path(folder)


def install(m, folder=None):
    """A setup run to its finish page: a quick install, or a custom one into `folder`."""
    setup = open_setup(m)
    if folder is None:
        setup.click("start")
    else:
        choose_folder(setup, folder)
        setup.click("start", page="custom")
    setup.wait_page("finish")
    return setup


def answer_box(caption, key, shot):
    box = winetest.wait_window(f"^{caption}$", timeout=90)
    winetest.screenshot(box, "e2e-removable-" + shot)
    winetest.key(box, key)
    winetest.wait_gone(box)


def refused(setup, folder, shot):
    """"start" with `folder` gives the refusal box, which is closed."""
    choose_folder(setup, folder)
    setup.click("start", page="custom")
    answer_box(REFUSAL_CAPTION, "Return", shot)


# --- Programs and Features ----------------------------------------------------------------
def remove(m, shot):
    """Wine's Programs and Features removes the entry: the uninstaller asks (Yes), works
    and reports (closed)."""
    proc = m.p.start(["uninstaller", "--remove", ENTRY_NAME])
    try:
        ask = winetest.wait_window(f"^{UNINSTALLER_CAPTION}$", timeout=90)
        winetest.key(ask, "y")
        report = winetest.wait_window(f"^{UNINSTALLER_CAPTION}$", timeout=90, exclude=(ask,))
        winetest.screenshot(report, "e2e-removable-" + shot)
        winetest.key(report, "Return")
        winetest.wait_gone(report)
        proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()


def fill_disk(where, leave=0):
    """A file of the user's on the disk at `where` that leaves `leave` bytes free (none:
    not even room for one more byte)."""
    path = os.path.join(where, "filler.bin")
    stat = os.statvfs(where)
    size = max(0, stat.f_bavail * stat.f_frsize - leave)
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    try:
        os.write(fd, bytes(size))
        while not leave:
            os.write(fd, bytes(4096))
    except OSError:  # full: as meant
        pass
    finally:
        os.close(fd)
    return path


# --- what the rows check on the way ------------------------------------------------------------
def assert_one_spelling(t, m, folder):
    """`folder` is what was registered and recorded, and every record of the install
    folder and of the levels above it spells it so."""
    t.assertEqual(m.reg_values(APP_PATHS_KEY).get("SoftwarePath"), ("sz", folder))
    t.assertEqual(m.reg_values(ENTRY_KEY).get("UninstallString"), ("sz", f'"{folder}\\uninstall.exe"'))
    drive = folder[:3]
    for record in m.journal(folder):
        path = record[2:]
        if record[0] in "DF" and path.startswith(drive):
            t.assertTrue(path.startswith(folder + "\\") or (folder + "\\").startswith(path + "\\"), record)


# --- the rows ---------------------------------------------------------------------------------
def closed_normally(t, m):
    install(m).close()
    remove(m, "closed")


def killed_on_the_finish_page(t, m):
    setup = install(m)
    # Registration finished the journal before it let another setup start.
    t.assertTrue(m.exists(DEFAULT_FOLDER + "\\uninstallE"))
    t.assertFalse(m.exists(DEFAULT_FOLDER + "\\uninstall"))
    setup.proc.kill()
    setup.proc.wait(timeout=30)
    winetest.wait_gone(setup.wid)
    remove(m, "killed")


def logged_off_on_the_finish_page(t, m):
    setup = install(m)
    # Not captured: the programs the log-on starts would hold the pipes open.
    m.p.run(["wineboot", "--end-session", "--force"], timeout=120, capture_output=False,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    setup.wait_exit()
    # As at a new log-on the Run key starts the client; the user closes it before removing.
    client = winetest.wait_window(f"^{PRODUCT}$", timeout=90)
    m.p.run(["taskkill", "/f", "/im", "Vexmora-PC.exe"])
    winetest.wait_gone(client)
    remove(m, "logged-off")


def file_in_use_then_removed_again(t, m):
    install(m).close()
    held = DEFAULT_FOLDER + "\\Vexmora-PC.exe"
    locker = Locker(m.p, held)
    try:
        remove(m, "file-in-use")
        # Not undone, so not forgotten: the file and its record, marked for deletion at the
        # next restart, and the entry that starts the uninstaller again, with the uninstaller.
        t.assertTrue(m.exists(held))
        t.assertTrue(m.exists(DEFAULT_FOLDER + "\\uninstall.exe"))
        t.assertIn(f"F {held}", m.journal(DEFAULT_FOLDER))
        t.assertIn(held, m.pending_deletes())
        t.assertIn("UninstallString", m.reg_values(ENTRY_KEY))
    finally:
        locker.release()
    remove(m, "second-attempt")


def reinstalled_over_a_pending_delete(t, m):
    """The removal marks a held file for deletion at the next restart; an install into the
    same folder before that restart cancels the mark for every file it writes, so the
    restart (Wine's, which carries the marks out) leaves the new installation whole."""
    install(m).close()
    held = DEFAULT_FOLDER + "\\Vexmora-PC.exe"
    locker = Locker(m.p, held)
    try:
        remove(m, "pending-delete")
        t.assertIn(held, m.pending_deletes())
    finally:
        locker.release()
    install(m).close()
    t.assertNotIn(held, m.pending_deletes())
    m.p.run(["wineboot", "-r"], timeout=120, capture_output=False, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
    t.assertTrue(m.exists(held), "the restart deleted a file of the new installation")
    remove(m, "after-restart")


def typed_as(spelling, folder):
    """A custom install into `spelling(m)`, which must come out as `folder`."""
    def row(t, m):
        setup = install(m, spelling(m))
        assert_one_spelling(t, m, folder)
        setup.close()
        remove(m, "spelling")
    return row


def recorded_with_a_trailing_backslash(t, m):
    m.p.reg_add(APP_PATHS_KEY, "SoftwarePath", "REG_SZ", "D:\\Apps\\Mail\\")
    setup = install(m)  # quick: into the folder recorded by an earlier installation
    assert_one_spelling(t, m, "D:\\Apps\\Mail")
    setup.close()
    remove(m, "recorded")


def drive_root(t, m):
    setup = open_setup(m)
    refused(setup, "D:\\", "drive-root")
    setup.close()


def failed_chains_then_an_install(t, m):
    setup = open_setup(m)
    refused(setup, "D:\\Mail\\Vex|mora", "bad-name")
    t.assertFalse(m.exists("D:\\Mail"))
    if m.few_inodes:  # F: holds two more folders: A and B are made, C is not
        refused(setup, "F:\\inst\\A\\B\\C", "chain-half-way")
        t.assertEqual(os.listdir(os.path.join(m.few_inodes, "inst")), [])
    choose_folder(setup, OTHER_FOLDER)
    setup.click("start", page="custom")
    setup.wait_page("finish")
    setup.close()
    remove(m, "after-refusals")


def reinstall_elsewhere(t, m):
    install(m).close()
    setup = install(m, OTHER_FOLDER)
    # The earlier installation's uninstaller ran, then its folders went with its note.
    t.assertFalse(m.exists("D:\\Program Files"))
    setup.close()
    remove(m, "reinstalled")


# The setup measures the room before it makes anything, and refuses a disk that is full
# already. A disk that fills while the setup runs (another program writes to it) is made
# so: a newer version is recorded, and the disk is filled while the setup asks about it,
# after its room check; the user answers Yes.


def start_and_fill_the_disk(m, setup, leave=0):
    """"start_small" into DISK_FOLDER, the disk filled (see fill_disk) once the setup has
    found room; its filler."""
    m.p.reg_add(ENTRY_KEY, "DisplayVersion", "REG_SZ", "99.0.0.0")
    choose_folder(setup, DISK_FOLDER)
    setup.click("start", page="custom")
    question = winetest.wait_window(f"^{SETUP_CAPTION}$", timeout=90)
    filler = fill_disk(m.disk, leave)
    winetest.key(question, "y")
    winetest.wait_gone(question)
    return filler


def forget_the_seeded_version(m):
    """The recorded newer version goes again where no installation replaced it."""
    r = m.p.run(["reg", "delete", ENTRY_KEY, "/f"])
    assert r.returncode == 0, r


def record_on_a_full_disk(t, m):
    setup = open_setup(m)
    filler = start_and_fill_the_disk(m, setup)
    # Nothing can be appended to the journal: asked before the first file is made. The
    # user makes room and retries.
    box = winetest.wait_window(f"^{FAILURE_CAPTION}$", timeout=90)
    winetest.screenshot(box, "e2e-removable-full-disk")
    os.remove(filler)
    winetest.key(box, "r")
    setup.wait_page("finish")
    setup.close()
    remove(m, "full-disk")


def assert_files_as_before(t, m, before):
    """The files of the machine are as `before` (snap.files) had them. The run writes
    to the registry only once its files are complete; the row's end compares it."""
    t.assertSameFiles(before, snap.files(m.p))


def abort_and_roll_back(t, m, setup, page, shot):
    """Abort in the failure box; the run is taken back and the user told so, and the
    choices are back (`page`)."""
    answer_box(FAILURE_CAPTION, "a", shot)
    told = winetest.wait_window(f"^{CANCELLED_CAPTION}$", timeout=90)
    winetest.screenshot(told, "e2e-removable-" + shot + "-rolled-back")
    winetest.key(told, "Return")
    winetest.wait_gone(told)
    setup.wait_page(page)


def abort_on_a_full_disk(t, m):
    """A run into DISK_FOLDER that the disk cannot hold, aborted and rolled back; back on
    the custom page with the room made again."""
    # The payload unpacks to more than 5 MB: the disk fills while the data files are
    # unpacked, before any program file is written.
    before_run = snap.files(m.p)
    setup = open_setup(m)
    filler = start_and_fill_the_disk(m, setup, leave=1 << 20)
    abort_and_roll_back(t, m, setup, "custom", "aborted")
    os.remove(filler)
    # Nothing of the run is left on E:, the folders the start step made included.
    assert_files_as_before(t, m, before_run)
    t.assertEqual(os.listdir(os.path.join(m.disk, "inst")), [])
    forget_the_seeded_version(m)
    return setup


def held_then_installed(t, m):
    """A folder of the user's with a file that another program holds, named like one the
    payload unpacks: Abort on its write failure takes back the files written before it and
    leaves the user's folder and file alone; once the program has let go, the install
    into the same folder completes and is removable."""
    folder = "D:\\Held Mail\\VexmoraZevlo邮箱"
    held = folder + "\\Vexmora-PC.exe"
    os.makedirs(m.unix(folder))
    open(m.unix(held), "wb").close()
    before_run = snap.files(m.p)
    locker = Locker(m.p, held)
    try:
        setup = open_setup(m)
        choose_folder(setup, folder)
        setup.click("start", page="custom")
        abort_and_roll_back(t, m, setup, "custom", "held")
        assert_files_as_before(t, m, before_run)
    finally:
        locker.release()
    # The user's file goes with the program that held it; the same setup starts again.
    os.remove(m.unix(held))
    os.rmdir(m.unix(folder))
    os.rmdir(m.unix("D:\\Held Mail"))
    setup.click("start", page="custom")
    setup.wait_page("finish")
    setup.close()
    remove(m, "held-then-installed")


def damaged_then_whole(t, m):
    """A setup whose payload is damaged late in the archive, aborted at the failure and
    rolled back (the quick install's folders included); the whole setup then installs."""
    before_run = snap.files(m.p)
    setup = m.start_setup(DAMAGED_SETUP)
    setup.wait_main()
    setup.click("start")
    abort_and_roll_back(t, m, setup, "default", "damaged")
    assert_files_as_before(t, m, before_run)
    setup.close()
    install(m).close()
    remove(m, "damaged-then-whole")


def started_again_after_an_abort(t, m):
    setup = abort_on_a_full_disk(t, m)
    setup.click("start", page="custom")
    setup.wait_page("finish")
    setup.close()
    remove(m, "started-again")


def a_later_setup_into_an_aborted_runs_folder(t, m):
    abort_on_a_full_disk(t, m).close()
    install(m, DISK_FOLDER).close()
    remove(m, "later-setup")


# An installation of the earlier release, a 32-bit program, as it left a 64-bit Windows:
# its machine keys in the 32-bit view, written by hand here where the 32-bit registry
# redirection put them, and its journal with the records as that release wrote them.
RELEASE32_FOLDER = "D:\\Apps\\Vexmora Mail"
RELEASE32_VERSION = "1.0.0.3"


def left_by_the_32bit_release(m, folder=RELEASE32_FOLDER):
    levels = []
    level = folder
    while len(level) > 3 and not m.exists(level):
        levels.insert(0, level)
        level = level.rsplit("\\", 1)[0]
    subprocess.run(["7zz", "x", "-y", f"-o{m.unix(folder)}", PAYLOAD_ARCHIVE], check=True, timeout=120,
                   stdout=subprocess.DEVNULL)
    tree = payload_tree()
    records = ([f"D {level}" for level in levels] +
               [f"D {folder}\\{rel}" for rel, data in tree.items() if data is None] +
               [f"F {folder}\\{rel}" for rel, data in tree.items() if data is not None] +
               registration_records())
    os.makedirs(m.unix(MENU), exist_ok=True)
    for link in (CLIENT_LINK, UNINSTALL_LINK, DESKTOP_LINK):
        with open(m.unix(link), "wb") as f:
            f.write(b"L\0\0\0")  # the shortcuts' content is no concern of the setup's
    values = {**entry_values(folder, RELEASE32_VERSION, payload_kilobytes()), "InstallDate": ("sz", "20250102")}
    kinds = {"sz": "REG_SZ", "dword": "REG_DWORD"}
    m.p.reg_import([[ENTRY_KEY, name, kinds[kind], data] for name, (kind, data) in values.items()] +
                   [[APP_PATHS_KEY, "SoftwarePath", "REG_SZ", folder],
                    ["HKCU\\" + RUN, "Vexmora-PC", "REG_SZ", f'"{folder}\\Start.exe"']])
    lines = "C:\\tools\\release32-journal.txt"
    os.makedirs(os.path.dirname(m.unix(lines)), exist_ok=True)
    with open(m.unix(lines), "w", encoding="utf-8") as f:
        f.write("\n".join(records) + "\n")
    r = m.p.run([m.tool("uninstfx_journal"), folder, "@" + lines])
    assert r.returncode == 0, r
    assert m.journal(folder) == records


def release32_removed(t, m):
    left_by_the_32bit_release(m)
    remove(m, "release32")


def release32_upgraded(t, m):
    left_by_the_32bit_release(m)
    setup = install(m)  # quick: into the folder the earlier installation recorded
    # One entry, in the 32-bit view as before, now this setup's; nothing in the 64-bit view.
    t.assertEqual(m.reg_values(APP_PATHS_KEY), {"SoftwarePath": ("sz", RELEASE32_FOLDER)})
    t.assertEqual(m.reg_values(ENTRY_KEY).get("DisplayVersion"), ("sz", file_version()))
    t.assertEqual(m.reg_values("HKLM\\" + UNINSTALL_32), {})
    t.assertFalse(m.exists(DEFAULT_FOLDER))
    setup.close()
    remove(m, "release32-upgraded")


Row = namedtuple("Row", "group situation run")

ROWS = [
    Row("ends", "a quick install, closed from the finish page", closed_normally),
    Row("ends", "killed on the finish page", killed_on_the_finish_page),
    Row("ends", "logged off on the finish page", logged_off_on_the_finish_page),
    Row("ends", "a file in use at the first removal, removed again", file_in_use_then_removed_again),
    Row("ends", "a file in use at removal, installed again, then a restart", reinstalled_over_a_pending_delete),
    Row("folders", "typed with slashes, a \".\" part, doubled and trailing separators",
        typed_as(lambda m: "d:/Apps/./Mail\\\\", "D:\\Apps\\Mail")),
    Row("folders", "typed in 8.3 short form",
        typed_as(lambda m: m.short_name("D:\\Vexmora Mail") + "\\VexmoraZevlo邮箱", "D:\\Vexmora Mail\\VexmoraZevlo邮箱")),
    Row("folders", "recorded by an earlier installation with a trailing backslash", recorded_with_a_trailing_backslash),
    Row("folders", "a drive root, refused", drive_root),
    Row("folders", "chains refused or failing half way, then an install", failed_chains_then_an_install),
    Row("folders", "reinstalled into another folder than the recorded one", reinstall_elsewhere),
    Row("disk", "a record that cannot be appended: the disk is full", record_on_a_full_disk),
    Row("disk", "started again after a run aborted on a full disk", started_again_after_an_abort),
    Row("disk", "a later setup into the folder of an aborted run", a_later_setup_into_an_aborted_runs_folder),
    Row("rollback", "aborted on a file another program holds, then installed", held_then_installed),
    Row("rollback", "a payload damaged late, aborted, then the whole setup", damaged_then_whole),
    Row("earlier", "an installation of the 32-bit release, removed", release32_removed),
    Row("earlier", "an installation of the 32-bit release, upgraded, then removed", release32_upgraded),
]

# A copy of the setup whose payload is damaged late (removable_rollback_test.py).
DAMAGED_SETUP = "C:\\DamagedSetup.exe"


class RemovableTable(unittest.TestCase, snap.SnapshotChecks):
    """Runs the rows of one group on one machine; a subclass names the group and builds
    the machine. VEXMORA_ROWS=text runs only the rows whose situation contains it."""
    group = None

    def make_machine(self):
        return Machine(settle=True)

    def test_each_situation_ends_removable(self):
        m = self.make_machine()
        self.addCleanup(m.close)
        only = os.environ.get("VEXMORA_ROWS", "")
        before = snap.snapshot(m.p)
        for row in [r for r in ROWS if r.group == self.group and only in r.situation]:
            with self.subTest(row.situation):
                try:
                    row.run(self, m)
                finally:
                    # A row that failed half way leaves no process behind for the next one.
                    m.end_started()
                    # The uninstaller's helper removes the last folders a moment after it ended.
                    with contextlib.suppress(AssertionError):
                        winetest.wait_until(lambda: snap.file_changes(before[0], snap.files(m.p)) == ([], [], []),
                                            timeout=60, what="the files as they were")
                    expected, before = before, snap.snapshot(m.p)
                self.assertSameFiles(expected[0], before[0])
                self.assertSameRegistry(expected[1], before[1])

