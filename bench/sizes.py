#!/usr/bin/python3
"""Where the setup's bytes go: the shipped build/VexmoraSetup.exe split into its code and
data, its resources by kind (payload, skin images, layouts, the rest) and its signature,
against the target for the setup without its payload. The code is then split by the
library it comes from, read from the link map of the unstripped program
(build/VexmoraSetup.map), so that the next byte to save is easy to find.

    sizes.py [BUILD]
"""
import collections
import os
import re
import sys

import pefile

TARGET = 1_500_000  # bytes: the setup without its payload
MB = 1_000_000


def resources(pe):
    """Bytes of resource data by kind: payload ("BIN" 227), images (PNG), layouts (XML),
    and everything else (strings, version, manifest)."""
    kinds = collections.Counter()
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        name = str(kind.name) if kind.name is not None else None
        for item in kind.directory.entries:
            for lang in item.directory.entries:
                size = lang.data.struct.Size
                if name == "BIN" and item.id == 227:
                    kinds["payload"] += size
                elif name == "PNG":
                    kinds["skin images"] += size
                elif name == "XML":
                    kinds["layouts"] += size
                else:
                    kinds["strings, version, manifest"] += size
    return kinds


def code_by_library(map_file):
    """Bytes of code and read-only data, unwind tables and data by archive or object, from
    a GNU ld map: the input sections placed into the output sections that hold code."""
    placed = collections.Counter()
    output = None
    started = False
    pending = None
    pattern = re.compile(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    with open(map_file, errors="replace") as f:
        for line in f:
            if line.startswith("Linker script and memory map"):
                started = True
            if not started:
                continue
            top = re.match(r"^(\.\S+)", line)
            if top:
                output = top.group(1)
            if re.match(r"^ \.\S+\s*$", line):  # a long section name: the numbers follow on the next line
                pending = line.strip()
                continue
            m = pattern.match(line.rstrip("\n"))
            if m and (m.group(1) or pending) and output in (".text", ".rdata", ".data", ".eh_frame"):
                source = m.group(4)
                library = os.path.basename(source.split("(")[0])
                placed[library] += int(m.group(3), 16)
            pending = None
    return placed


def describe(library):
    names = {"libcryptopp.a": "Crypto++", "libstdc++.a": "C++ library", "liblzmasdk.a": "LZMA SDK",
             "libvexui.a": "ui/", "libvexengine.a": "engine/", "libvexapp.a": "app/",
             "libvexwindows.a": "windows/", "objects.a": "app/main/"}
    return names.get(library, library)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                            os.environ.get("VEXMORA_BUILD") or os.path.join(os.path.dirname(__file__), "..", "build"))
    exe = os.path.join(build, "VexmoraSetup.exe")
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    total = os.path.getsize(exe)
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    signature = security.Size
    rsrc = sum(s.SizeOfRawData for s in pe.sections if s.Name.rstrip(b"\0") == b".rsrc")
    kinds = resources(pe)
    code = total - rsrc - signature
    payload = kinds["payload"]

    print(f"setup size: {exe}: {total:,} bytes, {'signed' if signature else 'not signed'}")
    rows = [("code and data (all sections but resources, headers)", code)]
    rows += [(k, kinds[k]) for k in ("skin images", "layouts", "strings, version, manifest")]
    rows += [("resource tables and padding", rsrc - sum(kinds.values())), ("signature", signature),
             ("payload", payload)]
    for name, size in rows:
        print(f"  {name:52} {size:>10,}  {size / MB:6.3f} MB")
    without = total - payload
    print(f"setup without its payload: {without / MB:.3f} MB (target <= {TARGET / MB:.1f} MB)"
          f"{'' if without <= TARGET else ', over by ' + format((without - TARGET) / MB, '.3f') + ' MB'}")

    map_file = os.path.join(build, "VexmoraSetup.map")
    if os.path.exists(map_file):
        placed = code_by_library(map_file)
        listed = placed.most_common(8)
        rest = sum(placed.values()) - sum(size for _, size in listed)
        print("  code, data and unwind tables by library (from the link map): " + ", ".join(
            f"{describe(lib)} {size / 1000:.0f} kB" for lib, size in listed) + f", others {rest / 1000:.0f} kB")


if __name__ == "__main__":
    main()
