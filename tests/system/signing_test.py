"""What ships is stripped and signed: the setup program, and every executable and DLL
inside its payload as packed. `osslsigncode verify` checks each signature against the
certificate that signed the build (build/signing/identity names it: the test certificate
the build made, or the maker's, which the system's certificate store must then trust).
The signature covers the whole file, so a program stripped after signing would fail it."""
import os
import subprocess
import tempfile
import unittest

import winetest

BUILD = winetest.BUILD
ARCHIVE = os.path.join(BUILD, "payload", "payload.7z")
CLIENT_PROGRAMS = {"Start.exe", "Vexmora-PC.exe", "uninstall.exe", "CrashSender1403.exe",
                   "QuillwireShell.dll", "QuillwireShell64.dll"}


def verify(path):
    with open(os.path.join(BUILD, "signing", "identity"), encoding="utf-8") as f:
        kind, _, where = f.read().strip().partition(" ")
    trust = ["-CAfile", where] if kind == "test" else []
    return subprocess.run(["osslsigncode", "verify", *trust, "-in", path],
                          capture_output=True, text=True, timeout=60)


def has_symbols(path):
    """A symbol table, or debugging sections. Section names longer than eight bytes are
    "/<offset>" into the string table that follows the symbols (".eh_frame" is one)."""
    import pefile
    pe = pefile.PE(path, fast_load=True)
    header = pe.FILE_HEADER
    strings = header.PointerToSymbolTable + 18 * header.NumberOfSymbols
    names = []
    for section in pe.sections:
        name = section.Name.rstrip(b"\0")
        if name.startswith(b"/") and header.PointerToSymbolTable:
            start = strings + int(name[1:])
            name = pe.__data__[start:pe.__data__.find(b"\0", start)]
        names.append(name)
    return header.NumberOfSymbols != 0 or any(n.startswith(b".debug") for n in names)


class SignedProgramsTest(unittest.TestCase):
    def assert_shipped(self, path):
        result = verify(path)
        self.assertEqual(result.returncode, 0, f"{path}:\n{result.stdout}{result.stderr}")
        self.assertFalse(has_symbols(path), f"{path} still has its symbols")

    def test_the_setup_is_stripped_and_signed(self):
        self.assert_shipped(winetest.SETUP_EXE)

    def test_each_program_in_the_payload_is_stripped_and_signed(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run(["7zz", "x", "-bso0", "-bsp0", f"-o{out}", ARCHIVE], check=True, timeout=120)
            programs = {}
            for folder, _, files in os.walk(out):
                for name in files:
                    if name.lower().endswith((".exe", ".dll")):
                        programs[os.path.relpath(os.path.join(folder, name), out)] = os.path.join(folder, name)
            self.assertTrue(CLIENT_PROGRAMS <= set(programs), sorted(programs))
            for name, path in sorted(programs.items()):
                with self.subTest(program=name):
                    self.assert_shipped(path)


if __name__ == "__main__":
    unittest.main()
