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
import unittest

import winetest
from setupdriver import (APP_PATHS_KEY, CLIENT_LINK, DESKTOP, DESKTOP_LINK, ENTRY_KEY, JOURNAL_DUMP, MENU, PRODUCT,
                         PROGRAMS, PROGRAMS_MENU, RUN, UNINSTALL, UNINSTALL_32, UNINSTALL_LINK, WOW, Machine, ansi_form,
                         entry_values, file_version, link_target, registration_records)

FALLBACK_LINKS = [f"{PROGRAMS_MENU}\\VexmoraFM\\VexmoraFM.lnk", f"{PROGRAMS_MENU}\\VexmoraFM\\Uninstall VexmoraFM.lnk",
                  f"{DESKTOP}\\VexmoraFM.lnk"]
ALL_LINKS = [CLIENT_LINK, UNINSTALL_LINK, DESKTOP_LINK] + FALLBACK_LINKS
PAYLOAD_KB = 3073  # the stand-in payload size of regfx_after_install: 3 MB and a byte
OLD_START = "C:\\old\\Start.exe"


# The registry keys that inspect() exports, as the 64-bit reg.exe names them: the
# program's machine keys are in the 32-bit view (Wow6432Node), where the earlier 32-bit
# release put them; "uninstall_elsewhere" is the 64-bit view's entry, which must stay away.
KEYS = {
    "uninstall": ENTRY_KEY,
    "uninstall_elsewhere": "HKLM\\" + UNINSTALL_32,
    "app_paths": APP_PATHS_KEY,
    "hkcu_run": "HKCU\\" + RUN,
    "hklm_run": WOW + RUN[len("Software\\"):],
}


def install_folder(m, folder, files=("Start.exe", "uninstall.exe")):
    """The folder as the extraction leaves it: the client's programs (or some of them)."""
    os.makedirs(m.unix(folder), exist_ok=True)
    for name in files:
        with open(m.unix(folder + "\\" + name), "wb") as f:
            f.write(b"MZ")
    return folder


def register(m, folder, *flags, program="regfx_after_install"):
    """Runs the registration (in a probe copied into the machine, which finds its own
    version block through a Windows path); returns (outcome fields, plain journal lines)."""
    r = m.p.run([m.tool(program), "run", folder, *flags])
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


def cmd(m, commands):
    """Runs several commands in one cmd.exe (every Wine start costs seconds). Each
    argument is passed on its own, so blanks and Chinese need no hand quoting."""
    argv = ["cmd", "/c"]
    for command in commands:
        argv += command + ["&"]
    m.p.run(argv[:-1], timeout=180)


def seed_run_values(m):
    """A log-on start value of an earlier installation in both hives."""
    cmd(m, [["reg", "add", "HKCU\\" + RUN, "/v", "Vexmora-PC", "/t", "REG_SZ", "/d", OLD_START, "/f"],
            ["reg", "add", KEYS["hklm_run"], "/v", "Vexmora-PC", "/t", "REG_SZ", "/d", OLD_START, "/f"]])


def inspect(m, journal_folder=None):
    """({key name: {value: (type, data)}}, {link: fields read back}) after a run; with
    journal_folder, also the records of its encrypted journal as the uninstaller reads
    them (third item)."""
    existing = [link for link in ALL_LINKS if m.exists(link)]
    exported = KEYS
    outputs = {name: f"C:\\tools\\{name}.reg" for name in exported}
    links_out, journal_out = "C:\\tools\\links.txt", "C:\\tools\\journal.txt"
    reader, dump = m.tool("regfx_after_install"), m.tool("journal-dump", JOURNAL_DUMP)
    for out in list(outputs.values()) + [links_out, journal_out]:
        with contextlib.suppress(FileNotFoundError):
            os.remove(m.unix(out))
    commands = [["reg", "export", key, outputs[name], "/y"] for name, key in exported.items()]
    if existing:
        commands.append([reader, "readlink", *existing, ">", links_out])
    if journal_folder:
        commands.append([dump, f"{journal_folder}\\uninstallE", ">", journal_out])
    cmd(m, commands)

    reg = {}
    for name, key in exported.items():
        unix = m.unix(outputs[name])
        found = {}
        if os.path.exists(unix):
            with open(unix, "rb") as f:
                found = winetest.parse_reg(f.read().decode("utf-16"))
        full = key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\").replace("HKCU\\", "HKEY_CURRENT_USER\\")
        reg[name] = found.get(full, {})
    links = {}
    if existing:
        with open(m.unix(links_out), "rb") as f:
            for line in f.read().decode("utf-8").splitlines():
                field, _, value = line.partition("=")
                if field == "link":
                    current = links.setdefault(value, {})
                else:
                    current[field] = value
    if not journal_folder:
        return reg, links
    with open(m.unix(journal_out), "rb") as f:
        return reg, links, f.read().decode("utf-8").splitlines()


def expected_uninstall_values(folder, version):
    return entry_values(folder, version, PAYLOAD_KB)


def plain_link(target):
    """A shortcut as the registration writes it, read back through IShellLinkW."""
    return {"hr": "0", "path": ansi_form(target), "arguments": "", "description": "", "showcmd": "1",
            "workdir": "", "icon": "", "iconindex": "0"}


DONE = {"result": "1", "resets": "1", "reset_inside": "1", "mutex_held": "0", "mutex_alive": "0"}
NOT_DONE = {"result": "0", "resets": "0", "reset_inside": "0", "mutex_held": "1", "mutex_alive": "1"}
LNK_OWN_PROPERTIES = 0x04 | 0x08 | 0x10 | 0x40  # HasName, HasRelativePath, HasWorkingDir, HasIconLocation
VERSION = file_version(os.path.join(PROGRAMS, "regfx_after_install.exe"))
UNINSTALL_64 = UNINSTALL  # the entry's name in the journal on a 64-bit machine


class RegistrationTest(unittest.TestCase):
    maxDiff = None
    def machine(self):
        m = Machine()
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
            unix = m.unix(link)
            with open(unix, "rb") as f:
                header = f.read(0x4C)
            flags, show = struct.unpack_from("<I", header, 0x14)[0], struct.unpack_from("<I", header, 0x3C)[0]
            self.assertEqual((flags & LNK_OWN_PROPERTIES, show), (0, 1), link)
            self.assertEqual(link_target(unix), [ansi_form(target)], link)

    def test_install_then_reinstall(self):
        m = self.machine()
        # Blanks, but no Chinese: Wine keeps shortcut targets in the ANSI code page.
        folder = install_folder(m, "D:\\Program Files\\Vexmora\\Zevlo Mail")
        start, uninstaller = f"{folder}\\Start.exe", f"{folder}\\uninstall.exe"
        seed_run_values(m)
        outcome, journal = register(m, folder)
        self.assert_outcome(outcome, {**DONE, "version": VERSION})
        self.assertEqual(journal, registration_records(UNINSTALL_64))
        reg, links, encrypted = inspect(m, journal_folder=folder)
        self.assertEqual(encrypted, journal)
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assertEqual(reg["uninstall_elsewhere"], {})
        self.assertEqual(reg["app_paths"], {"SoftwarePath": ("sz", folder)})
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", f'"{start}"'))
        self.assertNotIn("Vexmora-PC", reg["hklm_run"])
        self.assert_links(m, links, {CLIENT_LINK: start, UNINSTALL_LINK: uninstaller, DESKTOP_LINK: start})

        # A second install over the first with log-on start off: the menu folder exists,
        # the earlier desktop shortcut (here a damaged one) is replaced and journalled again.
        with open(m.unix(DESKTOP_LINK), "wb") as f:
            f.write(b"left by an earlier installation")
        seed_run_values(m)
        outcome, journal = register(m, folder, "--no-autostart")
        self.assert_outcome(outcome, DONE)
        # The first install's records are carried forward, each once, where the second
        # claims them or what they name still holds something (the menu folder); the
        # log-on value the second no longer writes went at its commit, with its record.
        self.assertEqual(journal, registration_records(UNINSTALL_64, autostart=False))
        reg, links, encrypted = inspect(m, journal_folder=folder)
        self.assertEqual(encrypted, journal)
        self.assertNotIn("Vexmora-PC", reg["hkcu_run"])
        self.assertNotIn("Vexmora-PC", reg["hklm_run"])
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assert_links(m, links, {CLIENT_LINK: start, UNINSTALL_LINK: uninstaller, DESKTOP_LINK: start})

    def test_chinese_folder_without_desktop_and_fallback_names(self):
        m = self.machine()
        folder = install_folder(m, f"D:\\Program Files\\Vexmora\\{PRODUCT}")
        outcome, journal = register(m, folder, "--no-desktop")
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, registration_records(UNINSTALL_64, desktop=False))
        reg, links = inspect(m)
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assertEqual(reg["uninstall_elsewhere"], {})
        self.assertEqual(reg["app_paths"], {"SoftwarePath": ("sz", folder)})
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", f'"{folder}\\Start.exe"'))
        self.assert_links(m, links, {CLIENT_LINK: f"{folder}\\Start.exe", UNINSTALL_LINK: f"{folder}\\uninstall.exe"})

        # Without a string table the folder and shortcuts take the fallback names while the
        # entry's display name stays; without a version block the version is empty.
        shutil.rmtree(m.unix(MENU))
        bare = install_folder(m, "D:\\Zevlo")
        outcome, journal = register(m, bare, program="regfx_bare")
        self.assert_outcome(outcome, {**DONE, "version": ""})
        self.assertEqual(journal, registration_records(UNINSTALL_64, menu="VexmoraFM", uninstall_prefix="Uninstall "))
        reg, links = inspect(m)
        self.assertEqual(reg["uninstall"], expected_uninstall_values(bare, ""))
        self.assert_links(m, links, dict(zip(FALLBACK_LINKS, [f"{bare}\\Start.exe", f"{bare}\\uninstall.exe",
                                                              f"{bare}\\Start.exe"])))

    def test_incomplete_extraction_and_missing_programs(self):
        m = self.machine()
        seed_run_values(m)

        # Extraction not completed: nothing at all happens, and the run stays open for
        # its caller to take back.
        folder = install_folder(m, "D:\\Vexmora\\Complete")
        outcome, journal = register(m, folder, "--incomplete")
        self.assert_outcome(outcome, NOT_DONE)
        self.assertEqual(journal, [f"T {folder}"])
        reg, links = inspect(m)
        self.assertEqual((reg["uninstall"], reg["uninstall_elsewhere"], reg["app_paths"]), ({}, {}, {}))
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", OLD_START))
        self.assertEqual(reg["hklm_run"].get("Vexmora-PC"), ("sz", OLD_START))
        self.assertFalse(m.exists(MENU))
        self.assert_links(m, links, {})

        # Start program missing: no client shortcuts and no log-on start (the old value
        # goes), yet the entry's icon names the missing program.
        folder = install_folder(m, "D:\\Vexmora\\No Start", files=("uninstall.exe",))
        outcome, journal = register(m, folder)
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, registration_records(UNINSTALL_64, client=False))
        reg, links = inspect(m)
        self.assertNotIn("Vexmora-PC", reg["hkcu_run"])
        self.assertNotIn("Vexmora-PC", reg["hklm_run"])
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assert_links(m, links, {UNINSTALL_LINK: f"{folder}\\uninstall.exe"})

        # Uninstaller missing: no uninstall shortcut, the entry still names it.
        shutil.rmtree(m.unix(MENU))
        folder = install_folder(m, "D:\\Vexmora\\No Uninstaller", files=("Start.exe",))
        outcome, journal = register(m, folder)
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, registration_records(UNINSTALL_64, uninstaller=False))
        reg, links = inspect(m)
        self.assertEqual(reg["uninstall"], expected_uninstall_values(folder, VERSION))
        self.assertEqual(reg["hkcu_run"].get("Vexmora-PC"), ("sz", f'"{folder}\\Start.exe"'))
        self.assert_links(m, links, {CLIENT_LINK: f"{folder}\\Start.exe", DESKTOP_LINK: f"{folder}\\Start.exe"})

        # No journal open: registration runs through and leaves no journal file. (With
        # no run to move them into, shortcuts that are there already would stop it.)
        shutil.rmtree(m.unix(MENU))
        os.remove(m.unix(DESKTOP_LINK))
        folder = install_folder(m, "D:\\Vexmora\\Unjournalled")
        outcome, journal = register(m, folder, "--no-journal")
        self.assert_outcome(outcome, DONE)
        self.assertEqual(journal, [])
        self.assertEqual(sorted(os.listdir(m.unix(folder))), ["Start.exe", "uninstall.exe"])
        self.assertEqual(inspect(m)[0]["app_paths"], {"SoftwarePath": ("sz", folder)})


if __name__ == "__main__":
    unittest.main(verbosity=2)
