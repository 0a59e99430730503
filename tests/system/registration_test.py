"""Registration with the system after a completed extraction: registry entries with their
exact data, type and registry view, start-menu and desktop shortcuts (read back through the
shell's link object and, independently, from the file on the Linux side with lnkinfo), the
journal records in their order, the reset event and the release of the single-instance mutex.

The registration runs inside tests/programs/regfx_after_install.exe (linked with the setup
program's strings and version block) or regfx_bare.exe (no resources at all), copied into
each prefix so that they find their own version block through a Windows path.
"""
import contextlib
import os
import shutil
import struct
import subprocess
import unittest

import winetest

PROGRAMS = os.path.join(winetest.BUILD, "tests", "programs")
TOOL_DIR = "C:\\regfx"

PROGRAMS_MENU = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
DESKTOP = "C:\\users\\Public\\Desktop"
PRODUCT = "VexmoraZevlo邮箱"
UNINSTALL_PREFIX = "卸载 "
MENU = f"{PROGRAMS_MENU}\\{PRODUCT}"
CLIENT_LINK = f"{MENU}\\{PRODUCT}.lnk"
UNINSTALL_LINK = f"{MENU}\\{UNINSTALL_PREFIX}{PRODUCT}.lnk"
DESKTOP_LINK = f"{DESKTOP}\\{PRODUCT}.lnk"
FALLBACK_LINKS = [f"{PROGRAMS_MENU}\\VexmoraFM\\VexmoraFM.lnk", f"{PROGRAMS_MENU}\\VexmoraFM\\Uninstall VexmoraFM.lnk",
                  f"{DESKTOP}\\VexmoraFM.lnk"]
ALL_LINKS = [CLIENT_LINK, UNINSTALL_LINK, DESKTOP_LINK] + FALLBACK_LINKS

HKLM, HKCU = winetest.HKLM, winetest.HKCU
APP_PATHS = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QuillwireVexmora.exe"
RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
UNINSTALL_64 = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版"
UNINSTALL_32 = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillwire-Vexmora专用版"
UNINSTALL_VALUES = ["UninstallString", "Publisher", "DisplayName", "DisplayVersion", "DisplayIcon", "URLInfoAbout",
                    "InstallLocation", "EstimatedSize", "InstallDate", "NoModify", "NoRepair", "QuietUninstallString"]
PAYLOAD_KB = 3073  # the stand-in payload size of regfx_after_install: 3 MB and a byte
OLD_START = "C:\\old\\Start.exe"


def file_version(exe):
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


def view_flag(view):
    return [f"/reg:{view}"] if view else []


class Machine:
    """A fresh prefix with the registration probes copied into it. `keys` names the
    registry keys that inspect() exports: name -> (key, registry view or None)."""

    def __init__(self, arch):
        self.p = winetest.Prefix(arch=arch)
        os.makedirs(self.p.unix_path(TOOL_DIR), exist_ok=True)
        for name in ("regfx_after_install", "regfx_bare"):
            shutil.copy(os.path.join(PROGRAMS, name + ".exe"), self.p.unix_path(f"{TOOL_DIR}\\{name}.exe"))
        shutil.copy(os.path.join(winetest.BUILD, "tools", "journal-dump.exe"),
                    self.p.unix_path(f"{TOOL_DIR}\\journal-dump.exe"))
        native, wow = (64, 32) if arch == 64 else (None, None)
        self.keys = {
            # Where the 32-bit setup program's keys land, seen natively; and where they must not.
            "uninstall": ("HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                          "Quillwire-Vexmora专用版" if arch == 64 else "HKLM\\" + UNINSTALL_32, native),
            "uninstall_elsewhere": ("HKLM\\" + UNINSTALL_32 if arch == 64 else
                                    "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                                    "Quillwire-Vexmora专用版", native),
            "app_paths": ("HKLM\\" + APP_PATHS, wow),
            "hkcu_run": ("HKCU\\" + RUN, None),
            "hklm_run": ("HKLM\\" + RUN, wow),
        }
        self.wow = wow

    def close(self):
        self.p.close()

    def exists(self, path):
        return os.path.exists(self.p.unix_path(path))

    def install_folder(self, folder, files=("Start.exe", "uninstall.exe")):
        """The folder as the extraction leaves it: the client's programs (or some of them)."""
        os.makedirs(self.p.unix_path(folder), exist_ok=True)
        for name in files:
            with open(self.p.unix_path(folder + "\\" + name), "wb") as f:
                f.write(b"MZ")
        return folder

    def register(self, folder, *flags, program="regfx_after_install"):
        """Runs the registration; returns (outcome fields, plain journal lines)."""
        r = self.p.run([f"{TOOL_DIR}\\{program}.exe", "run", folder, *flags])
        out = r.stdout.decode("utf-8")
        assert r.returncode == 0, (r.returncode, out, r.stderr.decode(errors="replace"))
        outcome, journal = {}, []
        for line in out.splitlines():
            field, _, value = line.partition("=")
            if field == "journal":
                journal.append(value)
            else:
                outcome[field] = value
        return outcome, journal

    def cmd(self, commands):
        """Runs several commands in one cmd.exe (every Wine start costs seconds). Each
        argument is passed on its own, so blanks and Chinese need no hand quoting."""
        argv = ["cmd", "/c"]
        for command in commands:
            argv += command + ["&"]
        self.p.run(argv[:-1], timeout=180)

    def seed_run_values(self):
        """A log-on start value of an earlier installation in both hives."""
        self.cmd([["reg", "add", "HKCU\\" + RUN, "/v", "Vexmora-PC", "/t", "REG_SZ", "/d", OLD_START, "/f"],
                  ["reg", "add", "HKLM\\" + RUN, "/v", "Vexmora-PC", "/t", "REG_SZ", "/d", OLD_START, "/f"]
                  + view_flag(self.wow)])

    def inspect(self, journal_folder=None):
        """({key name: {value: (type, data)}}, {link: fields read back}) after a run; with
        journal_folder, also the records of its encrypted journal as the uninstaller reads
        them (third item)."""
        existing = [link for link in ALL_LINKS if self.exists(link)]
        outputs = {name: f"{TOOL_DIR}\\{name}.reg" for name in self.keys}
        links_out, journal_out = f"{TOOL_DIR}\\links.txt", f"{TOOL_DIR}\\journal.txt"
        for out in list(outputs.values()) + [links_out, journal_out]:
            with contextlib.suppress(FileNotFoundError):
                os.remove(self.p.unix_path(out))
        commands = [["reg", "export", key, outputs[name], "/y"] + view_flag(view)
                    for name, (key, view) in self.keys.items()]
        if existing:
            commands.append([f"{TOOL_DIR}\\regfx_after_install.exe", "readlink", *existing, ">", links_out])
        if journal_folder:
            commands.append([f"{TOOL_DIR}\\journal-dump.exe", f"{journal_folder}\\uninstallE", ">", journal_out])
        self.cmd(commands)

        reg = {}
        for name, (key, _) in self.keys.items():
            unix = self.p.unix_path(outputs[name])
            exported = {}
            if os.path.exists(unix):
                with open(unix, "rb") as f:
                    exported = winetest.parse_reg(f.read().decode("utf-16"))
            full = key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\").replace("HKCU\\", "HKEY_CURRENT_USER\\")
            reg[name] = exported.get(full, {})
        links = {}
        if existing:
            with open(self.p.unix_path(links_out), "rb") as f:
                for line in f.read().decode("utf-8").splitlines():
                    field, _, value = line.partition("=")
                    if field == "link":
                        current = links.setdefault(value, {})
                    else:
                        current[field] = value
        if not journal_folder:
            return reg, links
        with open(self.p.unix_path(journal_out), "rb") as f:
            return reg, links, f.read().decode("utf-8").splitlines()


def expected_journal(uninstall_key, menu=PRODUCT, uninstall_prefix=UNINSTALL_PREFIX,
                     new_menu_folder=True, client=True, desktop=True, uninstaller=True, autostart=True):
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


def expected_uninstall_values(folder, version):
    return {
        "UninstallString": ("sz", f'"{folder}\\uninstall.exe"'),
        "Publisher": ("sz", "Vexmora"),
        "DisplayName": ("sz", PRODUCT),
        "DisplayVersion": ("sz", version),
        "DisplayIcon": ("sz", f"{folder}\\Start.exe"),
        "URLInfoAbout": ("sz", "https://www.vexmora.com/zevlo"),
        "InstallLocation": ("sz", folder),
        "EstimatedSize": ("dword", PAYLOAD_KB),
        "InstallDate": ("sz", winetest.Today()),
        "NoModify": ("dword", 1),
        "NoRepair": ("dword", 1),
        "QuietUninstallString": ("sz", f'"{folder}\\uninstall.exe" /S'),
    }


def plain_link(target):
    """A shortcut as the registration writes it, read back through IShellLinkW."""
    return {"hr": "0", "path": ansi_form(target), "arguments": "", "description": "", "showcmd": "1",
            "workdir": "", "icon": "", "iconindex": "0"}


DONE = {"result": "1", "resets": "1", "reset_inside": "1", "mutex_held": "0", "mutex_alive": "0"}
NOT_DONE = {"result": "0", "resets": "0", "reset_inside": "0", "mutex_held": "1", "mutex_alive": "1"}
LNK_OWN_PROPERTIES = 0x04 | 0x08 | 0x10 | 0x40  # HasName, HasRelativePath, HasWorkingDir, HasIconLocation
VERSION = file_version(os.path.join(PROGRAMS, "regfx_after_install.exe"))


class RegistrationTest(unittest.TestCase):
    def machine(self, arch):
        m = Machine(arch)
        self.addCleanup(m.close)
        return m

    def assert_outcome(self, outcome, expected):
        self.assertEqual({k: outcome.get(k) for k in expected}, expected)

    def assert_links(self, m, links, expected):
        """Exactly the expected shortcuts exist (of all the registration could write), each
        pointing at its target and carrying nothing else, read back by Wine and by lnkinfo."""
        self.assertEqual(sorted(link for link in ALL_LINKS if m.exists(link)), sorted(expected))
        self.assertEqual(links, {link: plain_link(target) for link, target in expected.items()})
        for link, target in expected.items():
            unix = m.p.unix_path(link)
            with open(unix, "rb") as f:
                header = f.read(0x4C)
            flags, show = struct.unpack_from("<I", header, 0x14)[0], struct.unpack_from("<I", header, 0x3C)[0]
            self.assertEqual((flags & LNK_OWN_PROPERTIES, show), (0, 1), link)
            info = subprocess.run(["lnkinfo", unix], capture_output=True, timeout=30)
            local = [line.split(":", 1)[1].strip() for line in info.stdout.decode("utf-8", "replace").splitlines()
                     if line.strip().startswith("Local path")]
            self.assertEqual(local, [ansi_form(target)], link)

    def test_64bit_install_then_reinstall(self):
        m = self.machine(64)
        # Blanks, but no Chinese: Wine keeps shortcut targets in the ANSI code page.
        folder = m.install_folder("D:\\Program Files\\Vexmora\\Zevlo Mail")
        start, uninstaller = f"{folder}\\Start.exe", f"{folder}\\uninstall.exe"
        m.seed_run_values()
        outcome, journal = m.register(folder)
        self.assert_outcome(outcome, {**DONE, "version": VERSION})
        self.assertEqual(journal, expected_journal(UNINSTALL_64))
        reg, links, encrypted = m.inspect(journal_folder=folder)
        self.assertEqual(encrypted, journal)
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assertEqual(reg["uninstall_elsewhere"], {})
        self.assertEqual(reg["app_paths"], {"SoftwarePath": ("sz", folder)})
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", f'"{start}"'))
        self.assertNotIn("Vexmora-PC", reg["hklm_run"])
        self.assert_links(m, links, {CLIENT_LINK: start, UNINSTALL_LINK: uninstaller, DESKTOP_LINK: start})

        # A second install over the first with log-on start off: the menu folder exists,
        # the earlier desktop shortcut (here a damaged one) is replaced and journalled again.
        with open(m.p.unix_path(DESKTOP_LINK), "wb") as f:
            f.write(b"left by an earlier installation")
        m.seed_run_values()
        outcome, journal = m.register(folder, "--no-autostart")
        self.assert_outcome(outcome, DONE)
        # The first install's records are carried forward (no run discards records); the
        # second's are all among them, each once.
        second = expected_journal(UNINSTALL_64, new_menu_folder=False, autostart=False)
        self.assertLessEqual(set(second), set(journal))
        self.assertEqual(journal, expected_journal(UNINSTALL_64))
        reg, links, encrypted = m.inspect(journal_folder=folder)
        self.assertEqual(encrypted, journal)
        self.assertNotIn("Vexmora-PC", reg["hkcu_run"])
        self.assertNotIn("Vexmora-PC", reg["hklm_run"])
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assert_links(m, links, {CLIENT_LINK: start, UNINSTALL_LINK: uninstaller, DESKTOP_LINK: start})

    def test_32bit_install_and_fallback_names(self):
        m = self.machine(32)
        folder = m.install_folder(f"D:\\Program Files\\Vexmora\\{PRODUCT}")
        outcome, journal = m.register(folder, "--no-desktop")
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, expected_journal(UNINSTALL_32, desktop=False))
        reg, links = m.inspect()
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assertEqual(reg["uninstall_elsewhere"], {})
        self.assertEqual(reg["app_paths"], {"SoftwarePath": ("sz", folder)})
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", f'"{folder}\\Start.exe"'))
        self.assert_links(m, links, {CLIENT_LINK: f"{folder}\\Start.exe", UNINSTALL_LINK: f"{folder}\\uninstall.exe"})

        # Without a string table the folder and shortcuts take the fallback names while the
        # entry's display name stays; without a version block the version is empty.
        shutil.rmtree(m.p.unix_path(MENU))
        bare = m.install_folder("D:\\Zevlo")
        outcome, journal = m.register(bare, program="regfx_bare")
        self.assert_outcome(outcome, {**DONE, "version": ""})
        self.assertEqual(journal, expected_journal(UNINSTALL_32, menu="VexmoraFM", uninstall_prefix="Uninstall "))
        reg, links = m.inspect()
        self.assertEqual(reg["uninstall"], expected_uninstall_values(bare, ""))
        self.assert_links(m, links, dict(zip(FALLBACK_LINKS, [f"{bare}\\Start.exe", f"{bare}\\uninstall.exe",
                                                              f"{bare}\\Start.exe"])))

    def test_incomplete_extraction_and_missing_programs(self):
        m = self.machine(64)
        m.seed_run_values()

        # Extraction not completed: nothing at all happens.
        folder = m.install_folder("D:\\Vexmora\\Complete")
        outcome, journal = m.register(folder, "--incomplete")
        self.assert_outcome(outcome, NOT_DONE)
        self.assertEqual(journal, [])
        reg, links = m.inspect()
        self.assertEqual((reg["uninstall"], reg["uninstall_elsewhere"], reg["app_paths"]), ({}, {}, {}))
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", OLD_START))
        self.assertEqual(reg["hklm_run"].get("Vexmora-PC"), ("sz", OLD_START))
        self.assertFalse(m.exists(MENU))
        self.assert_links(m, links, {})

        # Start program missing: no client shortcuts and no log-on start (the old value
        # goes), yet the entry's icon names the missing program.
        folder = m.install_folder("D:\\Vexmora\\No Start", files=("uninstall.exe",))
        outcome, journal = m.register(folder)
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, expected_journal(UNINSTALL_64, client=False))
        reg, links = m.inspect()
        self.assertNotIn("Vexmora-PC", reg["hkcu_run"])
        self.assertNotIn("Vexmora-PC", reg["hklm_run"])
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assert_links(m, links, {UNINSTALL_LINK: f"{folder}\\uninstall.exe"})

        # Uninstaller missing: no uninstall shortcut, the entry still names it.
        shutil.rmtree(m.p.unix_path(MENU))
        folder = m.install_folder("D:\\Vexmora\\No Uninstaller", files=("Start.exe",))
        outcome, journal = m.register(folder)
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, expected_journal(UNINSTALL_64, uninstaller=False))
        reg, links = m.inspect()
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", f'"{folder}\\Start.exe"'))
        self.assert_links(m, links, {CLIENT_LINK: f"{folder}\\Start.exe", DESKTOP_LINK: f"{folder}\\Start.exe"})

        # No journal open: registration runs through and leaves no journal file.
        folder = m.install_folder("D:\\Vexmora\\Unjournalled")
        outcome, journal = m.register(folder, "--no-journal")
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, [])
        self.assertEqual(sorted(os.listdir(m.p.unix_path(folder))), ["Start.exe", "uninstall.exe"])
        self.assertEqual(m.inspect()[0]["app_paths"], {"SoftwarePath": ("sz", folder)})


if __name__ == "__main__":
    unittest.main(verbosity=2)
