"""Start-up of the setup program in throw-away Wine machines.

- The program's own resources: the string table (Chinese, 2052), the manifest and the
  version information, read from VexmoraSetup.exe as a file.
- The initial install folder: PrepareSetup run for real (by the unit test program's
  machine probe, with the setup's own string table) in a machine with D: fixed; with an
  earlier installation recorded in "SoftwarePath" as REG_SZ, empty, or REG_EXPAND_SZ.
- VexmoraSetup.exe itself, each case on a machine of its own: a running client brings the
  client-running prompt (declined: setup ends with no main window; accepted: the client
  is closed and setup goes on); the crash reporter is terminated silently; a second setup
  shows the already-running prompt and ends with exit code 0 while the first keeps its
  window.
"""
import os
import shutil
import struct
import time
import unittest

import winetest
from setupdriver import (ALREADY_RUNNING, APP_PATHS_KEY, CLIENT_RUNNING, CONFIRM_EXIT, DEFAULT_FOLDER, MAIN, RECTS,
                         SETUP_WIN, TITLE, Machine, setUpModule, tearDownModule)  # noqa: F401  (module fixtures)

# The module fixtures give the test program an X display of its own: the cases count the
# setup's windows, and other test programs running at the same time show windows of the
# same title.

BUILD = winetest.BUILD
SETUP = winetest.SETUP_EXE
UNIT_APP = os.path.join(BUILD, "tests", "test_app.exe")
PROGRAMS = os.path.join(BUILD, "tests", "programs")
WAITER = os.path.join(PROGRAMS, "fx_waiter.exe")
RECORDER = os.path.join(PROGRAMS, "fx_recorder.exe")
PROBE = os.path.join(PROGRAMS, "fx_procprobe.exe")


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
    163: "无法写入安装记录 {file}，未安装任何内容。",
    164: "上次在 {folder} 中未完成的安装未能全部撤销，本次未安装任何内容。",
    165: "未能写入 {file} 等文件，本次安装所做的更改已撤销。",
    166: "旧版本的安装记录无法读取，已改为运行其卸载程序：若本次安装失败，旧版本将无法恢复。",
    167: "部分注册表项或快捷方式未能写入，本次安装所做的更改已撤销。",
    168: "旧版本已恢复原状。",
    195: "无法将安装目录 {folder} 设为仅管理员可以修改，为安全起见不会安装到此目录，请选择其他目录。",
    196: "无法测得 {folder} 所在磁盘的可用空间，安装需要 {need} MB。是否仍然安装？",
    197: "无法确认 {path} 的实际位置，为安全起见不会向其中写入文件。",
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
        # 170-194: what a screen reader says (their texts are checked by accessibility_test.py);
        # 195-197: what the setup says when a check cannot answer.
        self.assertEqual(set(range(128, 144)) | set(range(150, 158)) | set(range(160, 169)) | set(range(170, 198)),
                         set(table))
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
        cls.p = winetest.Prefix(drives={"d": "hd", "e": "hd"})
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
            # (value type, value, expected folder, run begun, uninstaller runs)
            (None, None, DEFAULT_FOLDER, True, False),
            # An installation without a journal there: only its uninstaller knows it.
            ("REG_SZ", "E:\\Apps\\Mail", "E:\\Apps\\Mail", True, True),
            # Used although it is gone: the run cannot make it.
            ("REG_SZ", "F:\\Gone\\Mail", "F:\\Gone\\Mail", False, False),
            ("REG_SZ", "", DEFAULT_FOLDER, True, False),
            ("REG_EXPAND_SZ", "E:\\Apps\\Mail", DEFAULT_FOLDER, True, False),
        ]
        for kind, value, folder, begun, uninstalls in cases:
            with self.subTest(kind=kind, value=value):
                if kind is not None:
                    self.p.reg_add(APP_PATHS_KEY, "SoftwarePath", kind, value)
                self.assertEqual((True, folder, begun), self.prepare())
                self.assertEqual(" true" if uninstalls else False, self.uninstaller_ran())


MAIN_SIZE = RECTS.size(MAIN)
PROMPT_SIZE = RECTS.size(CLIENT_RUNNING)  # the already-running prompt's too
ALREADY_RUNNING_OK = RECTS.centre(ALREADY_RUNNING, "okbtn")
CLIENT_RUNNING_INSTALL = RECTS.centre(CLIENT_RUNNING, "installbtn")
CLIENT_RUNNING_CANCEL = RECTS.centre(CLIENT_RUNNING, "cancelbtn")
MAIN_CLOSE, CONFIRM_EXIT_STOP = RECTS.centre(MAIN, "closebtn"), RECTS.centre(CONFIRM_EXIT, "cancelbtn")


@unittest.skipUnless(shutil.which("Xvfb"), "needs Xvfb")
class SetupProcessTest(unittest.TestCase):
    """VexmoraSetup.exe itself, in a fresh machine for each case, the stand-in client
    running in it."""

    def setUp(self):
        self.m = Machine()
        self.addCleanup(self.m.close)
        self.client = self.start_waiter("C:\\fx\\client\\Vexmora-PC.exe")

    def start_waiter(self, win_path):
        target = self.m.unix(win_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(WAITER, target)
        proc = self.m.start([win_path])
        winetest.wait_until(lambda: os.path.exists(target + ".pid"), timeout=60, what=f"{win_path}")
        return proc

    def start_setup(self):
        return self.m.start([SETUP_WIN])

    def click_until(self, wid, point, done, what, timeout=60, retry_after=2):
        return winetest.click_until(wid, *point, done, what, timeout=timeout, retry_after=retry_after)

    def gone(self, wid):
        return lambda: wid not in winetest.find_windows(TITLE)

    def test_running_client_declined_ends_setup_without_main_window(self):
        setup = self.start_setup()
        prompt = winetest.wait_window(TITLE, size=PROMPT_SIZE, timeout=90)
        self.click_until(prompt, CLIENT_RUNNING_CANCEL, self.gone(prompt), "the prompt to close")
        self.assertEqual(0, setup.wait(timeout=60))
        self.assertEqual([], winetest.find_windows(TITLE))
        self.assertIsNone(self.client.poll(), "the client was closed although the user declined")

    def test_client_closed_crash_reporter_ended_then_single_instance(self):
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


if __name__ == "__main__":
    unittest.main(verbosity=2)
