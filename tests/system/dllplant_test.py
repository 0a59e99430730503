"""DLL planting: the setup is started from a Downloads folder that holds, beside it, a
library named like each library the setup uses outside the system's known DLLs. Each
planted library leaves a marker file when any process loads it. Wine prefers its own
built-in libraries, so every name is given the override "<name>=n,b", which makes Wine
search the program's folder first, as Windows does.

- the control program (plain imports, plain LoadLibraryW) does load every planted
  library, so a marker is really written when the loader falls for a plant;
- the setup program's own import table names known DLLs only;
- the real setup, driven through a quick install (its pages painted, shortcuts made through
  COM, its version read for the uninstall entry), loads none of them.

version.dll cannot take part under Wine: Wine's own user32.dll imports it, and the loader
resolves that import from the program's folder before the program's first instruction,
for every program that uses windows. Windows resolves a known DLL's imports from the
system folder, so there the setup's delay-loaded version.dll comes from the system folder
like the others. The test shows the Wine behaviour instead of hiding it.
"""
import os
import shutil
import unittest

import pefile

import winetest
from setupdriver import DEFAULT_FOLDER, DESKTOP_LINK, ENTRY_KEY, MAIN, RECTS

BUILD = winetest.BUILD
PLANT_DIR = os.path.join(BUILD, "tests", "plant")
DOWNLOADS = "C:\\users\\Public\\Downloads"
PLANTED = ["gdiplus", "msimg32", "comctl32", "oleacc"]
# Loaded from the system folder whatever the search path says (Windows 7 and later).
KNOWN_DLLS = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
              "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "imm32.dll", "psapi.dll"}
START_BUTTON = RECTS.centre(MAIN, "start")  # the large "start" of the quick-install page


class PlantedFolder:
    """A prefix whose Downloads folder holds the planted libraries and `programs`."""

    def __init__(self, prefix, names, programs):
        self.prefix = prefix
        self.folder = prefix.unix_path(DOWNLOADS)
        os.makedirs(self.folder, exist_ok=True)
        for name in names:
            shutil.copy(os.path.join(PLANT_DIR, "plant_marker.dll"), os.path.join(self.folder, name + ".dll"))
        for program in programs:
            shutil.copy(program, self.folder)
        overrides = prefix.env.get("WINEDLLOVERRIDES", "")
        prefix.env["WINEDLLOVERRIDES"] = ";".join(filter(None, [overrides, ",".join(names) + "=n,b"]))

    def markers(self):
        return sorted(f.lower()[: -len(".dll.ran")] for f in os.listdir(self.folder) if f.endswith(".ran"))

    def clear_markers(self):
        for f in os.listdir(self.folder):
            if f.endswith(".ran"):
                os.remove(os.path.join(self.folder, f))


class SetupImportsTest(unittest.TestCase):
    def test_static_imports_are_known_dlls_only(self):
        pe = pefile.PE(winetest.SETUP_EXE, fast_load=True)
        pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
        imported = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
        self.assertEqual(imported - KNOWN_DLLS, set())
        for name in PLANTED + ["version"]:
            self.assertNotIn(name + ".dll", imported)


class PlantingTest(unittest.TestCase):
    def test_control_program_loads_every_plant(self):
        with winetest.Prefix() as p:
            plants = PlantedFolder(p, PLANTED + ["version"], [os.path.join(PLANT_DIR, "plant_control.exe")])
            r = p.run([DOWNLOADS + "\\plant_control.exe"] + [n + ".dll" for n in PLANTED], timeout=60)
            self.assertEqual(r.returncode, 0, r.stderr[-2000:])
            self.assertEqual(plants.markers(), sorted(PLANTED + ["version"]))

    def test_wine_loads_a_planted_version_dll_for_any_windowed_program(self):
        """Why version.dll is left out below: a program that never uses version.dll gets
        the plant all the same, through Wine's user32.dll."""
        program = os.path.join(PLANT_DIR, "plant_user32.exe")
        pe = pefile.PE(program, fast_load=True)
        pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
        self.assertNotIn("version.dll", {e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT})
        with winetest.Prefix() as p:
            plants = PlantedFolder(p, ["version"], [program])
            p.run([DOWNLOADS + "\\plant_user32.exe"], timeout=60)
            self.assertEqual(plants.markers(), ["version"])

    def test_setup_loads_no_planted_library_through_a_whole_install(self):
        with winetest.PrivateDisplay(), winetest.Prefix() as p:
            plants = PlantedFolder(p, PLANTED, [winetest.SETUP_EXE])
            proc = p.start([DOWNLOADS + "\\VexmoraSetup.exe"])
            try:
                wid = winetest.wait_window(timeout=180)
                # the install has begun once the folder is there; until then the click is given again
                winetest.click_until(wid, *START_BUTTON, lambda: os.path.exists(p.unix_path(DEFAULT_FOLDER)),
                                     "the install to begin", timeout=120, retry_after=5)
                link = p.unix_path(DESKTOP_LINK)
                winetest.wait_until(lambda: os.path.exists(link), timeout=180, what="the desktop shortcut")
                values = winetest.wait_until(
                    lambda: p.reg_export(ENTRY_KEY).get("HKEY_LOCAL_MACHINE\\" + ENTRY_KEY[5:], {}).get(
                        "URLInfoAbout"),
                    timeout=60, what="the uninstall entry")
                self.assertTrue(values)
                entry = p.reg_export(ENTRY_KEY)["HKEY_LOCAL_MACHINE\\" + ENTRY_KEY[5:]]
                # read through the delay-loaded version.dll
                self.assertRegex(entry["DisplayVersion"][1], r"^\d+\.\d+\.\d+\.\d+$")
                self.assertTrue(os.path.exists(p.unix_path(DEFAULT_FOLDER + "\\Start.exe")))
            finally:
                proc.kill()
                proc.wait(timeout=30)
            self.assertEqual(plants.markers(), [])


if __name__ == "__main__":
    unittest.main()
