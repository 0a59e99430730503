#!/usr/bin/python3
"""Builds the client's install tree and packs it into the payload archive.

    make_payload.py --bin DIR --stage DIR --out ARCHIVE [--bench]

--bin holds the client's programs built from our sources. The tree gets those programs
at its top, plus templates, skin images and data files in nested folders (some with
Chinese names, one empty file). Everything is generated from fixed seeds, so two runs
give the same bytes.

The archive is solid, in three blocks made by three `7zz a` calls, one per kind of
content, because each kind wants its own filter:
  executables  BCJ2 + LZMA   (x86 branch targets made relative compress far better)
  raw data     Delta:4 + LZMA2 (32-bit pixels and tables of ascending numbers)
  text         LZMA2
--bench makes the large tree for the extraction benchmark: about 434 entries and 57 MB,
its executables taken from Wine's x86-64 DLLs (real compiled code, stripped), as a
64-bit client's would be.
"""
import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

EXE_METHODS = ["-m0=BCJ2", "-m1=LZMA:d=8m", "-m2=LZMA:d=1m", "-m3=LZMA:d=1m",
               "-mb0s0:1", "-mb0s1:2", "-mb0s2:3"]
RAW_METHODS = ["-m0=Delta:4", "-m1=LZMA2"]
TEXT_METHODS = ["-m0=LZMA2"]

CLIENT_PROGRAMS = ["Start.exe", "Vexmora-PC.exe", "uninstall.exe", "CrashSender1403.exe",
                   "QuillwireShell.dll", "QuillwireShell64.dll"]
WINE_DLLS = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"

PHRASES = ["您好，", "感谢您使用VexmoraZevlo邮箱。", "此致敬礼", "会议通知：", "请查收附件。",
           "Dear customer,", "Best regards", "Meeting at 10:00 in room 3.", "收件人", "抄送",
           "主题", "正文", "签名", "草稿箱", "已发送", "垃圾邮件", "通讯录", "日程安排"]


FIXED_TIME = 1767225600  # file times in the archive: 2026-01-01, so that rebuilds give the same archive


class Tree:
    """The staging folder and the three lists of files that go into the three blocks."""

    def __init__(self, root):
        self.root = root
        self.lists = {"exe": [], "raw": [], "text": []}

    def put(self, kind, rel, data):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        os.utime(path, (FIXED_TIME, FIXED_TIME))
        self.lists[kind].append(rel)

    def copy(self, kind, rel, source, strip=False):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if strip:
            subprocess.run(["x86_64-w64-mingw32-strip", "-o", path, source], check=True)
        else:
            shutil.copyfile(source, path)
        os.utime(path, (FIXED_TIME, FIXED_TIME))
        self.lists[kind].append(rel)

    def count(self):
        return sum(len(v) for v in self.lists.values())


def text_page(rng, size, html):
    parts, total = [], 0
    while total < size:
        line = "".join(rng.choice(PHRASES) for _ in range(rng.randint(3, 9)))
        line = f"<p class=\"c{rng.randint(0, 20)}\">{line}</p>\n" if html else line + "\r\n"
        parts.append(line)
        total += len(line.encode("utf-8"))
    body = "".join(parts)
    if html:
        body = "<html><head><meta charset=\"utf-8\"></head><body>\n" + body + "</body></html>\n"
    return body.encode("utf-8")


def bitmap(rng, width, height):
    """A 32-bit BMP with smooth gradients and a little noise, like skin artwork."""
    ax, ay, base = rng.randint(1, 3), rng.randint(1, 3), rng.randint(0, 200)
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            v = (base + ax * x + ay * y + rng.randint(0, 7)) & 0xFF
            row += bytes((v, (v * 3) & 0xFF, (255 - v) & 0xFF, 0xFF))
        rows.append(bytes(row))
    pixels = b"".join(reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def png(rng, width, height):
    """A PNG photo-like image: already deflated, so it hardly compresses further."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        rows += bytes(rng.getrandbits(8) if rng.random() < 0.6 else (x * 3 + y) & 0xFF for x in range(width * 3))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def table(rng, count):
    """Ascending 32-bit records (an index), which Delta:4 turns into small numbers."""
    value, out = rng.randint(0, 1000), bytearray()
    for _ in range(count):
        value += rng.randint(1, 40)
        out += struct.pack("<I", value)
    return bytes(out)


def add_common(tree, bin_dir):
    for name in CLIENT_PROGRAMS:
        tree.copy("exe", name, os.path.join(bin_dir, name))
    tree.put("text", "config/首次运行.flag", b"")


def add_shipped(tree, rng):
    for i, name in enumerate(["默认模板", "商务", "节日问候", "简洁", "blank"]):
        tree.put("text", f"templates/邮件模板/{name}.html", text_page(rng, 6000 + 2000 * i, True))
    for name in ["签名", "signature-en"]:
        tree.put("text", f"templates/签名/{name}.txt", text_page(rng, 800, False))
    for lang in ["zh-CN", "en-US"]:
        tree.put("text", f"res/lang/{lang}.xml", text_page(rng, 30000, False))
    tree.put("text", "说明.txt", text_page(rng, 3000, False))
    for i, (w, h) in enumerate([(256, 256), (200, 120), (128, 128), (64, 64), (320, 200), (96, 96)]):
        tree.put("raw", f"res/skin/{['背景', 'toolbar', 'logo', 'icon', 'login', 'avatar'][i]}.bmp",
                 bitmap(rng, w, h))
    tree.put("raw", "data/dict/index.dat", table(rng, 120000))
    tree.put("raw", "data/地址库/city.dat", table(rng, 40000))


def add_bench(tree, rng, bin_dir):
    """The large tree: ~434 entries, ~57 MB (executables ~60%, images, data, templates)."""
    dlls = sorted(f for f in os.listdir(WINE_DLLS) if f.endswith(".dll"))
    rng.shuffle(dlls)
    exe_bytes, budget = 0, 24_500_000
    for name in dlls:
        if exe_bytes >= budget or len(tree.lists["exe"]) >= 150:
            break
        folder = "plugins" if len(tree.lists["exe"]) % 3 else "bin"
        tree.copy("exe", f"{folder}/{name}", os.path.join(WINE_DLLS, name), strip=True)
        exe_bytes += os.path.getsize(os.path.join(tree.root, folder, name))
    for i in range(90):
        w, h = rng.choice([(64, 64), (128, 128), (256, 128), (320, 240), (400, 300)])
        if i % 3 == 0:  # photos and avatars ship as PNG
            tree.put("raw", f"res/images/photo{i // 3:02d}/图片{i:03d}.png", png(rng, w, h))
        else:
            tree.put("raw", f"res/skin/theme{i % 6}/图片{i:03d}.bmp", bitmap(rng, w, h))
    for i in range(20):
        tree.put("raw", f"data/dict/表{i:02d}.dat", table(rng, rng.randint(20000, 90000)))
    while tree.count() < 434:
        i = tree.count()
        folder = rng.choice(["templates/邮件模板", "templates/signature", "res/lang", "res/help/帮助"])
        ext = ".html" if "templates" in folder or "help" in folder else ".xml"
        tree.put("text", f"{folder}/文档{i:03d}{ext}", text_page(rng, rng.randint(2000, 64000), ext == ".html"))


def pack(tree, archive):
    if os.path.exists(archive):
        os.remove(archive)
    for kind, methods in (("exe", EXE_METHODS), ("raw", RAW_METHODS), ("text", TEXT_METHODS)):
        listing = os.path.join(tree.root, "..", f"{kind}.lst")
        with open(listing, "w", encoding="utf-8") as f:
            f.write("\n".join(tree.lists[kind]) + "\n")
        cmd = ["7zz", "a", "-bso0", "-bsp0", "-ms=on", "-mmt=2", "-scsUTF-8", os.path.abspath(archive),
               "@" + os.path.abspath(listing)] + methods
        subprocess.run(cmd, check=True, cwd=tree.root)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", required=True)
    ap.add_argument("--stage", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--bench", action="store_true")
    args = ap.parse_args()

    shutil.rmtree(args.stage, ignore_errors=True)
    tree = Tree(os.path.join(args.stage, "tree"))
    rng = random.Random(20260227)
    add_common(tree, args.bin)
    if args.bench:
        add_bench(tree, rng, args.bin)
    else:
        add_shipped(tree, rng)
    pack(tree, args.out)
    total = sum(os.path.getsize(os.path.join(tree.root, p)) for v in tree.lists.values() for p in v)
    print(f"{args.out}: {tree.count()} entries, {total} bytes unpacked, "
          f"{os.path.getsize(args.out)} bytes packed", file=sys.stderr)


if __name__ == "__main__":
    main()
