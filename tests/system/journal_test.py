"""The encrypted install journal read from outside: a test program writes a journal with
known records under a Chinese folder name; the companion file must decrypt with openssl
on the Linux side to exactly the expected bytes, and journal-dump must print and accept
the same records (and reject malformed ones)."""
import os
import shutil
import subprocess
import unittest

import winetest

BUILD = winetest.BUILD
WRITER = os.path.join(BUILD, "tests", "programs", "journalfx_write.exe")
DUMP = os.path.join(BUILD, "tools", "journal-dump.exe")

FOLDER = "C:\\jtest\\VexmoraZevlo邮箱"


def expected_records(folder, filler=0):
    return (
        f"D {folder}\\bin\r\n"
        f"F {folder}\\bin\\邮件.dll\r\n"
        f"F {folder}\\\U00020BB7.txt\r\n"
        "r 2147483650 Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VexmoraZevlo邮箱\r\n"
        "R 2147483650 Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vexmora-PC.exe\\SoftwarePath\r\n"
        "R 2147483649 Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Vexmora-PC\r\n"
        + "".join(f"F {folder}\\filler\\{i:05d}{'x' * 64}.dat\r\n" for i in range(filler))
    ).encode("utf-8")


EXPECTED = expected_records(FOLDER)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def openssl(mode, key, iv, data):
    r = subprocess.run(["openssl", "enc", mode, "-aes-128-cbc", "-K", key, "-iv", iv],
                       input=data, capture_output=True, timeout=60)
    assert r.returncode == 0, r.stderr
    return r.stdout


class JournalTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = winetest.Prefix()
        # Arguments with Chinese text reach the program through the Unix locale.
        cls.prefix.env["LC_ALL"] = "C.UTF-8"
        r = cls.prefix.run([WRITER, "C:\\jtest"])
        assert r.returncode == 0, r
        out = cls.prefix.run([DUMP, "--print-key"], check=True).stdout.decode().split()
        fields = dict(zip(out[0::2], out[1::2]))
        cls.key, cls.iv = fields["key"], fields["iv"]

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()

    def host(self, win_path):
        return self.prefix.unix_path(win_path)

    def test_companion_decrypts_with_openssl_to_the_exact_records(self):
        self.assertFalse(os.path.exists(self.host(FOLDER + "\\uninstall")))
        cipher = read(self.host(FOLDER + "\\uninstallE"))
        self.assertEqual(0, len(cipher) % 16)
        self.assertEqual(EXPECTED, openssl("-d", self.key, self.iv, cipher))

    def test_reader_prints_and_accepts_the_records(self):
        for args in ([], ["--check"]):
            r = self.prefix.run([DUMP] + args + [FOLDER + "\\uninstallE"])
            self.assertEqual(0, r.returncode, (args, r.stderr))
            self.assertEqual(EXPECTED, r.stdout)

    def test_reader_reads_what_openssl_encrypted_and_rejects_bad_input(self):
        def plant(name, data):
            with open(self.host("C:\\jtest\\" + name), "wb") as f:
                f.write(data)
            return "C:\\jtest\\" + name

        good = plant("good", openssl("-e", self.key, self.iv, b"D C:\\A\r\nr 2147483649 K\r\n"))
        malformed = plant("malformed", openssl("-e", self.key, self.iv, b"D C:\\A\r\nX C:\\B\r\n"))
        garbage = plant("garbage", b"\x01" * 17)
        cases = [  # (arguments, exit code, stdout)
            ([good], 0, b"D C:\\A\r\nr 2147483649 K\r\n"),
            (["--check", good], 0, b"D C:\\A\r\nr 2147483649 K\r\n"),
            ([malformed], 0, b"D C:\\A\r\nX C:\\B\r\n"),
            (["--check", malformed], 3, b"D C:\\A\r\nX C:\\B\r\n"),
            ([garbage], 2, b""),
            (["C:\\jtest\\missing"], 2, b""),
            ([], 1, b""),
        ]
        for args, code, out in cases:
            r = self.prefix.run([DUMP] + args)
            self.assertEqual((code, out), (r.returncode, r.stdout), args)
        self.assertIn(b"line 2", self.prefix.run([DUMP, "--check", malformed]).stderr)

    def test_key_and_iv_are_not_stored_as_one_run(self):
        key, iv = bytes.fromhex(self.key), bytes.fromhex(self.iv)
        self.assertNotEqual(key, iv)
        for exe in (DUMP, WRITER, winetest.SETUP_EXE):
            if os.path.exists(exe):
                data = read(exe)
                self.assertNotIn(key, data, exe)
                self.assertNotIn(iv, data, exe)

    def test_full_disk_at_close_keeps_the_plain_journal(self):
        """The plain journal fits on the disk, its encrypted copy does not: the partial
        copy is removed and the plain journal stays for the uninstaller."""
        if os.geteuid() != 0 or not shutil.which("mount"):
            self.skipTest("a small disk needs root to mount a tmpfs")
        disk = os.path.join(self.prefix.root, "small_e")
        os.makedirs(disk)
        size = 256 * 1024
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", disk],
                           capture_output=True, timeout=30)
        if r.returncode != 0:
            self.skipTest(f"cannot mount a tmpfs: {r.stderr!r}")
        self.addCleanup(subprocess.run, ["umount", "-l", disk], timeout=30)
        self.prefix.map_drive("e", ("hd", disk))
        folder = "E:\\jtest\\VexmoraZevlo邮箱"
        expected = expected_records(folder, filler=1000)
        # Leave room for the plain journal and about a third of its encrypted copy.
        with open(os.path.join(disk, "filler"), "wb") as f:
            f.write(b"\0" * ((size - len(expected) - len(expected) // 3) // 4096 * 4096))

        r = self.prefix.run([WRITER, "E:\\jtest", "1000"])
        self.assertEqual(0, r.returncode, r)
        self.assertEqual(expected, read(self.prefix.unix_path(folder + "\\uninstall")))
        self.assertFalse(os.path.exists(self.prefix.unix_path(folder + "\\uninstallE")))


if __name__ == "__main__":
    unittest.main(verbosity=2)
