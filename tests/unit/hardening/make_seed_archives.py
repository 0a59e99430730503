#!/usr/bin/python3
"""Writes seed_archives.h: two small 7z archives that the extraction fuzz test damages.

Run by hand when the seeds should change (needs 7zz); the header is kept in the tree so
that the test needs nothing at build time.
- kPlainSeed: its header stored plain (-mhc=off), two solid blocks (LZMA2; Delta+LZMA2),
  a file in nested folders and an empty file, so damage reaches the header parser itself;
- kPackedSeed: a compressed header and the BCJ2 coder with three LZMA streams.
"""
import os
import random
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def build(work):
    tree = os.path.join(work, "t")
    os.makedirs(os.path.join(tree, "a", "b"))
    rng = random.Random(10)
    files = {"a/b/c.txt": b"hello hardening\n" * 20, "bin.dat": bytes(rng.randrange(256) for _ in range(600)),
             "empty.txt": b"", "z.txt": b"second block text\n" * 10}
    for name, data in files.items():
        with open(os.path.join(tree, name), "wb") as f:
            f.write(data)
    plain, packed = os.path.join(work, "plain.7z"), os.path.join(work, "packed.7z")
    run = lambda *args: subprocess.run(["7zz", "a", "-bso0", "-bsp0", "-mtm=off", "-mtc=off", "-mta=off"] + list(args),
                                       cwd=tree, check=True)
    run("-mhc=off", "-m0=LZMA2", plain, "a/b/c.txt", "bin.dat", "empty.txt")
    run("-mhc=off", "-m0=Delta:4", "-m1=LZMA2", plain, "z.txt")
    run("-m0=BCJ2", "-m1=LZMA:d=64k", "-m2=LZMA:d=64k", "-m3=LZMA:d=64k", "-mb0s0:1", "-mb0s1:2", "-mb0s2:3",
        packed, "a/b/c.txt", "bin.dat", "z.txt")
    return [("kPlainSeed", plain), ("kPackedSeed", packed)]


def main():
    work = tempfile.mkdtemp()
    try:
        lines = ["#pragma once", "// Made by make_seed_archives.py; see there.", "#include <cstdint>", ""]
        for name, path in build(work):
            with open(path, "rb") as f:
                data = f.read()
            lines.append(f"inline constexpr std::uint8_t {name}[] = {{")
            for i in range(0, len(data), 16):
                lines.append("    " + ", ".join(f"0x{b:02x}" for b in data[i:i + 16]) + ",")
            lines += ["};", ""]
        with open(os.path.join(HERE, "seed_archives.h"), "w") as f:
            f.write("\n".join(lines))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
