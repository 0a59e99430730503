"""Unattended installs, end to end: the real VexmoraSetup.exe started with /S in fresh
Wine machines, on an X display of this test's own that is watched for every window
mapped while the setup runs (xev on the root window, asking for the root's substructure
events: each top-level window Wine shows is a MapNotify there).

- A silent install into a folder with blanks and Chinese, given as deployment tools write
  it (/D= last, unquoted): exit code 0, no window ever mapped, files, registry and journal
  as the windowed quick install leaves them (the checks of tests/wine/setupdriver.py), and a log that
  names each step. A second silent run over it, with the default log name, without
  log-on start and desktop shortcut, and /LAUNCH, which starts the client.
- Each way a silent run is refused, on a machine built for it (a running client, a
  running setup, a read-only disk, a disk too small, a newer version installed): its
  exit code, no window mapped, and the machine as it was (the log apart).
- A payload file held by another program: the silent run tries again a few times, then
  fails with its exit code, and what it made is taken back.
"""
import glob
import os
import re
import subprocess
import threading
import time
import unittest

import winetest
import machine_snapshot as snap
import setupdriver as driver
from setupdriver import (APP_PATHS, APP_PATHS_KEY, ENTRY_KEY, PRODUCT, RUN, SETUP_CAPTION, SETUP_WIN, UNINSTALL, Locker,
                         Machine, InstallationChecks, setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

FOLDER = "D:\\Apps Vexmora\\邮箱 客户端"
FOLDER_LEVELS = ("D:\\Apps Vexmora", FOLDER)
STAMP = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  ")

# The exit codes (app/ExitCodes.h).
(SUCCESS, BAD_ARGUMENTS, ALREADY_RUNNING, CLIENT_RUNNING, FOLDER_REFUSED, NOT_ENOUGH_SPACE, EXTRACTION_FAILED,
 NEWER_INSTALLED) = range(8)
HELD_FOLDER = "D:\\Held Mail"
HELD = HELD_FOLDER + "\\res\\lang\\en-US.xml"  # the payload's second file


class MapWatch:
    """Every window mapped on the display from its creation on. Ready only once it has
    seen a window of its own (an xmessage) come and go, so that nothing mapped after the
    constructor returns can be missed."""

    def __init__(self):
        self.proc = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines, self.lock = [], threading.Lock()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        # xev says nothing once it listens: probes are shown until one is seen (one shown
        # before it listened goes unseen).
        deadline = time.monotonic() + 120
        while not self._events("MapNotify"):
            if time.monotonic() > deadline:
                raise AssertionError("xev never saw a window mapped")
            probe = subprocess.Popen(["xmessage", "probe"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                winetest.wait_until(lambda: self._events("MapNotify"), timeout=5, what="the probe")
            except AssertionError:
                pass
            finally:
                probe.kill()
                probe.wait(timeout=30)
        winetest.wait_until(lambda: self._events("DestroyNotify"), timeout=60, what="xev to see the probe go")
        with self.lock:
            self.start = len(self.lines)

    def _read(self):
        for raw in self.proc.stdout:
            with self.lock:
                self.lines.append(raw.decode("utf-8", "replace").rstrip("\n"))

    def _events(self, kind, since=0):
        """The window ids of the `kind` events after line `since`."""
        with self.lock:
            lines = self.lines[since:]
        ids = []
        for i, line in enumerate(lines):
            if line.startswith(kind + " event") and i + 1 < len(lines):
                found = re.search(r"window (0x[0-9a-f]+)", lines[i + 1])
                if found:
                    ids.append(int(found.group(1), 16))
        return ids

    def mapped(self):
        """The windows mapped since the watch was ready."""
        return self._events("MapNotify", self.start)

    def close(self):
        self.proc.kill()
        self.proc.wait(timeout=30)


def run_setup(m, *arguments, timeout=300):
    """Runs the setup with `arguments`, joined by blanks as Wine joins them (unquoted where
    they hold no blank), under a fresh watch; (exit code, windows mapped)."""
    watch = MapWatch()
    try:
        # Not captured: a client it starts would hold the pipes open.
        r = m.p.run([SETUP_WIN] + list(arguments), timeout=timeout, capture_output=False,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return r.returncode, watch.mapped()
    finally:
        watch.close()


def read_log(path):
    """The log's lines without their time stamps; checks the byte-order mark and that every
    line has a stamp."""
    with open(path, "rb") as f:
        raw = f.read()
    assert raw.startswith(b"\xef\xbb\xbf"), raw[:16]
    text = raw[3:].decode("utf-8")
    assert text.endswith("\r\n"), text[-80:]
    lines = text[:-2].split("\r\n")
    for line in lines:
        assert STAMP.match(line), line
    return [STAMP.sub("", line) for line in lines]


def default_logs(m):
    """The logs /LOG alone wrote: %TEMP%\\VexmoraSetup-<yyyymmdd-hhmmss>.log."""
    found = glob.glob(os.path.join(m.p.path, "drive_c", "users", "*", "**", "VexmoraSetup-*.log"), recursive=True)
    return [p for p in found if re.search(r"VexmoraSetup-\d{8}-\d{6}\.log$", p)]


class SilentInstallTest(unittest.TestCase, InstallationChecks):
    def assertSteps(self, log, steps):
        """Each of `steps` begins a line of `log`, in this order."""
        at = 0
        for step in steps:
            found = next((i for i in range(at, len(log)) if log[i].startswith(step)), None)
            self.assertIsNotNone(found, f"{step!r} after line {at} of:\n" + "\n".join(log))
            at = found + 1

    def test_silent_install_then_silent_update_with_launch(self):
        m = Machine()
        self.addCleanup(m.close)
        # /D= last and unquoted: Wine joins the parts with blanks, as a deployment tool's
        # command line has them.
        code, mapped = run_setup(m, "/S", "/LOG=C:\\silent.log", "/D=D:\\Apps", "Vexmora\\邮箱", "客户端")
        self.assertEqual((code, mapped), (SUCCESS, []))
        self.assert_payload_installed(m, FOLDER)
        self.assert_registered(m, FOLDER)
        self.assert_journal(m, FOLDER, new_folders=FOLDER_LEVELS)
        log = read_log(m.unix("C:\\silent.log"))
        self.assertSteps(log, [
            "Setup started, command line: /S /LOG=C:\\silent.log /D=D:\\Apps Vexmora\\邮箱 客户端",
            "Folder proposed: " + driver.DEFAULT_FOLDER,
            "Install folder asked for: " + FOLDER,
            "Install folder: " + FOLDER,
            "Earlier installation: none",
            "Journal opened, run begun: " + FOLDER + "\\uninstall",
            "Payload: ",
            "Block 0 decoded: ",
            "Extraction completed",
            "Shortcut made, start menu: " + PRODUCT,
            "Shortcut made, desktop: " + PRODUCT,
            "Registry HKLM\\" + APP_PATHS + "\\SoftwarePath = " + FOLDER,
            "Registry HKCU\\" + RUN + "\\Vexmora-PC = \"" + FOLDER + "\\Start.exe\"",
            "Registry HKLM\\" + UNINSTALL + "\\UninstallString = \"" + FOLDER + "\\uninstall.exe\"",
            "Run committed: " + FOLDER + "\\uninstallE",
            "Exit code 0",
        ])
        self.assertFalse(default_logs(m))

        # Again over it, while the client runs: /FORCECLOSE ends it; the earlier
        # installation is replaced through its journal (its uninstaller does not run), and
        # what of it the new run does not take over goes at the commit; /LOG alone names
        # the log by the time; /LAUNCH starts the client anew.
        running, _ = m.start_client()
        m.start_shell()  # /LAUNCH starts the client with the signed-in person's shell's token
        code, mapped = run_setup(m, "/s", "/log", "/NoAutoStart", "/NODESKTOPICON", "/FORCECLOSE", "/LAUNCH")
        self.assertEqual(code, SUCCESS)
        running.wait(timeout=60)  # ended by the setup
        client = winetest.wait_window(f"^{PRODUCT}$", timeout=60)
        # The client may come up before the setup has ended: its window is the only one.
        self.assertEqual(set(), {winetest.window_name(w) for w in mapped} - {PRODUCT})
        m.p.run(["taskkill", "/f", "/im", "Vexmora-PC.exe"])
        winetest.wait_gone(client)
        self.assert_payload_installed(m, FOLDER)
        self.assert_registered(m, FOLDER, autostart=False, desktop=False)
        self.assert_journal(m, FOLDER, new_folders=FOLDER_LEVELS, autostart=False, desktop=False)
        [path] = default_logs(m)
        self.assertSteps(read_log(path), [
            "The client is running: 1 process(es)",
            "Ending the client (processes ",
            "Folder proposed (the earlier installation's): " + FOLDER,
            "Install folder: " + FOLDER,
            "Earlier installation: " + FOLDER,
            "Journal opened, run begun: " + FOLDER + "\\uninstall",
            "Extraction completed",
            "Run committed: " + FOLDER + "\\uninstallE",
            "Started " + FOLDER + "\\Start.exe",
            "Exit code 0",
        ])


class WindowsWithArgumentsTest(unittest.TestCase, InstallationChecks):
    def test_arguments_preset_the_main_window_and_log_its_run(self):
        """Without /S the same arguments set what the main window starts with: its folder,
        its two boxes cleared; a quick install then registers accordingly, and the log
        follows the run to its exit code."""
        m = Machine()
        self.addCleanup(m.close)
        os.makedirs(m.unix("C:\\tools"), exist_ok=True)
        setup = driver.Setup(m, m.start([SETUP_WIN, "/NOAUTOSTART", "/nodesktopicon", "/LOG=C:\\tools\\gui.log",
                                         "/D=D:\\Apps", "Vexmora\\邮箱", "客户端"]))
        setup.wait_main()
        setup.click("start")
        setup.wait_page("finish")
        self.assert_payload_installed(m, FOLDER)
        self.assert_registered(m, FOLDER, autostart=False, desktop=False)
        setup.close()  # exit code 0: SUCCESS
        log = read_log(m.unix("C:\\tools\\gui.log"))
        for step in ("Earlier installation: none", "Extraction completed", "Run committed: " + FOLDER + "\\uninstallE"):
            self.assertIn(step, log)
        self.assertEqual("Exit code 0", log[-1])


@driver.AS_ROOT
class SilentRefusalsTest(unittest.TestCase, snap.SnapshotChecks):
    """The rows share one machine; each starts from the machine the row before left and
    must leave it as it found it."""

    def setUp(self):
        self.m = Machine(settle=True)
        self.addCleanup(self.m.close)
        self.read_only = self.m.add_disk("e", "16m", read_only=True)
        self.full = self.m.add_disk("f", "1m")

    def refused(self, expected, *arguments, log=None, during=None, extra=()):
        """Runs a silent setup that must end with `expected` and change nothing but the
        files in `extra`; `during` (started before, ended after the run) builds the machine
        the row needs. Returns the log's lines when `log` names one (under C:\\tools,
        outside the snapshots)."""
        before = snap.snapshot(self.m.p)
        if during:
            during()
        code, mapped = run_setup(self.m, "/S", *([f"/LOG={log}"] if log else []), *arguments)
        self.assertEqual((code, mapped), (expected, []), arguments)
        after = snap.snapshot(self.m.p)  # ends what `during` started
        self.assertSameFiles(before[0], after[0], extra)
        self.assertSameRegistry(before[1], after[1])
        return read_log(self.m.unix(log)) if log else None

    def test_each_refusal_gives_its_exit_code_and_changes_nothing(self):
        m = self.m
        os.makedirs(m.unix("C:\\tools"), exist_ok=True)
        log = self.refused(BAD_ARGUMENTS, "/BOGUS", log="C:\\tools\\bad.log")
        self.assertIn("Argument not understood: /BOGUS", log)
        self.assertEqual("Exit code 1", log[-1])
        for folder in ("D:\\", "\\\\server\\share\\Mail", "D:\\a<b", "E:\\inst\\Mail"):
            log = self.refused(FOLDER_REFUSED, f"/D={folder}", log="C:\\tools\\folder.log")
            self.assertTrue(any(line.startswith("Folder refused: ") for line in log), (folder, log))

        # A drive too small for the client: both figures in the log, nothing made.
        log = self.refused(NOT_ENOUGH_SPACE, "/D=F:\\inst\\Mail", log="C:\\tools\\room.log")
        self.assertTrue(any(line.startswith("Not enough space: ") and "MB free" in line for line in log), log)

        # A newer version installed: never replaced without a person saying so.
        m.p.reg_add(ENTRY_KEY, "DisplayVersion", "REG_SZ", "99.0.0.0")
        log = self.refused(NEWER_INSTALLED, log="C:\\tools\\newer.log")
        self.assertTrue(any(line.startswith("A newer version is installed: 99.0.0.0") for line in log), log)
        m.p.run(["reg", "delete", ENTRY_KEY, "/f"])

        # A running client: the silent setup ends it only when told to.
        client = []
        log = self.refused(CLIENT_RUNNING, log="C:\\tools\\client.log", during=lambda: client.append(m.start_client()),
                           extra=("c:/client", "c:/client/Vexmora-PC.exe"))
        self.assertTrue(any(line.startswith("The client is running (processes ") for line in log), log)
        self.assertIsNotNone(client[0][0].poll(), "the snapshot ends the client")

        # Another setup, with its window open.
        gui = []
        self.refused(ALREADY_RUNNING, during=lambda: gui.append(m.start_setup().wait_main()))

        # A windowed run with a wrong argument says so in a message box, and installs nothing.
        winetest.wait_until(lambda: not winetest.find_windows(), timeout=60, what="the windows to go")
        proc = m.start([SETUP_WIN, "/BOGUS"])
        box = winetest.wait_window(f"^{SETUP_CAPTION}$", timeout=60)
        winetest.key(box, "Return")
        self.assertEqual(BAD_ARGUMENTS, proc.wait(timeout=60))
        # /? lists the arguments in one, and installs nothing either.
        proc = m.start([SETUP_WIN, "/?"])
        box = winetest.wait_window(f"^{SETUP_CAPTION}$", timeout=60)
        winetest.key(box, "Return")
        self.assertEqual(SUCCESS, proc.wait(timeout=60))
        self.assertEqual({}, m.reg_values(APP_PATHS_KEY))

    def test_held_file_retries_then_fails(self):
        m = self.m
        os.makedirs(m.unix("C:\\tools"), exist_ok=True)
        os.makedirs(os.path.dirname(m.unix(HELD)))
        open(m.unix(HELD), "wb").close()  # the user's own file, where the payload puts one
        before = snap.snapshot(m.p)  # first: taking a snapshot ends the programs running
        locker = Locker(m.p, HELD)
        self.addCleanup(locker.release)
        code, mapped = run_setup(m, "/S", "/LOG=C:\\tools\\held.log", f"/D={HELD_FOLDER}")
        self.assertEqual((code, mapped), (EXTRACTION_FAILED, []))
        log = read_log(m.unix("C:\\tools\\held.log"))
        failed = [line for line in log if line.startswith("Write failed: " + HELD)]
        self.assertTrue(failed, log)
        self.assertIn(": error 32 ", failed[0])  # ERROR_SHARING_VIOLATION
        tries = [line for line in log if line.startswith("Trying again (")]
        self.assertEqual([f"({n}/5)" for n in range(1, 6)], [line.split()[2][:5] for line in tries[:5]])
        self.assertTrue(any(line.startswith("Given up: ") for line in log), log)
        self.assertTrue(any(line.startswith("Install failed: ") for line in log), log)
        self.assertIn("Rolled back: the machine is as it was before this run", log)
        self.assertEqual("Exit code 6", log[-1])
        # Taken back: the machine is as it was, the user's folder and file included.
        after = snap.snapshot(m.p)
        self.assertSameFiles(before[0], after[0], ("c:/tools/held.log",))
        self.assertSameRegistry(before[1], after[1])

if __name__ == "__main__":
    unittest.main(verbosity=2)
