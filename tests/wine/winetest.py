"""Throw-away Wine machines for the system tests and for ./run.sh.

A template prefix (a 64-bit Windows) is made once per build directory (wineboot takes
~15 s); each test copies it into a fresh prefix in a second. Every prefix we make has no Z:
drive (it would be the Linux root, a fixed drive) and a D: drive mapped to a folder of
the prefix's own, so the default install folder lands inside the test's own files.

Only Debian's python3 standard library is used.
"""
import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time

BUILD = os.environ.get("VEXMORA_BUILD") or os.path.join(os.path.dirname(__file__), "..", "..", "build")
BUILD = os.path.abspath(BUILD)
SOURCE = os.path.abspath(os.environ.get("VEXMORA_SOURCE") or os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_ROOT = os.path.join(BUILD, "wine")
SETUP_EXE = os.path.join(BUILD, "VexmoraSetup.exe")
PROGRAMS = os.path.join(BUILD, "tests", "programs")  # the test programs (tests/programs)
FIXTURES = os.path.join(BUILD, "tests", "fixtures")
# Every program runs under the 64-bit loader, whatever else the machine has (tools/wine64):
# `wine wineboot`, `wine reg` and the rest are 64-bit programs too, so they see the
# registry's native view, and keys of the 32-bit view are named through Wow6432Node.
WINE = os.path.join(SOURCE, "tools", "wine64")

BASE_ENV = {
    "WINEDEBUG": "-all",
    # No Mono or Gecko install prompts, no menu entries written to the Linux desktop.
    "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=",
}

HKLM = 2147483650
HKCU = 2147483649


def _run(cmd, env, timeout=120, check=True, **kw):
    return subprocess.run(cmd, env=env, timeout=timeout, check=check, **kw)


def _env(prefix):
    env = dict(os.environ)
    env.update(BASE_ENV)
    env["WINEPREFIX"] = prefix
    env["WINEARCH"] = "win64"
    return env


def ensure_template():
    """Creates (once) the template prefix and returns its path."""
    path = os.path.join(WINE_ROOT, "template")
    if os.path.exists(os.path.join(path, ".ready")):
        return path
    os.makedirs(WINE_ROOT, exist_ok=True)
    lock = path + ".lock"
    with open(lock, "w") as lf:
        import fcntl
        fcntl.flock(lf, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(path, ".ready")):
            return path
        shutil.rmtree(path, ignore_errors=True)
        env = _env(path)
        _run([WINE, "wineboot", "-i"], env, timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # wineboot leaves work running (it writes the default font links, among others):
        # what is imported below must come after it.
        _run(["wineserver", "-w"], env, timeout=300)
        cjk = "WenQuanYi Micro Hei"
        regs = [
            ["HKCU\\Software\\Wine\\Fonts\\Replacements", "微软雅黑", "REG_SZ", cjk],
            ["HKCU\\Software\\Wine\\Fonts\\Replacements", "幼圆", "REG_SZ", cjk],
            ["HKCU\\Software\\Wine\\Fonts\\Replacements", "Microsoft YaHei", "REG_SZ", cjk],
            ["HKCU\\Software\\Wine\\WineDbg", "ShowCrashDialog", "REG_DWORD", "0"],
            ["HKLM\\Software\\Wine\\Drives", "d:", "REG_SZ", "hd"],
        ]
        # Every 64-bit Windows has these keys of the 32-bit view, empty at worst; a new
        # Wine prefix does not, and a machine's snapshot would count them as our leftovers.
        for key in ["Uninstall", "Run"]:
            regs.append([f"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\{key}", None, None, None])
        # The system's dialog fonts fall back to the CJK font, as on a Chinese Windows,
        # so message boxes and native controls show their Chinese text.
        for face in ["Tahoma", "Tahoma Bold", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif",
                     "Segoe UI", "Arial"]:
            regs.append(["HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                         face, "REG_MULTI_SZ", "wqy-microhei.ttc," + cjk])
        _reg_import(path, env, regs)
        _run(["wineserver", "-w"], env, timeout=120)
        with contextlib.suppress(FileNotFoundError):
            os.remove(os.path.join(path, "dosdevices", "z:"))
        open(os.path.join(path, ".ready"), "w").close()
    return path


def _reg_import(prefix, env, values):
    """Imports [key, value name, kind, data] rows (kind None: the key alone) in one reg.exe
    start instead of one per value. Kinds: REG_SZ, REG_DWORD, REG_MULTI_SZ (one string)."""
    reg_file = os.path.join(prefix, "drive_c", "import.reg")
    with open(reg_file, "w", encoding="utf-16") as f:
        f.write("Windows Registry Editor Version 5.00\r\n")
        for key, name, kind, data in values:
            root = key.replace("HKCU", "HKEY_CURRENT_USER").replace("HKLM", "HKEY_LOCAL_MACHINE")
            f.write(f"\r\n[{root}]\r\n")
            if kind is None:
                continue
            if kind == "REG_SZ":
                value = '"' + data.replace("\\", "\\\\").replace('"', '\\"') + '"'
            elif kind == "REG_DWORD":
                value = f"dword:{int(data):08x}"
            else:  # REG_MULTI_SZ
                blob = (data + "\0\0").encode("utf-16-le")
                value = "hex(7):" + ",".join(f"{b:02x}" for b in blob)
            f.write(f'"{name}"={value}\r\n')
    r = _run([WINE, "reg", "import", "C:\\import.reg"], env, check=False, capture_output=True)
    os.remove(reg_file)
    assert r.returncode == 0, r


def clone_prefix(template, target):
    """Copies a prefix in about a second: files are hard links (Wine replaces rather than
    rewrites its DLLs), the registry hives are real copies since wineserver saves them."""
    shutil.copytree(template, target, symlinks=True, copy_function=os.link)
    for name in os.listdir(target):
        if name.endswith(".reg"):
            path = os.path.join(target, name)
            os.remove(path)
            shutil.copy2(os.path.join(template, name), path)


class Prefix:
    """A fresh Wine machine: `with Prefix() as p: p.run([...])`.

    drives: letter -> type ("hd", "floppy", "cdrom", "network") or (type, linux_dir).
    A drive given by type alone is mapped to a new folder inside the prefix.
    """

    def __init__(self, drives=None, keep=False):
        self.keep = keep or bool(os.environ.get("VEXMORA_KEEP_PREFIX"))
        os.makedirs(os.path.join(WINE_ROOT, "tmp"), exist_ok=True)
        self.root = tempfile.mkdtemp(prefix="p-", dir=os.path.join(WINE_ROOT, "tmp"))
        self.path = os.path.join(self.root, "prefix")
        clone_prefix(ensure_template(), self.path)
        self.env = _env(self.path)
        self.drives = {}
        for letter, setting in (drives if drives is not None else {"d": "hd"}).items():
            self.map_drive(letter, setting)

    # -- machine setup -------------------------------------------------------------
    def map_drive(self, letter, setting):
        kind, target = (setting, None) if isinstance(setting, str) else setting
        if target is None:
            target = os.path.join(self.root, f"drive_{letter}")
            os.makedirs(target, exist_ok=True)
        link = os.path.join(self.path, "dosdevices", f"{letter}:")
        with contextlib.suppress(FileNotFoundError):
            os.remove(link)
        os.symlink(target, link)
        self.drives[letter] = target
        if kind != "hd" or letter != "d":
            self.reg_add("HKLM\\Software\\Wine\\Drives", f"{letter}:", "REG_SZ", kind)

    def unix_path(self, win_path):
        """C:\\x\\y -> the Linux path of that file in this prefix."""
        letter, rest = win_path[0].lower(), win_path[2:].lstrip("\\")
        base = os.path.join(self.path, "drive_c") if letter == "c" else self.drives[letter]
        return os.path.join(base, *[p for p in rest.split("\\") if p])

    # -- processes -----------------------------------------------------------------
    def run(self, cmd, timeout=120, check=False, **kw):
        kw.setdefault("capture_output", True)
        return _run([WINE] + list(cmd), self.env, timeout=timeout, check=check, **kw)

    def start(self, cmd, **kw):
        kw.setdefault("stdout", subprocess.DEVNULL)
        kw.setdefault("stderr", subprocess.DEVNULL)
        kw.setdefault("env", self.env)
        return subprocess.Popen([WINE] + list(cmd), **kw)

    # -- registry ------------------------------------------------------------------
    def reg_add(self, key, name, kind, data):
        """Adds a value in the registry's native view (keys of the 32-bit view are under
        HKLM\\Software\\Wow6432Node)."""
        cmd = ["reg", "add", key, "/f"]
        if name is None:
            cmd += ["/ve"]
        else:
            cmd += ["/v", name]
        if kind is not None:
            cmd += ["/t", kind, "/d", str(data)]
        r = self.run(cmd)
        assert r.returncode == 0, r

    def reg_import(self, values):
        """Adds [key, value name, kind, data] rows at once (see reg_add)."""
        _reg_import(self.path, self.env, values)

    def reg_export(self, key):
        """Returns {subkey path (as exported): {value name: (type, data)}} or {} if missing.
        '@' is the default value. Types: 'sz', 'dword', 'hex(2)', ..."""
        out_win = "C:\\reg-export.reg"
        out = self.unix_path(out_win)
        with contextlib.suppress(FileNotFoundError):
            os.remove(out)
        r = self.run(["reg", "export", key, out_win, "/y"])
        if r.returncode != 0 or not os.path.exists(out):
            return {}
        with open(out, "rb") as f:
            raw = f.read()
        text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
        return parse_reg(text)

    def wait_idle(self, timeout=60):
        _run(["wineserver", "-w"], self.env, timeout=timeout, check=False)

    def close(self):
        _run(["wineserver", "-k"], self.env, timeout=60, check=False,
             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def parse_reg(text):
    text = text.replace("\\\r\n  ", "").replace("\\\n  ", "")
    keys, current = {}, None
    for line in text.splitlines():
        line = line.rstrip("\r")
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and "=" in line:
            m = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
            if not m:
                continue
            name = "@" if m.group(1) == "@" else m.group(1)[1:-1].replace('\\"', '"').replace("\\\\", "\\")
            current[name] = _parse_reg_data(m.group(2))
    return keys


def _parse_reg_data(data):
    if data.startswith('"'):
        return ("sz", data[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
    if data.startswith("dword:"):
        return ("dword", int(data[6:], 16))
    m = re.match(r"^hex(\([0-9a-f]+\))?:(.*)$", data)
    if m:
        kind = "hex" + (m.group(1) or "")
        blob = bytes(int(b, 16) for b in m.group(2).split(",") if b.strip())
        if kind == "hex(2)":
            return ("expand_sz", blob.decode("utf-16-le").rstrip("\0"))
        return (kind, blob)
    return ("?", data)


class Today:
    """Equal to the text yyyymmdd of any day from the start of this test program to now
    (a test that runs over midnight sees either date written)."""
    START = time.strftime("%Y%m%d")

    def __eq__(self, other):
        return isinstance(other, str) and self.START <= other <= time.strftime("%Y%m%d")

    def __repr__(self):
        return f"<today: {self.START}..{time.strftime('%Y%m%d')}>"


# -- driving windows as a person would --------------------------------------------------
def wait_until(predicate, timeout=30, interval=0.1, what="condition"):
    """Polls `predicate` until it returns a true value or the deadline passes."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


def xdotool(*args, check=True):
    r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True, timeout=30)
    if check and r.returncode != 0:
        raise AssertionError(f"xdotool {args}: {r.stderr}")
    return r.stdout.strip()


def find_windows(name="^VexmoraFM$", pid=None):
    args = ["search", "--onlyvisible", "--name", name]
    r = subprocess.run(["xdotool"] + args, capture_output=True, text=True, timeout=30)
    ids = [int(x) for x in r.stdout.split()]
    return ids


def window_geometry(wid):
    out = xdotool("getwindowgeometry", "--shell", wid)
    vals = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return int(vals["X"]), int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"])


def wait_window(name="^VexmoraFM$", size=None, timeout=60, exclude=()):
    """Waits for a visible window with that title (and size, when given); returns its id."""
    def probe():
        for wid in find_windows(name):
            if wid in exclude:
                continue
            if size is None or window_geometry(wid)[2:] == tuple(size):
                return wid
        return None
    return wait_until(probe, timeout=timeout, what=f"window {name} {size or ''}")


def click(wid, x, y):
    xdotool("mousemove", "--window", wid, x, y)
    xdotool("click", "--window", wid, 1)


def key(wid, *keys):
    xdotool("key", "--window", wid, *keys)


def type_text(wid, text):
    xdotool("type", "--window", wid, "--delay", 20, text)


def screenshot(wid, name):
    """Saves a screenshot of the window under build/screenshots/NAME.png."""
    out_dir = os.path.join(BUILD, "screenshots")
    os.makedirs(out_dir, exist_ok=True)
    out = os.path.join(out_dir, name + ".png")
    subprocess.run(["import", "-window", str(wid), out], timeout=60, check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return out


# -- more of a person's view (end-to-end tests) ------------------------------------------
class PrivateDisplay:
    """An Xvfb of its own for one test program, so that windows of tests running in
    parallel never lie over each other. Sets DISPLAY in os.environ (prefixes made
    afterwards inherit it) and restores it on close."""

    def __init__(self, size="1280x1024x24"):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size, "-nolisten", "tcp"],
                                     pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.proc.kill()
            raise AssertionError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        self.previous = os.environ.get("DISPLAY")
        os.environ["DISPLAY"] = self.display

    def close(self):
        if self.previous is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.previous
        self.proc.terminate()
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.proc.wait(timeout=10)
        if self.proc.poll() is None:
            self.proc.kill()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def window_name(wid):
    r = subprocess.run(["xdotool", "getwindowname", str(wid)], capture_output=True, timeout=30)
    return r.stdout.decode("utf-8", "replace").rstrip("\n") if r.returncode == 0 else None


def wait_gone(wid, timeout=30):
    """Waits until the window is no longer visible (closed or hidden)."""
    wait_until(lambda: wid not in find_windows(".*"), timeout=timeout, what=f"window {wid} to go")


def capture(wid):
    """The window's pixels now, as a PIL image (RGB)."""
    from PIL import Image
    with tempfile.NamedTemporaryFile(suffix=".png") as f:
        subprocess.run(["import", "-window", str(wid), f.name], timeout=60, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Image.open(f.name).convert("RGB")


def wait_drawn(wid, timeout=60):
    """Waits until the window shows its skin. A click that arrives between the window's
    appearance and its first paint finds no control laid out under it (layout happens at
    the first paint), while a person clicks only what is on the screen."""
    def drawn():
        colours = capture(wid).getcolors(maxcolors=100000)
        return colours is not None and len(colours) > 50
    wait_until(drawn, timeout=timeout, what=f"window {wid} drawn")


def click_until(wid, x, y, done, what, timeout=60, retry_after=2):
    """Clicks until `done()` holds, for a window that may still be busy with its first
    layout; returns what `done` returned."""
    deadline = time.monotonic() + timeout
    while True:
        subprocess.run(["xdotool", "mousemove", "--window", str(wid), str(x), str(y), "click", "1"],
                       capture_output=True, timeout=30)
        try:
            return wait_until(done, timeout=retry_after, what=what)
        except AssertionError:
            if time.monotonic() > deadline:
                raise
