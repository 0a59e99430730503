"""Start-up of the setup program in throw-away Wine machines.

- The program's own resources: the string table (Chinese, 2052), the manifest and the
  version information, read from VexmoraSetup.exe as a file.
- The initial install folder: PrepareSetup run for real (by the unit test program's
  machine probe, with the setup's own string table) in a machine with D: fixed; with an
  earlier installation recorded in "SoftwarePath" as REG_SZ, empty, or REG_EXPAND_SZ.
- VexmoraSetup.exe itself: a running client brings the client-running prompt (declined:
  setup ends with no main window; accepted: the client is closed and setup goes on); the
  crash reporter is terminated silently; a second setup shows the already-running prompt
  and ends with exit code 0 while the first keeps its window.
"""
import os
import shutil
import struct
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
    143: "不能直接安装到磁盘根目录 {folder}，请选择或新建其中的一个文件夹。",
    150: "{path} 是指向其他位置的链接，为安全起见不会通过它写入文件，请删除该链接后重试。",
    151: "旧版本所在的目录 {folder} 可被普通用户修改，为安全起见不运行其中的卸载程序，旧版本将保留在原处。",
    152: "安装目录所在的磁盘空间不足：安装需要 {need} MB，可用空间仅 {free} MB，请清理磁盘或选择其他安装目录后重试。",
    153: "磁盘空间不足",
    154: "所需空间：{need} MB　可用空间：{free} MB",
    155: "所需空间：{need} MB",
    156: "此电脑已安装较新版本的 VexmoraZevlo邮箱（{installed}），本安装程序的版本为 {setup}。继续安装将以旧版本替换较新版本，是否继续？",
    157: "正在修复",
    160: "本次安装所做的更改已全部撤销。",
    161: "本次安装所做的更改未能全部撤销，以下项目仍然保留：{path}",
    162: "旧版本已在本次安装开始前卸载，无法恢复，请重新安装。",
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
        self.assertEqual(set(range(128, 144)) | set(range(150, 158)) | {160, 161, 162}, set(table))
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
            ("REG_SZ", "F:\\Gone\\Mail", "F:\\Gone\\Mail", False),  # used although it is gone
            ("REG_SZ", "", DEFAULT_D, False),
            ("REG_EXPAND_SZ", "E:\\Apps\\Mail", DEFAULT_D, False),
        ]
        for kind, value, folder, uninstalls in cases:
            with self.subTest(kind=kind, value=value):
                if kind is not None:
                    self.p.reg_add(APP_PATHS, "SoftwarePath", kind, value)
                self.assertEqual((True, folder, True), self.prepare())
                self.assertEqual(" true" if uninstalls else False, self.uninstaller_ran())


TITLE = "^VexmoraFM$"
MAIN_SIZE = (580, 400)
PROMPT_SIZE = (300, 176)
# Button centres in window coordinates, from the prompt layouts (228, 229, 230).
ALREADY_RUNNING_OK = (150, 148)
CLIENT_RUNNING_INSTALL, CLIENT_RUNNING_CANCEL = (99, 148), (201, 148)
MAIN_CLOSE, CONFIRM_EXIT_STOP = (561, 19), (145, 156)


@unittest.skipUnless(shutil.which("Xvfb"), "needs Xvfb")
class SetupProcessTest(unittest.TestCase):
    """VexmoraSetup.exe itself, in one machine whose state carries from case to case."""

    @classmethod
    def setUpClass(cls):
        cls.p = winetest.Prefix(arch=64)
        cls.started = []
        cls.client = None
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
        return proc

    def start_setup(self):
        proc = self.p.start(["C:\\VexmoraSetup.exe"])
        self.started.append(proc)
        return proc

    def click_until(self, wid, point, done, what, timeout=60, retry_after=2):
        return winetest.click_until(wid, *point, done, what, timeout=timeout, retry_after=retry_after)

    def gone(self, wid):
        return lambda: wid not in winetest.find_windows(TITLE)

    def test_1_running_client_declined_ends_setup_without_main_window(self):
        type(self).client = self.start_waiter("C:\\fx\\client\\Vexmora-PC.exe")
        setup = self.start_setup()
        prompt = winetest.wait_window(TITLE, size=PROMPT_SIZE, timeout=90)
        self.click_until(prompt, CLIENT_RUNNING_CANCEL, self.gone(prompt), "the prompt to close")
        self.assertEqual(0, setup.wait(timeout=60))
        self.assertEqual([], winetest.find_windows(TITLE))
        self.assertIsNone(self.client.poll(), "the client was closed although the user declined")

    def test_2_client_closed_crash_reporter_ended_then_single_instance(self):
        self.assertIsNotNone(self.client, "runs after test_1, which starts the client")
        reporters = [self.start_waiter(path) for path in
                     ("C:\\fx\\crash\\CrashSender1403.exe", "C:\\fx\\crash2\\crashsender1403.EXE")]
        first = self.start_setup()
        prompt = winetest.wait_window(TITLE, size=PROMPT_SIZE, timeout=90)
        self.click_until(prompt, CLIENT_RUNNING_INSTALL, self.gone(prompt), "the prompt to close")
        for proc in [self.client] + reporters:  # closed on request, the reporters silently
            self.assertEqual(0, proc.wait(timeout=60))
        main = winetest.wait_window(TITLE, size=MAIN_SIZE, timeout=90)

        started = time.monotonic()
        second = self.start_setup()
        warning = winetest.wait_window(TITLE, size=PROMPT_SIZE, timeout=90)
        self.click_until(warning, ALREADY_RUNNING_OK, self.gone(warning), "the warning to close")
        self.assertEqual(0, second.wait(timeout=60))
        elapsed = time.monotonic() - started
        self.assertLess(elapsed, 20)
        self.assertIsNone(first.poll(), "the first setup ended")
        self.assertEqual([main], winetest.find_windows(TITLE))

        # Leaving through the confirm-exit prompt ends the first setup with exit code 0.
        confirm = self.click_until(
            main, MAIN_CLOSE, lambda: [w for w in winetest.find_windows(TITLE) if w != main], "confirm exit",
            retry_after=10)[0]
        self.click_until(confirm, CONFIRM_EXIT_STOP, lambda: first.poll() is not None, "the setup to end")
        self.assertEqual(0, first.wait(timeout=60))


display = None


def setUpModule():
    # An X display of its own: the cases count the setup's windows, and other test
    # programs running at the same time show windows of the same title.
    global display
    display = winetest.PrivateDisplay()


def tearDownModule():
    display.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
