"""Process control against real processes in a throw-away Wine machine: stand-ins for
the client and its crash reporter (one small waiting program copied under those names,
letter case varied, and a host that has loaded a module of a listed name beyond its
first ten modules) are found and terminated; the earlier uninstaller is waited for and
gets " true"; the launch as the signed-in user (with a stand-in shell) and the hidden
command run the programs they name, with blanks and Chinese in their paths."""
import os
import shutil
import subprocess
import unittest

import winetest

PROGRAMS = os.path.join(winetest.BUILD, "tests", "programs")
WAITER = os.path.join(PROGRAMS, "fx_waiter.exe")
RECORDER = os.path.join(PROGRAMS, "fx_recorder.exe")
PROBE = os.path.join(PROGRAMS, "fx_procprobe.exe")

# Enough system libraries that the marked module comes well after the tenth.
HOST_LIBRARIES = ["shell32.dll", "ole32.dll", "oleaut32.dll", "comctl32.dll", "gdiplus.dll",
                  "shlwapi.dll", "version.dll", "ws2_32.dll", "winmm.dll", "crypt32.dll"]


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


class ProcessesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.p = winetest.Prefix()
        cls.p.env["LC_ALL"] = "C.UTF-8"  # Chinese arguments pass through the Unix locale
        cls.started = []

    @classmethod
    def tearDownClass(cls):
        for proc in cls.started:
            if proc.poll() is None:
                proc.kill()
        cls.p.close()

    # -- helpers ---------------------------------------------------------------------
    def place(self, program, win_path):
        target = self.p.unix_path(win_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(program, target)
        return target

    def start_waiter(self, win_path, *args):
        """Starts a stand-in copied to win_path; returns (Popen, Windows process id)."""
        target = self.place(WAITER, win_path)
        pid_file = target + ".pid"
        proc = self.p.start([win_path, *args])
        self.started.append(proc)
        winetest.wait_until(lambda: os.path.exists(pid_file) or proc.poll() is not None,
                            timeout=60, what=f"{win_path} to start")
        self.assertIsNone(proc.poll(), f"{win_path} ended early with {proc.returncode}")
        return proc, int(read_text(pid_file))

    def probe(self, *args):
        r = self.p.run([PROBE, *args], timeout=120)
        self.assertEqual(0, r.returncode, r)
        return r.stdout.decode()

    def find(self, *names):
        return [int(x) for x in self.probe("find", *names).split()]

    def assert_ended(self, proc, what):
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.fail(f"{what} is still running")

    # -- cases -----------------------------------------------------------------------
    def test_client_and_crash_reporter_found_by_any_case_and_by_loaded_module(self):
        client, client_id = self.start_waiter("C:\\fx\\client\\Vexmora-PC.exe")
        client2, client2_id = self.start_waiter("C:\\fx\\client2\\vexmora-pc.EXE")
        crash, crash_id = self.start_waiter("C:\\fx\\crash\\CrashSender1403.exe")
        self.place(WAITER, "C:\\fx\\lib\\Vexmora-PC.exe")
        loads = [a for lib in HOST_LIBRARIES for a in ("--load", lib)]
        host, host_id = self.start_waiter("C:\\fx\\host\\fx_host.exe", *loads,
                                          "--load", "C:\\fx\\lib\\Vexmora-PC.exe")

        self.assertEqual(sorted([client_id, client2_id, host_id]), sorted(self.find("Vexmora-PC.exe")))
        self.assertEqual([crash_id], self.find("CRASHSENDER1403.EXE"))
        self.assertEqual([], self.find("Start.exe"))

        # An identifier of a process that has already ended is passed over.
        gone, gone_id = self.start_waiter("C:\\fx\\gone\\fx_gone.exe")
        self.probe("terminate", str(gone_id))
        self.assert_ended(gone, "the first terminated stand-in")
        self.probe("terminate", str(gone_id), str(client_id), str(client2_id), str(crash_id), str(host_id))
        for proc, what in ((client, "Vexmora-PC.exe"), (client2, "vexmora-pc.EXE"),
                           (crash, "CrashSender1403.exe"), (host, "the host")):
            self.assert_ended(proc, what)
            self.assertEqual(0, proc.returncode, what)
        self.assertEqual([], self.find("Vexmora-PC.exe", "CrashSender1403.exe"))

    def test_previous_uninstaller_is_waited_for_and_gets_true(self):
        self.place(RECORDER, "C:\\fx\\old\\uninstall.exe")
        open(self.p.unix_path("C:\\fx\\old\\slow"), "w").close()
        out = self.probe("uninstall", "C:\\fx\\old")
        self.assertIn("recorded=1", out)  # it had ended (and written) before the call returned
        self.assertEqual(" true", read_text(self.p.unix_path("C:\\fx\\old\\uninstall-cmdline.txt")))

    def test_missing_uninstaller_returns_at_once(self):
        out = self.probe("uninstall", "C:\\fx\\never-installed")
        fields = dict(kv.split("=") for kv in out.split())
        self.assertEqual("0", fields["recorded"])
        self.assertLess(int(fields["elapsed"]), 1000)

    def test_launch_as_the_signed_in_user_runs_the_quoted_program_not_a_planted_one(self):
        self.place(RECORDER, "C:\\fx dir\\Start.exe")
        self.place(RECORDER, "C:\\fx.exe")  # what an unquoted "C:\fx dir\Start.exe" would run
        recorded = self.p.unix_path("C:\\fx dir\\Start-cmdline.txt")
        # No shell on the desktop (a run as SYSTEM): nothing starts, and the reason is given.
        self.assertIn("ok=0 why=no shell runs", self.probe("launch", "C:\\fx dir\\Start.exe"))
        # With the person's shell (a stand-in: this Wine's desktop registers none).
        self.place(os.path.join(PROGRAMS, "fx_shell.exe"), "C:\\fx\\fx_shell.exe")
        shell = self.p.start(["C:\\fx\\fx_shell.exe"], stdout=subprocess.PIPE)
        self.started.append(shell)
        self.assertTrue(shell.stdout.readline().startswith(b"shell "))
        self.assertIn("ok=1", self.probe("launch", "C:\\fx dir\\Start.exe"))
        winetest.wait_until(lambda: os.path.exists(recorded), timeout=60, what="Start.exe to run")
        self.assertEqual('"C:\\fx dir\\Start.exe"', read_text(recorded))
        self.assertFalse(os.path.exists(self.p.unix_path("C:\\fx-cmdline.txt")))
        shell.kill()
        shell.wait(timeout=30)

    def test_hidden_command_passes_chinese_unchanged(self):
        self.place(RECORDER, "C:\\fx\\邮箱 文件夹\\rec.exe")
        command = '"C:\\fx\\邮箱 文件夹\\rec.exe" "D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱\\a.dll"'
        self.probe("hidden", command)
        recorded = self.p.unix_path("C:\\fx\\邮箱 文件夹\\rec-cmdline.txt")
        winetest.wait_until(lambda: os.path.exists(recorded), timeout=60, what="the hidden command to run")
        self.assertEqual(command, read_text(recorded))


if __name__ == "__main__":
    unittest.main(verbosity=2)
