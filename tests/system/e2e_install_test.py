"""The setup program as a person uses it, end to end: the real VexmoraSetup.exe in a fresh
Wine machine (D: a fixed drive of its own), on an X display of this test's own, driven by
clicks at the places where the layouts put the controls and by keys for message boxes.

This file holds the driver that the other e2e_*_test.py files share (click table, page
recognition, machine set-up, checks of the installation) and the quick-install cases:
a quick install checked file by file against the payload, with its registry entries,
shortcuts and decrypted journal, the finish button starting the client; then a second
setup over that installation, which runs the earlier uninstaller and waits for it.

Screenshots of the pages and prompts stay under build/screenshots/e2e-*.png.
"""
import os
import shutil
import subprocess
import tempfile
import unittest

import winetest
from PIL import Image, ImageChops, ImageStat

BUILD = winetest.BUILD
SOURCE = winetest.SOURCE
SETUP_WIN = "C:\\VexmoraSetup.exe"
JOURNAL_DUMP = os.path.join(BUILD, "tools", "journal-dump.exe")
PROGRAMS = os.path.join(BUILD, "tests", "programs")
WAITER = os.path.join(PROGRAMS, "fx_waiter.exe")  # runs until it is ended
PAYLOAD_ARCHIVE = os.path.join(BUILD, "payload", "payload.7z")
CLIENT_STANDIN = os.path.join(BUILD, "payload", "bin", "Vexmora-PC.exe")
IMAGES = os.path.join(SOURCE, "skin", "images")

TITLE = "^VexmoraFM$"
PRODUCT = "VexmoraZevlo邮箱"
DEFAULT_FOLDER = "D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"
DEFAULT_FOLDER_LEVELS = ("D:\\Program Files", "D:\\Program Files\\Vexmora", DEFAULT_FOLDER)
MAIN_SIZE = (580, 400)     # layout 221 (and 232, the licence terms)
PROMPT_SIZE = (300, 176)   # layouts 228, 229, 230

# --- where a person clicks ---------------------------------------------------------------
# Centres of the controls, in window coordinates (the windows drop their caption style, so
# the client area is the whole window), computed from the layouts' sizes and paddings the
# way the box layouts place them.
MAIN = {
    # title row 0..30: title and spacer share 580 - (18 + 10 right padding) = 552; the
    # button sits at x 552..570, y 10..28
    "closebtn": (561, 19),
    # "defaultinstall" y 250..350; first row padding top 20: y 270..320; springs
    # (580 - 218) / 2 = 181 each: x 181..399
    "start": (290, 295),
    # "freeinstall" y 250..350: its label is the last (only) flexible child, so it gets what
    # is left after the fixed ones with its own top padding counted twice: 100 - 10 - 70 = 20
    # (y 260..280); the edit row follows at y 280..314: edit x 35..475, "browser" x 485..551
    "path": (255, 297),
    "browser": (518, 297),
    # options row y 324..340 (10 below the edit row), check boxes 14x14 at y 324..338: the
    # spring 580 - 140 - 140 = 300 puts the first group at x 300, the third at 440 + 20 = 460
    "createDesktopshortcut": (307, 331),
    "autostart": (467, 331),
    # terms row y 350..400, inner row x 20..560: the left column x 20..320 holds the check
    # box 20..34 and, after the 85-wide label, the link 119..319 (height 14)
    "agressinstall": (27, 357),
    "zevloterms": (219, 357),
    # default sub-page: spring 540 - 300 - 88 = 152 puts "vl_defaultinstall" at x 472..560
    "btn_freeinstall": (516, 357),
    # custom sub-page: spring 540 - 300 - 170 = 70 puts "vl_freeinstall" at x 390..560;
    # small "start" 390..486, spacer 8, "back" 494..560, both y 350..374
    "start_small": (438, 362),
    "back": (527, 362),
    # "finishinstall" y 250..400: springs (150 - 17 - 26 - 50) / 2 = 28 and 29 -> button
    # row y 321..371; button x 181..399
    "finishinstallbtn": (290, 346),
}
# A place with no control under it, where the pointer rests while pages are compared
# (a hot button would change the picture).
REST = (100, 150)

ALREADY_RUNNING = {  # layout 228: title bar 36, body 100, button row y 136..176
    # The title label (padding 11) gets (300 - 29) / 2 = 135, the last spring what is left
    # with that padding counted twice: 300 - 11 - 135 - 29 = 125, so the 18x18 button sits
    # at x 271..289, not at the edge.
    "closebtn": (280, 9),
    "okbtn": (150, 148),     # 60x24 between springs of 120: x 120..180, y 136..160
}
CLIENT_RUNNING = {  # layout 229: top row 36, body 100, button row y 136..176
    "closebtn": (284, 16),   # 12x12, padding right 10 and top 10: x 278..290, y 10..22
    "installbtn": (99, 148),  # 96 + 6 + 96 between springs of 51: x 51..147
    "cancelbtn": (201, 148),  # x 153..249
}
CONFIRM_EXIT = {  # layout 230: title 36, body 99, line 1, button row padded 20,8,20 -> y 144..168
    "closebtn": (291, 9),
    "cancelbtn": (145, 156),   # row x 20..280: spring 260 - 168 = 92 -> 112..178
    "installbtn": (232, 156),  # 178 + 6: x 184..280
}
TERMS = {  # layout 232: title 36, text 329, line 1, button row padded 0,5,20 -> y 371..395
    "closebtn": (571, 9),
    "btn_ok": (530, 383),      # spring 560 - 60: x 500..560
}


# --- pages as pictures ---------------------------------------------------------------------
def _skin(number):
    return Image.open(os.path.join(IMAGES, f"{number}.png")).convert("RGBA")


def _button_on_page(button, left, top):
    """What a button image looks like drawn over the lower pages' background (281), which
    starts at window y 250."""
    img = _skin(button)
    base = _skin(281).crop((left, top - 250, left + img.width, top - 250 + img.height))
    return (left, top, Image.alpha_composite(base, img).convert("RGB"))


# Each page shows one button that no other page shows at that place.
PAGE_SIGNS = {
    "default": _button_on_page(254, 181, 270),   # the large "start"
    "custom": _button_on_page(268, 494, 350),    # "back"
    "finish": _button_on_page(271, 181, 321),    # "finishinstallbtn"
}


def _difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


def page_of(img):
    """'default', 'custom', 'finish', or None (the progress page or anything else)."""
    for name, (left, top, expected) in PAGE_SIGNS.items():
        region = img.crop((left, top, left + expected.width, top + expected.height))
        if _difference(region, expected) < 12:
            return name
    return None


def _banner(number):
    """A banner image as the "background" layout draws it: over its colour #FF333333."""
    img = _skin(number)
    return Image.alpha_composite(Image.new("RGBA", img.size, (0x33, 0x33, 0x33, 255)), img).convert("RGB")


BANNER_BOX = (10, 40, 540, 240)  # below the title row, clear of the close button
BANNERS = {number: _banner(number).crop(BANNER_BOX) for number in (250, 273, 274)}


def banner_of(img):
    """250, 273 or 274: the banner image the window shows, or None."""
    region = img.crop(BANNER_BOX)
    return next((n for n, expected in BANNERS.items() if _difference(region, expected) < 12), None)


def lower_part(img):
    """The page below the banner (the banner changes every 2.5 seconds)."""
    return img.crop((0, 250, 580, 400))


def same_picture(a, b):
    return _difference(a, b) < 1


class Machine:
    """A fresh Wine machine with the setup program at C:\\VexmoraSetup.exe."""

    def __init__(self, setup_exe=winetest.SETUP_EXE):
        self.p = winetest.Prefix(arch=64)
        shutil.copy(setup_exe, self.p.unix_path(SETUP_WIN))
        self.started = []

    def close(self):
        for proc in self.started:
            if proc.poll() is None:
                proc.kill()
        self.p.close()

    def unix(self, win_path):
        return self.p.unix_path(win_path)

    def start(self, args, cwd=None):
        """Starts a program; `cwd` (a Linux folder inside a drive) becomes its current folder."""
        proc = self.p.start(args, **({"cwd": cwd} if cwd else {}))
        self.started.append(proc)
        return proc

    def start_setup(self, setup_win=SETUP_WIN, cwd=None):
        return Setup(self, self.start([setup_win], cwd=cwd))

    def tool(self, name):
        """A helper program of tests/programs, copied into the machine; its Windows path."""
        path = f"C:\\tools\\{name}.exe"
        if not os.path.exists(self.unix(path)):
            os.makedirs(os.path.dirname(self.unix(path)), exist_ok=True)
            shutil.copy(os.path.join(PROGRAMS, name + ".exe"), self.unix(path))
        return path

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

    def start_client(self):
        """The stand-in client "Vexmora-PC.exe", running; returns (process, its window)."""
        path = "C:\\client\\Vexmora-PC.exe"
        os.makedirs(os.path.dirname(self.unix(path)), exist_ok=True)
        shutil.copy(CLIENT_STANDIN, self.unix(path))
        before = set(winetest.find_windows(f"^{PRODUCT}$"))
        proc = self.start([path])
        wid = winetest.wait_window(f"^{PRODUCT}$", timeout=60, exclude=before)
        return proc, wid

    def reg_values(self, key):
        """{value name: (type, data)} of one key, {} when it is missing."""
        exported = self.p.reg_export(key)
        full = key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\").replace("HKCU\\", "HKEY_CURRENT_USER\\")
        return next((values for name, values in exported.items() if name.lower() == full.lower()), {})

    def journal(self, folder):
        """The decrypted records of folder\\uninstallE, read by the journal's own reader."""
        tool = "C:\\tools\\journal-dump.exe"
        if not os.path.exists(self.unix(tool)):
            os.makedirs(os.path.dirname(self.unix(tool)), exist_ok=True)
            shutil.copy(JOURNAL_DUMP, self.unix(tool))
        r = self.p.run([tool, "--check", folder + "\\uninstallE"])
        assert r.returncode == 0, (r.returncode, r.stderr.decode(errors="replace"))
        return r.stdout.decode("utf-8").splitlines()


class Setup:
    """One running VexmoraSetup.exe and its windows."""

    def __init__(self, machine, proc):
        self.m = machine
        self.proc = proc
        self.wid = None

    def wait_main(self, exclude=()):
        def shown():
            if self.proc.poll() is not None:
                raise AssertionError(f"setup ended with exit code {self.proc.returncode} before its window")
            found = [w for w in winetest.find_windows(TITLE)
                     if w not in exclude and winetest.window_geometry(w)[2:] == MAIN_SIZE]
            return found[0] if found else None
        try:
            self.wid = winetest.wait_until(shown, timeout=120, what="the main window")
        except AssertionError:
            screen_shot("failed-waiting-for-main")
            raise
        self.wait_page("default")
        return self.wid

    def click(self, name, table=MAIN, wid=None):
        winetest.click(wid or self.wid, *table[name])
        winetest.xdotool("mousemove", "--window", wid or self.wid, *REST)

    def rest_pointer(self):
        """The pointer moved again off every button, as a person's hand does once a message
        box is gone: the window, disabled under the box, heard no move while it was up, so
        the button clicked last may still be drawn hot."""
        x, y = REST
        winetest.xdotool("mousemove", "--window", self.wid, x + 1, y + 1)
        winetest.xdotool("mousemove", "--window", self.wid, x, y)

    def picture(self):
        return winetest.capture(self.wid)

    def wait_page(self, name, timeout=90):
        try:
            return winetest.wait_until(lambda: page_of(self.picture()) == name, timeout=timeout,
                                       what=f"the {name} page")
        except AssertionError:
            screen_shot(f"failed-waiting-for-{name}")  # the whole screen, for whoever debugs it
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
        field = self.picture().crop((36, 281, 474, 313))
        return dict((colour, n) for n, colour in field.getcolors(1 << 20)).get((255, 255, 255), 0) > 1000

    def wait_exit(self, timeout=60):
        return self.proc.wait(timeout=timeout)

    def prompt(self, size=PROMPT_SIZE, exclude=()):
        """The next prompt window of this size (not the main window), once it is drawn."""
        wid = winetest.wait_window(TITLE, size=size, timeout=90, exclude=tuple(exclude) + (self.wid,))
        winetest.wait_drawn(wid)
        return wid




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


# --- what an installation must look like ------------------------------------------------------
PROGRAMS_MENU = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
DESKTOP = "C:\\users\\Public\\Desktop"
MENU = f"{PROGRAMS_MENU}\\{PRODUCT}"
CLIENT_LINK = f"{MENU}\\{PRODUCT}.lnk"
UNINSTALL_LINK = f"{MENU}\\卸载 {PRODUCT}.lnk"
DESKTOP_LINK = f"{DESKTOP}\\{PRODUCT}.lnk"
HKLM, HKCU = winetest.HKLM, winetest.HKCU
APP_PATHS = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe"
RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
UNINSTALL = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版"
UNINSTALL_VALUES = ("UninstallString", "Publisher", "DisplayName", "DisplayVersion", "DisplayIcon", "URLInfoAbout",
                    "InstallLocation", "EstimatedSize", "InstallDate", "NoModify", "NoRepair", "QuietUninstallString")
# Where the 32-bit program's machine keys land in a 64-bit prefix.
WOW = "HKLM\\Software\\Wow6432Node\\"


def payload_tree():
    """{relative path with backslashes: bytes} of the payload archive, unpacked by 7zz."""
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


def setup_version():
    import pefile
    pe = pefile.PE(winetest.SETUP_EXE, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    ms, ls = pe.VS_FIXEDFILEINFO[0].FileVersionMS, pe.VS_FIXEDFILEINFO[0].FileVersionLS
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def ansi_form(path):
    """Wine's link object keeps a target in the ANSI code page: other characters read '?'."""
    return "".join(c if ord(c) < 128 else "?" for c in path)


def link_target(machine, link):
    info = subprocess.run(["lnkinfo", machine.unix(link)], capture_output=True, timeout=30)
    return [line.split(":", 1)[1].strip() for line in info.stdout.decode("utf-8", "replace").splitlines()
            if line.strip().startswith("Local path")]


class InstallationChecks:
    """Assertions on an installation in a Machine (a TestCase mix-in)."""

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
        self.assertEqual(m.reg_values(WOW + APP_PATHS.split("Software\\", 1)[1]),
                         {"SoftwarePath": ("sz", folder)})
        run = m.reg_values("HKCU\\" + RUN)
        if autostart:
            self.assertEqual(run.get("Vexmora-PC"), ("sz", f'"{start}"'))
        else:
            self.assertNotIn("Vexmora-PC", run)
        self.assertEqual(m.reg_values("HKLM\\" + UNINSTALL), {
            "UninstallString": ("sz", f'"{uninstaller}"'),
            "Publisher": ("sz", "Vexmora"),
            "DisplayName": ("sz", PRODUCT),
            "DisplayVersion": ("sz", setup_version()),
            "DisplayIcon": ("sz", start),
            "URLInfoAbout": ("sz", "https://www.vexmora.com/zevlo"),
            "InstallLocation": ("sz", folder),
            "EstimatedSize": ("dword", payload_kilobytes()),
            "InstallDate": ("sz", winetest.Today()),
            "NoModify": ("dword", 1),
            "NoRepair": ("dword", 1),
            "QuietUninstallString": ("sz", f'"{uninstaller}" /S'),
        })
        links = {CLIENT_LINK: start, UNINSTALL_LINK: uninstaller}
        if desktop:
            links[DESKTOP_LINK] = start
        for link in (CLIENT_LINK, UNINSTALL_LINK, DESKTOP_LINK):
            self.assertEqual(os.path.exists(m.unix(link)), link in links, link)
        for link, target in links.items():
            self.assertEqual(link_target(m, link), [ansi_form(target)], link)

    def assert_journal(self, m, folder, new_folders=(), set_aside=(), fresh=True, new_menu=True, autostart=True,
                       desktop=True):
        """The records of the folders "start" made, of the shell extension's "_bak" files
        that the start event made (`set_aside`, names in `folder`), the payload's (the
        folders it made when `fresh`, and its files) and registration's, in this order."""
        records = m.journal(folder)
        self.assertFalse(os.path.exists(m.unix(folder + "\\uninstall")), "the plain journal is left")
        tree = payload_tree()
        aside = [f"F {folder}\\{name}" for name in set_aside]
        payload = [r for r in records if r[:2] in ("D ", "F ") and r[2:].startswith(folder + "\\") and r not in aside]
        self.assertEqual(sorted(payload), sorted(
            [f"D {folder}\\{rel}" for rel, data in tree.items() if data is None and fresh] +
            [f"F {folder}\\{rel}" for rel, data in tree.items() if data is not None]))
        tail = [f"D {MENU}"] if new_menu else []
        tail.append(f"F {CLIENT_LINK}")
        if desktop:
            tail.append(f"F {DESKTOP_LINK}")
        tail += [f"F {UNINSTALL_LINK}", f"r {HKLM} {APP_PATHS}", f"R {HKLM} {APP_PATHS}\\SoftwarePath"]
        if autostart:
            tail.append(f"R {HKCU} {RUN}\\Vexmora-PC")
        tail += [f"R {HKLM} {UNINSTALL}\\{name}" for name in UNINSTALL_VALUES]
        self.assertEqual(records, [f"D {f}" for f in new_folders] + aside + payload + tail)


display = None


def setUpModule():
    global display
    display = winetest.PrivateDisplay()


def tearDownModule():
    display.close()


class QuickInstallTest(unittest.TestCase, InstallationChecks):
    def test_quick_install_then_setup_again_over_it(self):
        m = Machine()
        self.addCleanup(m.close)

        setup = m.start_setup()
        setup.wait_main()
        shot(setup.wid, "main-default")
        # The banner turns every 2.5 seconds: 274, 250, 273 after the layout's own 273.
        self.assertEqual([273, 274, 250, 273], setup.banner_turns(3))
        setup.click("start")
        setup.wait_page("finish")
        setup.wait_banner(274)  # and goes on turning on the finish page
        shot(setup.wid, "main-finish")
        # Registration finished the journal: encrypted, the plain file gone, whatever ends
        # the program now.
        self.assert_payload_installed(m, DEFAULT_FOLDER)
        self.assert_registered(m, DEFAULT_FOLDER)

        setup.click("finishinstallbtn")
        self.assertEqual(0, setup.wait_exit())
        # "Start.exe" ran and started the client, whose window carries the product name.
        client = winetest.wait_window(f"^{PRODUCT}$", timeout=60)
        self.assertFalse(os.path.exists(m.unix(DEFAULT_FOLDER + "\\uninstall")))
        # "start" made the whole default folder before the journal was open: its levels
        # lead the journal, so the uninstaller can take them away again.
        self.assert_journal(m, DEFAULT_FOLDER, new_folders=DEFAULT_FOLDER_LEVELS)
        m.p.run(["taskkill", "/f", "/im", "Vexmora-PC.exe"])
        winetest.wait_gone(client)

        # Setup again: the recorded installation's uninstaller runs with " true", removes
        # what the journal lists and keeps its note; the new files are written only after it
        # has ended.
        again = m.start_setup()
        again.wait_main()
        again.click("start")
        again.wait_page("finish")
        note = m.unix(DEFAULT_FOLDER + "\\uninstall-ran.txt")
        with open(note, "rb") as f:
            self.assertEqual(b"ran:  true\r\n", f.read())
        noted = os.stat(note).st_mtime_ns
        for rel, data in payload_tree().items():
            if data is not None:
                written = os.stat(os.path.join(m.unix(DEFAULT_FOLDER), *rel.split("\\"))).st_ctime_ns
                self.assertGreaterEqual(written, noted, rel)
        self.assert_payload_installed(m, DEFAULT_FOLDER, extra=("uninstallE", "uninstall-ran.txt"))
        again.click("closebtn")
        confirm = again.prompt()
        again.click("cancelbtn", CONFIRM_EXIT, wid=confirm)
        self.assertEqual(0, again.wait_exit())
        # The uninstaller had taken the payload's folders and the menu away; the folders it
        # left for the new install (those the first setup made) are carried over.
        self.assert_journal(m, DEFAULT_FOLDER, new_folders=DEFAULT_FOLDER_LEVELS)


    def test_a_system_close_waits_for_the_end_of_the_run(self):
        """A close from the task bar while the run is busy (here: waiting for an earlier
        installation's uninstaller, which never ends by itself) is ignored; the run
        completes, and the same close on the finish page then closes the window."""
        m = Machine()
        self.addCleanup(m.close)
        old = "D:\\Old Mail"
        os.makedirs(m.unix(old))
        shutil.copy(WAITER, m.unix(old + "\\uninstall.exe"))
        m.p.reg_add(WOW + APP_PATHS.split("Software\\", 1)[1], "SoftwarePath", "REG_SZ", old)
        setup = m.start_setup()
        setup.wait_main()
        setup.click("start")  # quick install into the recorded folder
        pid_file = m.unix(old + "\\uninstall.exe.pid")
        winetest.wait_until(lambda: os.path.exists(pid_file), timeout=60, what="the earlier uninstaller")
        m.close_from_task_bar()
        with open(pid_file) as f:
            m.p.run(["taskkill", "/f", "/pid", f.read().strip()])
        setup.wait_page("finish")
        self.assertIsNone(setup.proc.poll())
        self.assert_payload_installed(m, old, extra=("uninstallE", "uninstall.exe.pid"))
        m.close_from_task_bar()
        self.assertEqual(0, setup.wait_exit())


if __name__ == "__main__":
    unittest.main(verbosity=2)
