"""The built payload: its archive properties as 7zz lists them, its place in the setup
executable as "BIN" 227, and the stand-in client programs running under Wine."""
import os
import re
import subprocess
import unittest

import winetest

BUILD = winetest.BUILD
ARCHIVE = os.path.join(BUILD, "payload", "payload.7z")
PROGRAMS = ["Start.exe", "Vexmora-PC.exe", "uninstall.exe", "CrashSender1403.exe",
            "QuillwireShell.dll", "QuillwireShell64.dll"]


def listing(archive):
    """`7zz l -slt`: the archive's own properties and one dict per entry."""
    out = subprocess.run(["7zz", "l", "-slt", archive], capture_output=True, text=True,
                         check=True, timeout=60).stdout
    head, _, body = out.partition("\n----------\n")
    props = dict(re.findall(r"^(\w[\w ]*?) = (.*)$", head, re.M))
    entries = [dict(re.findall(r"^(\w[\w ]*?) = (.*)$", block, re.M))
               for block in body.strip().split("\n\n") if block.strip()]
    return props, entries


class PayloadArchiveTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.props, cls.entries = listing(ARCHIVE)

    def test_solid_in_three_blocks_with_the_four_coders(self):
        self.assertEqual(self.props["Blocks"], "3")
        self.assertEqual(self.props["Solid"], "+")
        coders = {m.split(":")[0] for m in self.props["Method"].split()}
        self.assertEqual(coders, {"Delta", "LZMA2", "LZMA", "BCJ2"})
        methods = {e["Path"]: e["Method"] for e in self.entries}
        self.assertTrue(methods["Start.exe"].startswith("BCJ2 LZMA"))
        self.assertTrue(methods["res/skin/logo.bmp"].startswith("Delta:4 LZMA2"))
        self.assertTrue(methods["说明.txt"].startswith("LZMA2"))

    def test_entries_files_only_with_programs_chinese_names_and_one_empty_file(self):
        paths = [e["Path"] for e in self.entries]
        self.assertEqual(len(paths), 25)
        self.assertEqual([e["Path"] for e in self.entries if e["Attributes"].startswith("D")], [])
        for program in PROGRAMS:
            self.assertIn(program, paths)
        self.assertIn("templates/邮件模板/默认模板.html", paths)
        self.assertEqual([e["Path"] for e in self.entries if e["Size"] == "0"], ["config/首次运行.flag"])
        self.assertTrue(any(p.count("/") >= 2 for p in paths))

    def test_archive_is_the_setup_resource_bin_227(self):
        import pefile
        pe = pefile.PE(os.path.join(BUILD, "VexmoraSetup.exe"), fast_load=True)
        pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
        found = None
        for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
            if kind.name is not None and str(kind.name) == "BIN":
                for item in kind.directory.entries:
                    if item.id == 227:
                        data = item.directory.entries[0].data.struct
                        found = pe.get_data(data.OffsetToData, data.Size)
        with open(ARCHIVE, "rb") as f:
            self.assertEqual(found, f.read())


class ClientProgramsTest(unittest.TestCase):
    """The stand-ins do what the setup and its tests expect of the real client."""

    def test_start_launches_the_client_window_and_uninstall_notes_its_command_line(self):
        with winetest.Prefix() as p:
            folder = p.unix_path("C:\\client")
            os.makedirs(folder)
            for program in PROGRAMS:
                with open(os.path.join(BUILD, "payload", "bin", program), "rb") as src, \
                        open(os.path.join(folder, program), "wb") as dst:
                    dst.write(src.read())
            r = p.run(["C:\\client\\uninstall.exe", "true"])
            self.assertEqual(r.returncode, 2)  # no journal here: nothing touched, and it says so
            with open(os.path.join(folder, "uninstall-ran.txt"), encoding="utf-8") as f:
                line = f.read()
            self.assertTrue(line.startswith("ran: ") and line.rstrip().endswith(" true"), line)

            # Start.exe ends after starting the client (whose output would keep a pipe open).
            self.assertEqual(p.start(["C:\\client\\Start.exe"]).wait(timeout=60), 0)
            wid = winetest.wait_window(name="^VexmoraZevlo邮箱$", timeout=60)
            self.assertTrue(wid)


if __name__ == "__main__":
    unittest.main()
