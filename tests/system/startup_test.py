"""Start-up of the setup program in throw-away Wine machines.

- The program's own resources: the string table (Chinese, 2052), the manifest and the
  version information, read from VexmoraSetup.exe as a file.
- The initial install folder: PrepareSetup run for real (by the unit test program's
  machine probe, with the setup's own string table) in a machine with D: fixed; with an
  earlier installation recorded in "SoftwarePath" as REG_SZ, empty, or REG_EXPAND_SZ.
- VexmoraSetup.exe itself: a running client ends setup without a window (no prompt
  windows yet); the crash reporter is terminated silently; a second setup ends with
  exit code 0 at once while the first keeps its window.
"""
import os
import shutil
import struct
import subprocess
import time
import unittest

import winetest

BUILD = winetest.BUILD
SETUP = winetest.SETUP_EXE
UNIT_APP = os.path.join(BUILD, "tests", "test_app.exe")
PROGRAMS = os.path.join(BUILD, "tests", "programs")
WAITER = os.path.join(PROGRAMS, "fx_waiter.exe")
RECORDER = os.path.join(PROGRAMS, "fx_recorder.exe")
PROBE = os.path.join(PROGRAMS, "fx_procprobe.exe")

APP_PATHS = ("HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
             "QuillwireVexmora.exe")  # where a 32-bit program's HKLM\Software lands
DEFAULT_D = "D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱"

STRINGS = {
    129: "VexmoraZevlo邮箱",
    130: "VexmoraZevlo邮箱",
    133: "选择安装的目录",
    134: "创建目录失败",
    135: "创建安装目录失败，请检查指定的安装目录是否正常。",
    136: "创建目录 {folder} 失败！",
    137: "打开安装文件 {file} 失败！",
    138: "安装文件格式错误！",
    140: "安装失败",
    141: "卸载 ",
    142: "写入文件 {file} 失败，请检查磁盘空间后重试。",
}


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def string_table(pe):
    """{id: (language, text)} of every RT_STRING entry."""
    import pefile
    table = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != pefile.RESOURCE_TYPE["RT_STRING"]:
            continue
        for block in kind.directory.entries:
            for lang in block.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                at = 0
                for i in range(16):
                    (length,) = struct.unpack_from("<H", data, at)
                    text = data[at + 2: at + 2 + 2 * length].decode("utf-16-le")
                    at += 2 + 2 * length
                    if length:
                        table[(block.id - 1) * 16 + i] = (lang.id, text)
    return table


class ResourcesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        import pefile
        cls.pe = pefile.PE(SETUP)

    def test_string_table_is_chinese_with_the_exact_texts(self):
        table = string_table(self.pe)
        self.assertEqual(set(range(128, 143)), set(table))
        for sid, (lang, text) in table.items():
            self.assertEqual(2052, lang, sid)
            self.assertTrue(text, sid)
        for sid, text in STRINGS.items():
            self.assertEqual(text, table[sid][1], sid)

    def test_manifest_requires_administrator_and_common_controls_6(self):
        import pefile
        manifests = [lang for kind in self.pe.DIRECTORY_ENTRY_RESOURCE.entries
                     if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]
                     for entry in kind.directory.entries if entry.id == 1
                     for lang in entry.directory.entries]
        self.assertEqual(1, len(manifests))
        text = self.pe.get_data(manifests[0].data.struct.OffsetToData,
                                manifests[0].data.struct.Size).decode("utf-8")
        self.assertIn('level="requireAdministrator"', text)
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', text)

    def test_version_information(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((3 << 16 | 2, 0 << 16 | 1), (fixed.FileVersionMS, fixed.FileVersionLS))
        strings = {}
        for info in self.pe.FileInfo[0]:
            for table in getattr(info, "StringTable", []):
                strings[table.LangID.decode()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        self.assertEqual("Vexmora", strings["080404b0"]["CompanyName"])
        self.assertEqual("VexmoraZevlo邮箱", strings["080404b0"]["ProductName"])
        self.assertEqual("3.2.0.1", strings["040904b0"]["FileVersion"])


class InitialFolderTest(unittest.TestCase):
    """One machine, the record of an earlier installation changed between runs."""

    @classmethod
    def setUpClass(cls):
        # D: fixed (the default), E: fixed and holding an earlier installation's uninstaller.
        cls.p = winetest.Prefix(arch=64, drives={"d": "hd", "e": "hd"})
        for exe in (SETUP, UNIT_APP):
            shutil.copy(exe, cls.p.unix_path("C:\\" + os.path.basename(exe)))
        os.makedirs(cls.p.unix_path("E:\\Apps\\Mail"))
        shutil.copy(RECORDER, cls.p.unix_path("E:\\Apps\\Mail\\uninstall.exe"))
        cls.p.env["VEXMORA_PROBE_OUT"] = "C:\\probe.txt"
        cls.p.env["VEXMORA_PROBE_STRINGS"] = "C:\\VexmoraSetup.exe"

    @classmethod
    def tearDownClass(cls):
        cls.p.close()

    def prepare(self):
        """(PrepareSetup result, install folder, BeforeInstall result) on this machine."""
        out = self.p.unix_path("C:\\probe.txt")
        if os.path.exists(out):
            os.remove(out)
        r = self.p.run(["C:\\test_app.exe", "--gtest_filter=MachineProbe.*"], timeout=120)
        self.assertEqual(0, r.returncode, r.stdout.decode(errors="replace"))
        ok, folder, before = read_text(out).split("\t")
        return ok == "1", folder, before == "1"

    def uninstaller_ran(self):
        recorded = self.p.unix_path("E:\\Apps\\Mail\\uninstall-cmdline.txt")
        ran = os.path.exists(recorded) and read_text(recorded)
        if ran:
            os.remove(recorded)
        return ran

    def test_record_decides_the_folder_and_the_uninstaller(self):
        cases = [
            # (value type, value, expected folder, uninstaller runs)
            (None, None, DEFAULT_D, False),
            ("REG_SZ", "E:\\Apps\\Mail", "E:\\Apps\\Mail", True),
            ("REG_SZ", "", DEFAULT_D, False),
            ("REG_EXPAND_SZ", "E:\\Apps\\Mail", DEFAULT_D, False),
        ]
        for kind, value, folder, uninstalls in cases:
            with self.subTest(kind=kind, value=value):
                if kind is not None:
                    self.p.reg_add(APP_PATHS, "SoftwarePath", kind, value)
                self.assertEqual((True, folder, True), self.prepare())
                self.assertEqual(" true" if uninstalls else False, self.uninstaller_ran())


@unittest.skipUnless(os.environ.get("DISPLAY"), "needs a display")
class SetupProcessTest(unittest.TestCase):
    """VexmoraSetup.exe itself, in one machine, cases in order."""

    @classmethod
    def setUpClass(cls):
        cls.p = winetest.Prefix(arch=64)
        cls.started = []
        shutil.copy(SETUP, cls.p.unix_path("C:\\VexmoraSetup.exe"))

    @classmethod
    def tearDownClass(cls):
        for proc in cls.started:
            if proc.poll() is None:
                proc.kill()
        cls.p.close()

    def start_waiter(self, win_path):
        target = self.p.unix_path(win_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(WAITER, target)
        proc = self.p.start([win_path])
        self.started.append(proc)
        winetest.wait_until(lambda: os.path.exists(target + ".pid"), timeout=60, what=f"{win_path}")
        return proc, int(read_text(target + ".pid"))

    def start_setup(self):
        proc = self.p.start(["C:\\VexmoraSetup.exe"])
        self.started.append(proc)
        return proc

    def own_windows(self):
        return winetest.find_windows("^VexmoraFM$")

    def test_1_running_client_ends_setup_without_a_window(self):
        client, client_id = self.start_waiter("C:\\fx\\client\\Vexmora-PC.exe")
        before = set(self.own_windows())
        r = self.p.run(["C:\\VexmoraSetup.exe"], timeout=60)
        self.assertEqual(0, r.returncode)
        self.assertEqual(before, set(self.own_windows()))
        self.assertIsNone(client.poll(), "the client was closed without being asked")
        self.p.run([PROBE, "terminate", str(client_id)], check=True)
        client.wait(timeout=30)

    def test_2_crash_reporter_ended_silently_then_single_instance(self):
        reporters = [self.start_waiter(path)[0] for path in
                     ("C:\\fx\\crash\\CrashSender1403.exe", "C:\\fx\\crash2\\crashsender1403.EXE")]
        first = self.start_setup()
        for proc in reporters:
            proc.wait(timeout=60)
            self.assertEqual(0, proc.returncode)
        wid = winetest.wait_window("^VexmoraFM$", timeout=60)
        x, y, width, height = winetest.window_geometry(wid)
        # X reports the area inside the frame that Wine draws for the 580x400 window.
        self.assertTrue(540 <= width <= 580 and 350 <= height <= 400, (width, height))
        self.assertLessEqual(abs((x + width / 2) - 640), 40)  # centred on the 1280x1024 screen
        self.assertLessEqual(abs((y + height / 2) - 512), 60)

        started = time.monotonic()
        second = self.p.run(["C:\\VexmoraSetup.exe"], timeout=60)
        elapsed = time.monotonic() - started
        self.assertEqual(0, second.returncode)
        self.assertLess(elapsed, 15)
        self.assertIsNone(first.poll(), "the first setup ended")
        self.assertEqual([wid], self.own_windows())

        winetest.key(wid, "alt+F4")  # the window closes; the loop ends; exit code 0
        self.assertEqual(0, first.wait(timeout=60))


if __name__ == "__main__":
    unittest.main(verbosity=2)
