"""The package manager's manifest that the build writes (tools/winget/make_manifest.py into
build/winget/), read as winget reads it:

- As YAML (Debian's PyYAML, not the writer's own code), against the rules of winget's
  manifest schema 1.6 that such a manifest must meet, against the table of exit codes
  (app/ExitCodes.h: every failure code with its response, and nothing else) and against
  the program that was built (its hash and version). The README's table of exit codes
  lists the same codes.
- Against a real install: the setup started in a fresh machine with the command line
  winget makes from the manifest's switches (a log folder and an install folder with
  blanks and Chinese in them); it installs silently into that folder, writes its log
  there, and the uninstall entry it writes is the manifest's AppsAndFeaturesEntries
  (key name, display name, publisher, version). Run again while the client runs, it
  ends with a code that the manifest tells winget means "package in use".
"""
import glob
import hashlib
import importlib.util
import os
import re
import unittest

import yaml

import winetest
from setupdriver import (ENTRY_KEY, SETUP_WIN, InstallationChecks, Machine, file_version,
                         setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

_spec = importlib.util.spec_from_file_location(
    "make_manifest", os.path.join(winetest.SOURCE, "tools", "winget", "make_manifest.py"))
make_manifest = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(make_manifest)

INSTALL_PATH = "D:\\Program Files\\Vexmora Mail\\邮箱 客户端"
LOG_FOLDER = "C:\\users\\Public\\WinGet logs"
UNINSTALL_ROOT = ENTRY_KEY.rsplit("\\", 1)[0]

# --- what winget's schema 1.6 asks of these manifests (the parts this one uses) ---------
RESPONSES = {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency",
             "diskFull", "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport",
             "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser",
             "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported", "custom"}
IDENTIFIER = r"[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}){1,7}"
LOCALE = r"([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*"
COMMON = {"PackageIdentifier": IDENTIFIER, "PackageVersion": r"[^\\/:*?\"<>|\x01-\x1f]{1,128}",
          "ManifestVersion": r"(0|[1-9]\d{0,3})\.(0|[1-9]\d{0,3})\.(0|[1-9]\d{0,3})"}
# manifest type: (required keys, allowed keys beyond them, {key: pattern of its text})
RULES = {
    "version": ({"DefaultLocale"}, set(), {"DefaultLocale": LOCALE}),
    "installer": ({"Installers"},
                  {"InstallerLocale", "Platform", "MinimumOSVersion", "InstallerType", "Scope", "InstallModes",
                   "InstallerSwitches", "InstallerSuccessCodes", "ExpectedReturnCodes", "ElevationRequirement",
                   "AppsAndFeaturesEntries"},
                  {"InstallerLocale": LOCALE, "MinimumOSVersion": r"\d{1,5}(\.\d{1,5}){0,3}", "Scope": "user|machine",
                   "ElevationRequirement": "elevationRequired|elevationProhibited|elevatesSelf"}),
    "defaultLocale": ({"PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"},
                      {"PublisherUrl", "PackageUrl"},
                      {"PackageLocale": LOCALE, "Publisher": ".{2,256}", "PackageName": ".{2,256}",
                       "License": ".{3,512}", "ShortDescription": ".{3,256}", "PublisherUrl": "[Hh][Tt][Tt][Pp][Ss]?://.+",
                       "PackageUrl": "[Hh][Tt][Tt][Pp][Ss]?://.+"}),
}
SWITCH_KEYS = {"Silent", "SilentWithProgress", "Interactive", "InstallLocation", "Log", "Upgrade", "Custom"}
ENTRY_KEYS = {"DisplayName", "Publisher", "DisplayVersion", "ProductCode", "UpgradeCode", "InstallerType"}


def manifest_files():
    """{manifest type: content} of the one version the build wrote."""
    [folder] = glob.glob(os.path.join(winetest.BUILD, "winget", "manifests", "*", "*", "*", "*"))
    files = {}
    for path in glob.glob(os.path.join(folder, "*.yaml")):
        with open(path, encoding="utf-8") as f:
            content = yaml.safe_load(f)
        files[content["ManifestType"]] = content
    return files


def command_line(switches, install_path, log_path):
    """The setup's arguments as winget makes them: the mode's switch (with progress, its
    default), the log's, then the folder's, each token replaced by the path as it is."""
    line = " ".join([switches["SilentWithProgress"], switches["Log"], switches["InstallLocation"]])
    return line.replace("<LOGPATH>", log_path).replace("<INSTALLPATH>", install_path)


class WingetManifestTest(unittest.TestCase, InstallationChecks):
    @classmethod
    def setUpClass(cls):
        cls.files = manifest_files()
        cls.installer = cls.files["installer"]
        cls.switches = cls.installer["InstallerSwitches"]
        [cls.entry] = cls.installer["AppsAndFeaturesEntries"]

    def test_manifest_meets_the_schema_and_says_what_the_table_and_program_say(self):
        self.assertEqual(set(self.files), set(RULES))
        for kind, content in self.files.items():
            required, optional, patterns = RULES[kind]
            required = required | set(COMMON) | {"ManifestType"}
            self.assertLessEqual(required, set(content), kind)
            self.assertLessEqual(set(content), required | optional, kind)
            for key, pattern in dict(COMMON, **patterns).items():
                if key in content:
                    self.assertIsInstance(content[key], str, f"{kind}: {key}")
                    self.assertRegex(content[key], f"^(?:{pattern})$", f"{kind}: {key}")
            self.assertEqual((content["PackageIdentifier"], content["PackageVersion"], content["ManifestVersion"]),
                             (self.installer["PackageIdentifier"], self.installer["PackageVersion"], "1.6.0"))
        self.assertEqual(self.files["version"]["DefaultLocale"], self.files["defaultLocale"]["PackageLocale"])

        inst = self.installer
        self.assertEqual((inst["InstallerType"], inst["Scope"], inst["ElevationRequirement"]),
                         ("exe", "machine", "elevatesSelf"))
        self.assertLessEqual(set(inst["InstallModes"]), {"interactive", "silent", "silentWithProgress"})
        self.assertLessEqual(set(self.switches), SWITCH_KEYS)
        for value in self.switches.values():
            self.assertTrue(isinstance(value, str) and 1 <= len(value) <= 512, value)
        self.assertEqual({k: v for k, v in self.switches.items() if k != "Log"},
                         {"Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>"})
        self.assertIn("/LOG=<LOGPATH>", self.switches["Log"])
        self.assertLessEqual(set(self.entry), ENTRY_KEYS)
        [download] = inst["Installers"]
        self.assertEqual(set(download), {"Architecture", "InstallerUrl", "InstallerSha256"})
        self.assertEqual(download["Architecture"], "x64")
        self.assertRegex(download["InstallerUrl"], "^[Hh][Tt][Tt][Pp][Ss]?://.+$")

        # The table: every code that is no success, with its response, and nothing else.
        table = make_manifest.read_exit_codes(os.path.join(winetest.SOURCE, "app", "ExitCodes.h"))
        codes = [code for _, code, _, _ in table]
        self.assertEqual(codes, list(range(len(table))))
        failures = {code: response for _, code, _, response in table if response is not None}
        self.assertNotIn(0, failures)
        returned = inst["ExpectedReturnCodes"]
        for row in returned:
            self.assertEqual(set(row), {"InstallerReturnCode", "ReturnResponse"})
            self.assertIn(row["ReturnResponse"], RESPONSES)
        self.assertEqual({row["InstallerReturnCode"]: row["ReturnResponse"] for row in returned}, failures)
        self.assertEqual(len(returned), len(failures))
        success = {code for _, code, _, response in table if response is None}
        self.assertEqual(set(inst.get("InstallerSuccessCodes", [])) | {0}, success)

        # The program that was built.
        with open(winetest.SETUP_EXE, "rb") as f:
            self.assertEqual(download["InstallerSha256"], hashlib.sha256(f.read()).hexdigest().upper())
        self.assertEqual(inst["PackageVersion"], file_version())
        self.assertEqual(self.entry["DisplayVersion"], file_version())

        # The README's table: one row per code, in order.
        with open(os.path.join(winetest.SOURCE, "README.md"), encoding="utf-8") as f:
            readme = f.read()
        table_text = readme[readme.index("| Exit code | Meaning |"):]
        listed = re.findall(r"^\| (\d+) \|", table_text.split("\n\n")[0], re.M)
        self.assertEqual([int(n) for n in listed], codes)

    def test_installs_as_the_manifest_says(self):
        m = Machine()
        self.addCleanup(m.close)
        log_path = f"{LOG_FOLDER}\\{self.installer['PackageIdentifier']}.{self.installer['PackageVersion']}.log"
        os.makedirs(m.unix(LOG_FOLDER))  # winget makes the log's folder
        line = f'"{SETUP_WIN}" ' + command_line(self.switches, INSTALL_PATH, log_path)
        runline = m.tool("fx_runline")
        # Run as winget runs it: one command line, parsed by the system.
        code = m.p.run([runline, line], timeout=300).returncode
        self.assertEqual(code, 0)

        self.assert_payload_installed(m, INSTALL_PATH)
        self.assert_registered(m, INSTALL_PATH)
        with open(m.unix(log_path), "rb") as f:
            self.assertIn(f"Install folder: {INSTALL_PATH}".encode("utf-8"), f.read())
        # The entry that winget matches the package with, under the key that it names.
        root = UNINSTALL_ROOT.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\").lower()
        entries = {key.rsplit("\\", 1)[1]: values for key, values in m.p.reg_export(UNINSTALL_ROOT).items()
                   if key.rsplit("\\", 1)[0].lower() == root}
        self.assertIn(self.entry["ProductCode"], entries)
        values = entries[self.entry["ProductCode"]]
        self.assertEqual({name: values[name] for name in ("DisplayName", "Publisher", "DisplayVersion")},
                         {name: ("sz", self.entry[name]) for name in ("DisplayName", "Publisher", "DisplayVersion")})
        self.assertEqual(values["InstallLocation"], ("sz", INSTALL_PATH))

        # Again while the client runs: the code winget is told means "package in use".
        m.start_client()
        code = m.p.run([runline, line], timeout=300).returncode
        responses = {row["InstallerReturnCode"]: row["ReturnResponse"] for row in self.installer["ExpectedReturnCodes"]}
        self.assertEqual(responses.get(code), "packageInUse", code)


if __name__ == "__main__":
    unittest.main()
