"""The setup program as the system tests use it: the product's names and registry keys, a
Wine machine with the setup in it, the setup's windows driven as a person does (clicks at
the controls' places from build/layout-rects.json, at the display scale the machine runs
at), page recognition, and the checks of a finished installation. Also the helpers several
tests build machines with: small disks, a program holding a file, a damaged copy of the
setup, and the driver of the extraction probe (tests/programs/extractfx_run).

    m = Machine()
    setup = m.start_setup()
    setup.wait_main()
    setup.click("start")
    setup.wait_page("finish")
"""
import contextlib
import os
import shutil
import subprocess
import tempfile
import unittest

import layoutrects
import winetest
from PIL import Image, ImageChops, ImageStat

BUILD = winetest.BUILD
PROGRAMS = winetest.PROGRAMS
JOURNAL_DUMP = os.path.join(BUILD, "tools", "journal-dump.exe")
PAYLOAD_ARCHIVE = os.path.join(BUILD, "payload", "payload.7z")
CLIENT_STANDIN = os.path.join(BUILD, "payload", "bin", "Vexmora-PC.exe")
UNINSTALLER = os.path.join(BUILD, "payload", "bin", "uninstall.exe")
IMAGES = os.path.join(winetest.SOURCE, "skin", "images")
RECTS = layoutrects.load()
AS_ROOT = unittest.skipUnless(os.geteuid() == 0, "mount needs root")

# --- the product ------------------------------------------------------------------------------
SETUP_WIN = "C:\\VexmoraSetup.exe"
TITLE = "^VexmoraFM$"  # the setup's windows, main window and prompts alike
PRODUCT = "VexmoraZevlo邮箱"
DEFAULT_FOLDER = "D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"
DEFAULT_FOLDER_LEVELS = ("D:\\Program Files", "D:\\Program Files\\Vexmora", DEFAULT_FOLDER)
# Captions of the message boxes (the string table's numbers).
SETUP_CAPTION = "VexmoraZevlo邮箱 安装程序"  # 128: the version question, warnings
REFUSAL_CAPTION = "创建目录失败"               # 134: a folder the setup will not install to
FAILURE_CAPTION = "安装失败"                   # 140: the extraction's Retry/Ignore/Abort box
CANCELLED_CAPTION = "安装已取消"               # 139: after Abort, what the rollback did
NO_ROOM_CAPTION = "磁盘空间不足"               # 153
UNINSTALLER_CAPTION = "卸载 " + PRODUCT        # the uninstaller's question and report

PROGRAMS_MENU = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
DESKTOP = "C:\\users\\Public\\Desktop"
UNINSTALL_PREFIX = "卸载 "  # string 141
MENU = f"{PROGRAMS_MENU}\\{PRODUCT}"
CLIENT_LINK = f"{MENU}\\{PRODUCT}.lnk"
UNINSTALL_LINK = f"{MENU}\\{UNINSTALL_PREFIX}{PRODUCT}.lnk"
DESKTOP_LINK = f"{DESKTOP}\\{PRODUCT}.lnk"

# Registry keys as the program names them (journal records give the root as a number).
HKLM, HKCU = winetest.HKLM, winetest.HKCU
ENTRY_NAME = "Quillwire-Vexmora专用版"  # the uninstall entry, as Programs and Features knows it
APP_PATHS = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe"
RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
UNINSTALL_32 = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ENTRY_NAME
# On 64-bit Windows the program writes the entry under this name (its journal records it so).
UNINSTALL = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ENTRY_NAME
UNINSTALL_VALUES = ("UninstallString", "Publisher", "DisplayName", "DisplayVersion", "DisplayIcon", "URLInfoAbout",
                    "InstallLocation", "EstimatedSize", "InstallDate", "NoModify", "NoRepair", "QuietUninstallString")
# Where the 32-bit program's machine keys land in a 64-bit prefix (as reg.exe names them).
WOW = "HKLM\\Software\\Wow6432Node\\"
APP_PATHS_KEY = WOW + APP_PATHS[len("Software\\"):]
ENTRY_KEY = WOW + UNINSTALL_32[len("Software\\"):]

# --- the skin's windows -------------------------------------------------------------------------
MAIN, ALREADY_RUNNING, CLIENT_RUNNING, CONFIRM_EXIT, TERMS = 221, 228, 229, 230, 232
MAIN_SIZE = RECTS.size(MAIN)
PROMPT_SIZE = RECTS.size(CONFIRM_EXIT)  # 228 and 229 alike
# A place with no control under it (the banner), where the pointer rests while pages are
# compared: a hot button would change the picture.
REST = (100, 150)


def _skin(number):
    return Image.open(os.path.join(IMAGES, f"{number}.png")).convert("RGBA")


def _button_on_page(button, name, page):
    """Where the control `name` lies on `page` and what its button image looks like there,
    drawn over the lower pages' background (281), which starts at the top of the lower
    part of the window."""
    left, top, _, _ = RECTS.rect(MAIN, name, page)
    below = RECTS.rect(MAIN, "background")[3]
    img = _skin(button)
    base = _skin(281).crop((left, top - below, left + img.width, top - below + img.height))
    return (left, top, Image.alpha_composite(base, img).convert("RGB"))


# Each page shows one button that no other page shows at that place (at 96 DPI).
PAGE_SIGNS = {
    "default": _button_on_page(254, "start", "default"),
    "custom": _button_on_page(268, "back", "custom"),
    "finish": _button_on_page(271, "finishinstallbtn", "finish"),
}


def _difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


def page_of(img):
    """'default', 'custom', 'finish' by the signs above (96 DPI), or None."""
    for name, (left, top, expected) in PAGE_SIGNS.items():
        region = img.crop((left, top, left + expected.width, top + expected.height))
        if _difference(region, expected) < 12:
            return name
    return None


def _banner(number):
    """A banner image as the "background" layout draws it: over its colour #FF333333."""
    img = _skin(number)
    return Image.alpha_composite(Image.new("RGBA", img.size, (0x33, 0x33, 0x33, 255)), img).convert("RGB")


BANNER_BOX = (10, 40, 540, 240)  # inside "background", below the title row, clear of the close button
BANNERS = {number: _banner(number).crop(BANNER_BOX) for number in (250, 273, 274)}


def banner_of(img):
    """250, 273 or 274: the banner image the window shows, or None."""
    region = img.crop(BANNER_BOX)
    return next((n for n, expected in BANNERS.items() if _difference(region, expected) < 12), None)


def lower_part(img):
    """The page below the banner (the banner changes every 2.5 seconds)."""
    return img.crop(tuple(RECTS.rect(MAIN, "beforeinstall", "default")))


def same_picture(a, b):
    return _difference(a, b) < 1


def blue(pixel):
    r, g, b = pixel
    return b > 150 and b > r + 60


# --- the keyboard's focus ring ------------------------------------------------------------------
RING = (0x00, 0x5F, 0xB8)  # the outer band of the focus ring, the framework's focus colour

# Which control has the focus when a page or prompt shows (its default button), then which
# one each Tab reaches, round to the first again: the layouts' reading order, hidden,
# disabled and decorative controls left out. The progress page has none (its close button
# is hidden while the install runs).
TAB_ORDER = {
    "default": ["start", "agressinstall", "zevloterms", "btn_freeinstall", "closebtn", "start"],
    "custom": ["start", "back", "closebtn", "path", "browser", "createDesktopshortcut", "autostart", "agressinstall",
               "zevloterms", "start"],
    "finish": ["finishinstallbtn", "closebtn", "finishinstallbtn"],
    TERMS: ["btn_ok", "closebtn", "agreement", "btn_ok"],
    CONFIRM_EXIT: ["installbtn", "closebtn", "cancelbtn", "installbtn"],
    ALREADY_RUNNING: ["okbtn", "closebtn", "okbtn"],
    CLIENT_RUNNING: ["installbtn", "cancelbtn", "closebtn", "installbtn"],
}


def _line(width, dpi):
    """A line `width` pixels wide at 96 DPI, at `dpi`, as the framework draws it."""
    return max(1, layoutrects.scaled(width, dpi))


def ring_band(rect, dpi, size):
    """The pixels of the focus ring's outer band around `rect` (window coordinates at
    `dpi`) in a window of `size`: two pixels at 96 DPI, outside a one-pixel light band just
    outside the control, held inside the window."""
    outer, width = _line(2, dpi), _line(2, dpi) + _line(1, dpi)
    left, top = max(0, rect[0] - width), max(0, rect[1] - width)
    right, bottom = min(size[0], rect[2] + width), min(size[1], rect[3] + width)
    return [(x, y) for y in range(top, bottom) for x in range(left, right)
            if x < left + outer or x >= right - outer or y < top + outer or y >= bottom - outer]


def has_ring(img, rect, dpi, colour=RING):
    """True when nearly all of the ring's outer band around `rect` shows in `colour`."""
    band = ring_band(rect, dpi, img.size)
    near = sum(1 for p in band if sum(abs(a - b) for a, b in zip(img.getpixel(p), colour)) < 60)
    return bool(band) and near >= 0.9 * len(band)


def ringed(img, layout, page, dpi, names):
    """Which of the controls `names` (of `layout` on `page`) show the focus ring."""
    return [name for name in names if has_ring(img, RECTS.rect(layout, name, page, dpi=dpi), dpi)]


# --- the machine --------------------------------------------------------------------------------
class Machine:
    """A fresh Wine machine (D: a fixed drive of its own) with the setup program at
    C:\\VexmoraSetup.exe. Helper programs go to C:\\tools, which snapshots leave out.
    `settle`: started once, so that what Wine settles at a copied prefix's first start
    (network cards and the like) is done before the first snapshot."""

    def __init__(self, setup_exe=winetest.SETUP_EXE, settle=False):
        self.p = winetest.Prefix()
        shutil.copy(setup_exe, self.p.unix_path(SETUP_WIN))
        self.started = []
        self.disks = contextlib.ExitStack()
        self.disk = None        # a small disk to fill, when a test maps one
        self.few_inodes = None  # a disk with room for few folders, when a test maps one
        if settle:
            self.p.run(["cmd", "/c", "exit"])

    def close(self):
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
        self.p.close()
        self.disks.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def unix(self, win_path):
        return self.p.unix_path(win_path)

    def exists(self, win_path):
        return os.path.exists(self.unix(win_path))

    # -- programs ------------------------------------------------------------------------
    def start(self, args, cwd=None, **kw):
        """Starts a program; `cwd` (a Linux folder inside a drive) becomes its current folder."""
        proc = self.p.start(args, **({"cwd": cwd} if cwd else {}), **kw)
        self.started.append(proc)
        return proc

    def start_setup(self, setup_win=SETUP_WIN, cwd=None, dpi=96, **kw):
        """The setup started (`kw` as for subprocess.Popen: a traced environment, say), with
        its log in C:\\tools (outside every snapshot), which a failed wait shows."""
        self.setups_started = getattr(self, "setups_started", 0) + 1
        log = f"C:\\tools\\setup-{self.setups_started}.log"
        os.makedirs(self.unix("C:\\tools"), exist_ok=True)
        return Setup(self, self.start([setup_win, "/LOG=" + log], cwd=cwd, **kw), dpi, log)

    def end_started(self):
        """Ends the setups (and other programs) the test started that still run."""
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=30)
        self.started.clear()
        winetest.wait_until(lambda: not winetest.find_windows(), timeout=60, what="their windows to go")

    def tool(self, name, source=None):
        """A helper program (of tests/programs, or `source`) copied into C:\\tools; its path."""
        path = f"C:\\tools\\{name}.exe"
        if not self.exists(path):
            os.makedirs(os.path.dirname(self.unix(path)), exist_ok=True)
            shutil.copy(source or os.path.join(PROGRAMS, name + ".exe"), self.unix(path))
        return path

    def start_shell(self):
        """The stand-in for the signed-in person's shell (tests/programs/fx_shell; this Wine's
        desktop registers none), whose token the setup starts the client with; running."""
        proc = self.start([self.tool("fx_shell")], stdout=subprocess.PIPE)
        line = proc.stdout.readline().decode().strip()
        assert line.startswith("shell "), line
        return proc

    def close_from_task_bar(self):
        """Posts WM_SYSCOMMAND SC_CLOSE to the main window, as the task bar does."""
        r = self.p.run([self.tool("winfx_close")])
        assert r.returncode == 0, r

    def set_clipboard(self, text):
        """Puts `text` on the machine's clipboard (tests/programs/winfx_clip.exe)."""
        tool, note = self.tool("winfx_clip"), "C:\\tools\\clip.txt"
        with open(self.unix(note), "w", encoding="utf-8") as f:
            f.write(text)
        r = self.p.run([tool, note])
        assert r.returncode == 0, r

    def clipboard(self):
        """The text on the machine's clipboard (tests/programs/winfx_clip.exe)."""
        r = self.p.run([self.tool("winfx_clip")])
        return r.stdout.decode("utf-8") if r.returncode == 0 else ""

    def message_box_text(self):
        """The caption and text lines of the message box on screen (winfx_msgtext)."""
        r = self.p.run([self.tool("winfx_msgtext")])
        assert r.returncode == 0, r
        return r.stdout.decode("utf-8").splitlines()

    def start_client(self):
        """The stand-in client "Vexmora-PC.exe", running; returns (process, its window)."""
        path = "C:\\client\\Vexmora-PC.exe"
        os.makedirs(os.path.dirname(self.unix(path)), exist_ok=True)
        shutil.copy(CLIENT_STANDIN, self.unix(path))
        before = set(winetest.find_windows(f"^{PRODUCT}$"))
        proc = self.start([path])
        wid = winetest.wait_window(f"^{PRODUCT}$", timeout=60, exclude=before)
        return proc, wid

    def short_name(self, win_path):
        r = self.p.run([self.tool("fx_shortname"), win_path])
        assert r.returncode == 0, r
        return r.stdout.decode("utf-8").strip()

    # -- disks ---------------------------------------------------------------------------
    def add_disk(self, letter, size, inodes=None, read_only=False):
        """A tmpfs (root only) as drive `letter`, with an "inst" folder; its Linux path."""
        where = self.disks.enter_context(tmpfs(size=size, inodes=inodes, read_only=read_only))
        self.p.map_drive(letter, ("hd", where))
        return where

    # -- registry and journal ------------------------------------------------------------
    def reg_values(self, key):
        """{value name: (type, data)} of one key, {} when it is missing."""
        exported = self.p.reg_export(key)
        full = key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\").replace("HKCU\\", "HKEY_CURRENT_USER\\")
        return next((values for name, values in exported.items() if name.lower() == full.lower()), {})

    def pending_deletes(self):
        """The files marked for deletion at the next restart (MOVEFILE_DELAY_UNTIL_REBOOT),
        as "D:\\..." paths."""
        values = self.reg_values("HKLM\\System\\CurrentControlSet\\Control\\Session Manager")
        kind, data = values.get("PendingFileRenameOperations", (None, b""))
        names = data.decode("utf-16-le").split("\0") if isinstance(data, bytes) else []
        return [n[4:] if n.startswith("\\??\\") else n for n in names if n]

    def journal(self, folder, check=True):
        """The decrypted records of folder\\uninstallE, read by the journal's own reader;
        with `check`, each must be a well-formed record."""
        r = self.p.run([self.tool("journal-dump", JOURNAL_DUMP)] + ["--check"] * check + [folder + "\\uninstallE"])
        assert r.returncode == 0, (r.returncode, r.stderr.decode(errors="replace"))
        return r.stdout.decode("utf-8").splitlines()

    # -- installing and removing ---------------------------------------------------------
    def quick_install(self):
        """The real setup: a quick install into the folder it proposes, then closed from the
        finish page (the journal is encrypted when it ends)."""
        setup = self.start_setup()
        setup.wait_main()
        setup.click("start")
        setup.wait_page("finish")
        setup.close()

    def engine_install(self, folder):
        """The engine's whole run (tests/programs/uninstfx_install: folder chain, earlier
        uninstaller, unpacking, registration, encrypted journal) with the setup's payload,
        into a folder of the test's choosing, on either bitness; its output."""
        program, archive = self.tool("uninstfx_install"), "C:\\tools\\payload.7z"
        if not self.exists(archive):
            shutil.copy(PAYLOAD_ARCHIVE, self.unix(archive))
        r = self.p.run([program, folder, archive], timeout=180)
        assert r.returncode == 0, (r.returncode, r.stdout, r.stderr[-2000:])
        return r.stdout.decode("utf-8")

    def uninstall_silently(self, folder):
        """The installation's uninstaller as a later setup runs it (" true"); its exit code."""
        r = self.p.run([folder + "\\uninstall.exe", "true"], timeout=120)
        self.wait_self_removed(folder)
        return r.returncode

    def uninstall_as_a_person(self, folder, answer="y"):
        """Starts the uninstaller by hand, answers its question, confirms the result."""
        proc = self.p.start([folder + "\\uninstall.exe"])
        ask = winetest.wait_window(name=f"^{UNINSTALLER_CAPTION}$", timeout=60)
        winetest.key(ask, answer)
        if answer == "y":
            result = winetest.wait_window(name=f"^{UNINSTALLER_CAPTION}$", timeout=60, exclude=(ask,))
            winetest.screenshot(result, "uninstall_result")
            winetest.key(result, "Return")
        code = proc.wait(timeout=60)
        self.wait_self_removed(folder)
        return code

    def wait_self_removed(self, folder):
        """The helper deletes the moved program once it has ended: it waits in the install
        folder, or beside the outermost folder it removed (the install folder or above)."""
        import glob
        places = [folder]
        while places[-1].count("\\") > 1:
            places.append(places[-1].rsplit("\\", 1)[0])
        places.append(folder[:3])
        patterns = [os.path.join(glob.escape(self.unix(place)), "~uninstall-*.tmp") for place in places]
        winetest.wait_until(lambda: not any(glob.glob(pattern) for pattern in patterns),
                            timeout=60, what="the uninstaller's delayed delete")


# --- the setup's windows ------------------------------------------------------------------------
class Setup:
    """One running VexmoraSetup.exe and its windows, at the machine's display scale."""

    def __init__(self, machine, proc, dpi=96, log=None):
        self.m = machine
        self.proc = proc
        self.dpi = dpi
        self.wid = None
        self.log = log

    def log_text(self):
        """What the setup's log holds so far (when it was started with one)."""
        try:
            with open(self.m.unix(self.log), "rb") as f:
                return f.read().decode("utf-8-sig", "replace")
        except (OSError, TypeError):
            return ""

    def at(self, name, layout=MAIN, page=None, index=0):
        """The centre of a control in window coordinates (see layoutrects.rect for `page`)."""
        return RECTS.centre(layout, name, page, index, self.dpi)

    def size(self, layout=MAIN):
        return RECTS.size(layout, self.dpi)

    def wait_main(self, exclude=()):
        def shown():
            if self.proc.poll() is not None:
                raise AssertionError(f"setup ended with exit code {self.proc.returncode} before its window; "
                                     f"its log:\n{self.log_text()}")
            found = [w for w in winetest.find_windows(TITLE)
                     if w not in exclude and winetest.window_geometry(w)[2:] == self.size()]
            return found[0] if found else None
        try:
            self.wid = winetest.wait_until(shown, timeout=120, what="the main window")
        except AssertionError:
            screen_shot(f"dpi{self.dpi}-failed-waiting-for-main")
            raise
        self.wait_page("default")
        return self.wid

    def focus_window(self, wid=None):
        """Gives the window the X keyboard focus, as a window manager does with a window that
        appears: without one, no window has it, and XTEST key events reach none. Prompts
        that the window opens from the keyboard take the keys from it."""
        winetest.xdotool("windowfocus", "--sync", wid or self.wid)

    def keys(self, *keys):
        """Real key presses (XTEST), as a person types them, to the window with the focus."""
        winetest.xdotool("key", "--delay", 80, *keys)

    def wait_ring(self, name, layout=MAIN, wid=None, page=None, shot_name=None):
        """Waits until the focus ring is drawn around that control; with `shot_name`, keeps
        a screenshot of the window then."""
        wid = wid or self.wid
        rect = RECTS.rect(layout, name, page, dpi=self.dpi)
        winetest.wait_until(lambda: has_ring(winetest.capture(wid), rect, self.dpi), timeout=30,
                            what=f"the focus ring around {name} at {self.dpi} DPI")
        if shot_name:
            shot(wid, shot_name)

    def tab_round(self, order, layout=MAIN, wid=None, page=None, label=None):
        """`order`: the control that has the focus, then each one that a Tab reaches from it,
        round to the first again. Presses Tab for each and checks it by its ring (and that no
        other control of the list shows one: the ring shows only once a key has been
        pressed, so the first is seen at the end), photographing each as
        e2e-focus-<label>-<n>-<name>.png."""
        wid = wid or self.wid
        label = label or page or str(layout)
        names = sorted(set(order))
        for n, name in enumerate(order[1:], 1):
            self.keys("Tab")
            self.wait_ring(name, layout, wid, page, shot_name=f"focus-{label}-{n}-{name}")
            assert ringed(winetest.capture(wid), layout, page, self.dpi, names) == [name], (label, n, name)

    def real_click(self, name, layout=MAIN, wid=None, page=None):
        """The pointer moved onto the control and one click with the real pointer (XTEST),
        the pointer left where it is."""
        winetest.xdotool("mousemove", "--window", wid or self.wid, *self.at(name, layout, page))
        winetest.xdotool("click", 1)

    def click(self, name, layout=MAIN, wid=None, page=None):
        """A click on the control, then the pointer rested off every button."""
        wid = wid or self.wid
        winetest.click(wid, *self.at(name, layout, page))
        winetest.xdotool("mousemove", "--window", wid, *RECTS.point(*REST, self.dpi), check=False)

    def rest_pointer(self):
        """The pointer moved again off every button, as a person's hand does once a message
        box is gone: the window, disabled under the box, heard no move while it was up, so
        the button clicked last may still be drawn hot. A move made before the window is
        enabled again goes unheard too: after a box, wait with wait_page(..., rest=True)."""
        x, y = RECTS.point(*REST, self.dpi)
        winetest.xdotool("mousemove", "--window", self.wid, x + 1, y + 1)
        winetest.xdotool("mousemove", "--window", self.wid, x, y)

    def picture(self):
        return winetest.capture(self.wid)

    def page(self):
        """'default', 'custom', 'progress', 'finish' or None. At 96 DPI the choices and the
        finish page are told by a button image that only they show; at other scales (whose
        images are resampled) by places that only one page paints blue: the large and small
        "start", the finish button. The progress page by its filled bar."""
        img = self.picture()
        if self.dpi == 96:
            found = page_of(img)
            if found:
                return found
        else:
            at = lambda name, page: img.getpixel(self.at(name, page=page))
            if blue(at("finishinstallbtn", "finish")) and not blue(at("start", "default")):
                return "finish"
            if blue(at("start", "default")):
                return "default"
            if blue(at("start", "custom")):
                return "custom"
        left, top, _, bottom = RECTS.rect(MAIN, "progress", "progress")
        if blue(img.getpixel(RECTS.point(left + 20, (top + bottom) // 2, self.dpi))):
            return "progress"
        return None

    def wait_page(self, name, timeout=90, rest=False):
        """Waits for a page; with `rest`, moves the pointer off the buttons before each look
        (see rest_pointer)."""
        def shown():
            if rest:
                self.rest_pointer()
            return self.page() == name
        try:
            return winetest.wait_until(shown, timeout=timeout, what=f"the {name} page at {self.dpi} DPI")
        except AssertionError:
            screen_shot(f"dpi{self.dpi}-failed-waiting-for-{name}")  # the whole screen, for whoever debugs it
            raise

    def banner_turns(self, turns):
        """The banners shown, in order, until the banner has turned `turns` times."""
        seen = []

        def turned():
            now = banner_of(self.picture())
            if now is not None and (not seen or seen[-1] != now):
                seen.append(now)
            return len(seen) > turns
        winetest.wait_until(turned, timeout=30, what="the banner turning")
        return seen

    def wait_banner(self, number):
        winetest.wait_until(lambda: banner_of(self.picture()) == number, timeout=30, what=f"banner {number}")

    def type_into_path(self, text):
        """Replaces the text of "path" with `text` as a person does who pastes a copied
        folder name: Ctrl+A, Ctrl+V. (Typing Chinese through X remaps a key for each
        character, and Wine, reading the keymap late under load, drops some of them.)
        The keys go through the X server to the focused window (XTEST). The X focus is set
        before the click (set after it, it would activate the window again and end the edit
        that the click opened), and the keys are sent only once the native edit is open:
        Wine gives a key to the window that has the focus when the key arrives."""
        self.m.set_clipboard(text)
        winetest.xdotool("windowfocus", "--sync", self.wid)
        self.click("path")
        winetest.wait_until(self.native_edit_open, timeout=60, what="the native edit over \"path\"")
        winetest.xdotool("key", "ctrl+a", "ctrl+v")

    def native_edit_open(self):
        """The native edit paints a pure white field; the drawn "path" is off-white."""
        left, top, right, bottom = RECTS.rect(MAIN, "path", "custom", dpi=self.dpi)
        field = self.picture().crop((left + 1, top + 1, right - 1, bottom - 1))
        return dict((colour, n) for n, colour in field.getcolors(1 << 20)).get((255, 255, 255), 0) > 1000

    def wait_exit(self, timeout=60):
        return self.proc.wait(timeout=timeout)

    def prompt(self, layout=CONFIRM_EXIT, exclude=()):
        """The next window of that layout's size (not the main window), once it is drawn."""
        wid = winetest.wait_window(TITLE, size=self.size(layout), timeout=90,
                                   exclude=tuple(exclude) + ((self.wid,) if self.wid else ()))
        winetest.wait_drawn(wid)
        return wid

    def close(self):
        """The close button and the confirm-exit prompt's "cancelbtn", which ends setup."""
        self.click("closebtn")
        self.click("cancelbtn", CONFIRM_EXIT, wid=self.prompt())
        assert self.wait_exit() == 0


def shot(wid, name):
    return winetest.screenshot(wid, "e2e-" + name)


def shot_around(wid, name, margin=30):
    """A screenshot of the window with `margin` pixels of the screen around it (shadows)."""
    x, y, w, h = winetest.window_geometry(wid)
    out = os.path.join(BUILD, "screenshots", f"e2e-{name}.png")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["import", "-window", "root", "-crop", f"{w + 2 * margin}x{h + 2 * margin}+{x - margin}+{y - margin}",
                    out], timeout=60, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return out


def screen_shot(name):
    out = os.path.join(BUILD, "screenshots", f"e2e-{name}.png")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["import", "-window", "root", out], timeout=60, check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return out


def wait_message_box(title, timeout=60):
    return winetest.wait_window(f"^{title}$", timeout=timeout)


display = None


def setUpModule():
    """An X display of the test program's own (`setUpModule = setupdriver.setUpModule`)."""
    global display
    display = winetest.PrivateDisplay()


def tearDownModule():
    display.close()


# --- what an installation must look like ------------------------------------------------------
def payload_tree():
    """{relative path with backslashes: bytes, or None for a folder} of the payload
    archive, unpacked by 7zz."""
    if not hasattr(payload_tree, "cache"):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run(["7zz", "x", "-y", f"-o{out}", PAYLOAD_ARCHIVE], check=True, timeout=120,
                           stdout=subprocess.DEVNULL)
            tree = {}
            for top, dirs, files in os.walk(out):
                rel_top = os.path.relpath(top, out)
                for d in dirs:
                    tree[os.path.normpath(os.path.join(rel_top, d)).replace("/", "\\")] = None
                for f in files:
                    with open(os.path.join(top, f), "rb") as fh:
                        tree[os.path.normpath(os.path.join(rel_top, f)).replace("/", "\\")] = fh.read()
            payload_tree.cache = tree
    return payload_tree.cache


def payload_kilobytes():
    """The unpacked size of the payload in kilobytes, rounded up, as 7zz lists it."""
    listing = subprocess.run(["7zz", "l", "-slt", PAYLOAD_ARCHIVE], capture_output=True, text=True, check=True,
                             timeout=60).stdout
    sizes = [int(line.split("=", 1)[1]) for line in listing.splitlines() if line.startswith("Size = ")]
    return (sum(sizes) + 1023) // 1024


def file_version(exe=winetest.SETUP_EXE):
    """The VS_FIXEDFILEINFO file version of a Windows program, or '' when it has none."""
    import pefile
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    infos = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not infos:
        return ""
    ms, ls = infos[0].FileVersionMS, infos[0].FileVersionLS
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def ansi_form(path):
    """Wine's link object keeps a target's local path in the ANSI code page only, so
    characters outside it come back as '?'."""
    return "".join(c if ord(c) < 128 else "?" for c in path)


def link_target(unix_link):
    """The local paths a shortcut file names, read on the Linux side by lnkinfo."""
    info = subprocess.run(["lnkinfo", unix_link], capture_output=True, timeout=30)
    return [line.split(":", 1)[1].strip() for line in info.stdout.decode("utf-8", "replace").splitlines()
            if line.strip().startswith("Local path")]


def entry_values(folder, version, kilobytes):
    """The uninstall entry's values for an installation in `folder`."""
    uninstaller = f"{folder}\\uninstall.exe"
    return {
        "UninstallString": ("sz", f'"{uninstaller}"'),
        "Publisher": ("sz", "Vexmora"),
        "DisplayName": ("sz", PRODUCT),
        "DisplayVersion": ("sz", version),
        "DisplayIcon": ("sz", f"{folder}\\Start.exe"),
        "URLInfoAbout": ("sz", "https://www.vexmora.com/zevlo"),
        "InstallLocation": ("sz", folder),
        "EstimatedSize": ("dword", kilobytes),
        "InstallDate": ("sz", winetest.Today()),
        "NoModify": ("dword", 1),
        "NoRepair": ("dword", 1),
        "QuietUninstallString": ("sz", f'"{uninstaller}" /S'),
    }


def registration_records(uninstall_key=UNINSTALL, menu=PRODUCT, uninstall_prefix=UNINSTALL_PREFIX,
                         new_menu_folder=True, client=True, desktop=True, uninstaller=True, autostart=True):
    """The journal records the registration writes, in their order: the menu folder when
    it made it, the shortcuts, the application path, the log-on start, the entry."""
    menu_folder = f"{PROGRAMS_MENU}\\{menu}"
    lines = [f"D {menu_folder}"] if new_menu_folder else []
    if client:
        lines.append(f"F {menu_folder}\\{menu}.lnk")
        if desktop:
            lines.append(f"F {DESKTOP}\\{menu}.lnk")
    if uninstaller:
        lines.append(f"F {menu_folder}\\{uninstall_prefix}{menu}.lnk")
    lines += [f"r {HKLM} {APP_PATHS}", f"R {HKLM} {APP_PATHS}\\SoftwarePath"]
    if autostart and client:
        lines.append(f"R {HKCU} {RUN}\\Vexmora-PC")
    lines += [f"R {HKLM} {uninstall_key}\\{name}" for name in UNINSTALL_VALUES]
    return lines


class InstallationChecks:
    """Assertions on an installation by the setup in a Machine (a TestCase mix-in)."""

    def assert_payload_installed(self, m, folder, extra=("uninstallE",)):
        tree = payload_tree()
        base = m.unix(folder)
        found = set()
        for top, dirs, files in os.walk(base):
            for name in dirs + files:
                found.add(os.path.relpath(os.path.join(top, name), base).replace("/", "\\"))
        self.assertEqual(found, set(tree) | set(extra))
        for rel, data in tree.items():
            if data is not None:
                with open(os.path.join(base, *rel.split("\\")), "rb") as f:
                    self.assertTrue(f.read() == data, rel)

    def assert_registered(self, m, folder, autostart=True, desktop=True):
        start, uninstaller = folder + "\\Start.exe", folder + "\\uninstall.exe"
        self.assertEqual(m.reg_values(APP_PATHS_KEY), {"SoftwarePath": ("sz", folder)})
        run = m.reg_values("HKCU\\" + RUN)
        if autostart:
            self.assertEqual(run.get("Vexmora-PC"), ("sz", f'"{start}"'))
        else:
            self.assertNotIn("Vexmora-PC", run)
        self.assertEqual(m.reg_values(ENTRY_KEY), entry_values(folder, file_version(), payload_kilobytes()))
        links = {CLIENT_LINK: start, UNINSTALL_LINK: uninstaller}
        if desktop:
            links[DESKTOP_LINK] = start
        for link in (CLIENT_LINK, UNINSTALL_LINK, DESKTOP_LINK):
            self.assertEqual(m.exists(link), link in links, link)
        for link, target in links.items():
            self.assertEqual(link_target(m.unix(link)), [ansi_form(target)], link)

    def assert_journal(self, m, folder, new_folders=(), fresh=True, new_menu=True, autostart=True,
                       desktop=True):
        """The records of the folders "start" made, the payload's (the folders it made when
        `fresh`, and its files) and registration's, in this order."""
        records = m.journal(folder)
        self.assertFalse(m.exists(folder + "\\uninstall"), "the plain journal is left")
        tree = payload_tree()
        payload = [r for r in records if r[:2] in ("D ", "F ") and r[2:].startswith(folder + "\\")]
        self.assertEqual(sorted(payload), sorted(
            [f"D {folder}\\{rel}" for rel, data in tree.items() if data is None and fresh] +
            [f"F {folder}\\{rel}" for rel, data in tree.items() if data is not None]))
        tail = registration_records(new_menu_folder=new_menu, desktop=desktop, autostart=autostart)
        self.maxDiff = None
        self.assertEqual(records, [f"D {f}" for f in new_folders] + payload + tail)


# --- machines made hostile ------------------------------------------------------------------------
@contextlib.contextmanager
def tmpfs(size="2m", read_only=False, inodes=None, inst=True):
    """A small Linux tmpfs (mounted for real: root only), holding an "inst" folder unless
    `inst` is false; remounted read-only when asked; with room for only `inodes` files
    and folders (its root and "inst" among them) when given."""
    os.makedirs(os.path.join(BUILD, "wine", "tmp"), exist_ok=True)
    where = tempfile.mkdtemp(prefix="vx-disk-", dir=os.path.join(BUILD, "wine", "tmp"))
    options = f"size={size}" + (f",nr_inodes={inodes}" if inodes else "")
    subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", where], check=True)
    try:
        if inst:
            os.makedirs(os.path.join(where, "inst"))
        if read_only:
            subprocess.run(["mount", "-o", "remount,ro", where], check=True)
        yield where
    finally:
        subprocess.run(["umount", "-l", where], check=False)
        os.rmdir(where)


class Locker:
    """tests/programs/hardfx_lock holding a file of the prefix, without sharing, until released."""

    def __init__(self, prefix, path):
        self.proc = prefix.start([os.path.join(PROGRAMS, "hardfx_lock.exe"), path], stdout=subprocess.PIPE)
        line = self.proc.stdout.readline().decode().strip()
        assert line == "locked", line

    def release(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=30)
        self.proc.stdout.close()


def damaged_setup(folder, late=False, name="VexmoraSetup.exe", source=winetest.SETUP_EXE):
    """A copy of the setup program `source`, in the Linux `folder`, whose payload ("BIN" 227) has
    16 bytes flipped: inside its first packed block (the archive opens, the block fails
    its check), or, `late`, 16 KB before the end of its packed streams (files are written,
    then a block near the end fails; the header, with its own small packed stream, stays
    whole). Its path."""
    import pefile
    import struct
    pe = pefile.PE(source, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    kind = next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.name is not None and str(t.name) == "BIN")
    entry = next(e for e in kind.directory.entries if e.id == 227)
    start = pe.get_offset_from_rva(entry.directory.entries[0].data.struct.OffsetToData)
    raw = bytearray(pe.__data__)
    if late:
        (next_header,) = struct.unpack_from("<Q", raw, start + 12)
        at = start + 32 + next_header - 16 * 1024
    else:
        at = start + 32 + 1024  # past the 7z signature header
    raw[at:at + 16] = bytes(b ^ 0xFF for b in raw[at:at + 16])
    out = os.path.join(folder, name)
    with open(out, "wb") as f:
        f.write(raw)
    return out


def run_records(lines):
    """A run's journal lines without its bookkeeping: its begin record, and the application
    path it points at itself first thing (engine/InstallRun.h)."""
    app_paths = "2147483650 " + APP_PATHS
    return [line for line in lines if not line.startswith("T ") and not line[2:].startswith(app_paths)]


class Extraction:
    """tests/programs/extractfx_run (the install run with the real failure message boxes)
    of `archive` (a fixture, or "-" for none) into `folder`. `answer` gives the key for
    each failure box: a sequence of keys ("a" once it runs out), or answer(n, message) for
    the n-th box (counted from 0), which may change the machine before answering.
    Afterwards: prompts (messages in order), events ((kind, value) pairs), journal (the
    plain journal's lines as written), result (the other fields), returncode."""

    def __init__(self, prefix, archive, folder, answer=(), program=os.path.join(PROGRAMS, "extractfx_run.exe")):
        if archive != "-":
            shutil.copy(os.path.join(winetest.FIXTURES, archive), prefix.unix_path("C:\\payload.7z"))
        if not callable(answer):
            keys = list(answer)
            answer = lambda n, message: keys[n] if n < len(keys) else "a"
        self.prompts, self.events, self.journal, self.result = [], [], [], {}
        proc = prefix.start([program, "C:\\payload.7z" if archive != "-" else "-", folder], stdout=subprocess.PIPE)
        seen = set()
        for raw in proc.stdout:
            kind, _, rest = raw.decode("utf-8").rstrip("\n").partition(" ")
            if kind == "prompt":
                wid = winetest.wait_window(name="^Install fail$", timeout=60, exclude=seen)
                seen.add(wid)
                key = answer(len(self.prompts), rest)
                self.prompts.append(rest)
                winetest.key(wid, key)
            elif kind == "event":
                self.events.append(tuple(int(v) for v in rest.split()))
            elif kind == "journal":
                self.journal.append(rest)
            else:
                self.result[kind] = rest
        proc.stdout.close()
        self.returncode = proc.wait(timeout=60)
        self.journal = run_records(self.journal)
