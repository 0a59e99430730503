#!/usr/bin/python3
"""Links a program so that functions nothing calls leave it, though their unwind tables stay.

Usage (a link launcher, see cmake/PruneLink.cmake):
    prune_link.py --work <folder> -- <the compiler driver's link command>
A command without an output (-o), such as the archiving CMake runs before a link, is
run as it is.

Why: GNU ld's PE linker script keeps every object's .eh_frame section whole (KEEP), and
an object's .eh_frame describes all its functions, so --gc-sections keeps every function
of an object that has unwind tables, called or not. In a C++ program that is most of the
code: whole explicit instantiations of the C++ library's strings, and the parts of
Crypto++'s objects that the AES keying never calls.

How, in three links of the same inputs:
 1. the ordinary link, with the link map: it says where each function landed, and so
    which unwind entries (FDEs) describe which function;
 2. a probe link whose unwind tables are not roots of the collection (the personality
    routine is kept by hand, and the exception tables' type references stay roots): the
    code sections it removes beyond the ordinary link's are reachable only through
    unwind entries;
 3. the final link, which discards those sections (and the data only they referenced).
    ld lays out .eh_frame exactly as in link 1, but the entries of discarded functions
    now point at whatever ld made of a discarded address. They are rewritten to describe
    an empty range at the image base, which no instruction address ever falls in; the
    unwinder's sorted search stays correct because nothing else starts there.
The result is checked before it is accepted: .eh_frame must have the ordinary link's
size and layout, and no two non-empty unwind ranges may overlap, nor leave .text.
Any surprise (another linker script, another pointer encoding) fails the link.
"""
import argparse
import bisect
import os
import re
import struct
import subprocess
import sys

KEEP_EH_FRAME = "KEEP(*(.eh_frame*))"
PERSONALITY = "-Wl,-u,___gxx_personality_v0"
REMOVED = re.compile(r"removing unused section '([^']+)' in file '([^']+)'")
DW_EH_PE_PCREL_SDATA4 = 0x1B
DW_EH_PE_INDIRECT_PCREL_SDATA4 = 0x9B


def run(command, log):
    with open(log, "w") as out:
        done = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT)
    if done.returncode != 0:
        sys.stderr.write(open(log).read())
        sys.exit(done.returncode)
    return open(log).read()


def without_output_options(command):
    """The link command without its output, map and import-library options."""
    rest, skip = [], False
    for arg in command:
        if skip:
            skip = False
            continue
        if arg == "-o":
            skip = True
            continue
        if arg.startswith("-Wl,-Map=") or arg.startswith("-Wl,--out-implib"):
            continue
        rest.append(arg)
    return rest


def output_of(command):
    return command[command.index("-o") + 1]


def removed_sections(log):
    """(file, section) pairs that --print-gc-sections reports removed; a COMDAT section's
    name is printed with its symbol in brackets, which is not part of the name."""
    pairs = set()
    for file_name, section in ((m.group(2), m.group(1)) for m in REMOVED.finditer(log)):
        pairs.add((file_name, re.sub(r"\[.*\]$", "", section)))
    return pairs


def default_script(verbose_log):
    parts = verbose_log.split("==================================================")
    if len(parts) < 3:
        sys.exit("prune_link: ld --verbose printed no linker script")
    return parts[1].strip("\n") + "\n"


def input_pattern(file_name):
    """A linker-script file pattern for an object or an archive member."""
    member = re.match(r"(.*)\((.*)\)$", file_name)
    if member:
        return "*%s:%s" % (os.path.basename(member.group(1)), member.group(2))
    return "*" + os.path.basename(file_name)


def discardable(section):
    # Code and read-only data only. Writable data is left to the ordinary collection:
    # the unwind tables reference the personality routine through a pointer in .data
    # (.data$LDFCM0, DW.ref.*), which the probe link, blind to them, finds unused.
    return re.match(r"\.(text|rdata)\b", section) is not None


def section_table(image):
    """{name: (virtual address, virtual size, file offset)} of a PE image and its image base."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count, symbols, symbol_count, optional_size = struct.unpack_from("<H4xIIH", image, pe + 6)
    image_base = struct.unpack_from("<I", image, pe + 24 + 28)[0]
    table = pe + 24 + optional_size
    sections = {}
    for i in range(count):
        name, vsize, va, _, raw = struct.unpack_from("<8sIIII", image, table + 40 * i)
        name = name.rstrip(b"\0").decode()
        if name.startswith("/"):  # a long name, in the string table after the symbols
            at = symbols + 18 * symbol_count + int(name[1:])
            name = image[at:image.index(b"\0", at)].decode()
        sections[name] = (va, vsize, raw)
    return sections, image_base


def fdes(image, personalities=None):
    """Yields (offset of the FDE's pc_begin field in the file, its offset in .eh_frame,
    pc_begin, pc_range) for every FDE of .eh_frame; CIEs must give pc-relative 4-byte
    pointers. The file offsets of the CIEs' personality pointers go to `personalities`."""
    sections, image_base = section_table(image)
    va, size, raw = sections[".eh_frame"]
    encodings = {}
    at = 0
    while at + 4 <= size:
        length = struct.unpack_from("<I", image, raw + at)[0]
        if length == 0:
            break
        if length == 0xFFFFFFFF:
            sys.exit("prune_link: 64-bit .eh_frame entries are not expected")
        body = raw + at + 4
        cie_pointer = struct.unpack_from("<I", image, body)[0]
        if cie_pointer == 0:
            encodings[at], personality = cie_encoding(image, body + 4)
            if personality is not None and personalities is not None:
                personalities.append(personality)
        else:
            cie = at + 4 - cie_pointer
            if encodings.get(cie) != DW_EH_PE_PCREL_SDATA4:
                sys.exit("prune_link: an FDE at .eh_frame+%#x does not use pc-relative 4-byte pointers" % at)
            field = body + 4
            field_va = image_base + va + at + 8
            pc_begin = (field_va + struct.unpack_from("<i", image, field)[0]) & 0xFFFFFFFF
            pc_range = struct.unpack_from("<I", image, field + 4)[0]
            yield field, at + 8, pc_begin, pc_range
        at += 4 + length


def cie_encoding(image, at):
    """The FDE pointer encoding ('R') of the CIE whose version byte is at `at`, and the
    file offset of its personality pointer ('P'; None without one)."""
    augmentation = image[at + 1:image.index(b"\0", at + 1)].decode()
    at += 2 + len(augmentation)
    for _ in range(2):  # code and data alignment factors (LEB128)
        while image[at] & 0x80:
            at += 1
        at += 1
    at += 1  # return address register (one byte in version 1)
    personality = None
    if not augmentation.startswith("z"):
        return None, None
    while image[at] & 0x80:  # augmentation data length
        at += 1
    at += 1
    for letter in augmentation[1:]:
        if letter == "R":
            return image[at], personality
        if letter == "L":
            at += 1
        elif letter == "P":
            if image[at] != DW_EH_PE_INDIRECT_PCREL_SDATA4:
                sys.exit("prune_link: unexpected personality encoding %#x" % image[at])
            personality = at + 1
            at += 5
        else:
            sys.exit("prune_link: unexpected CIE augmentation %r" % augmentation)
    return None, personality


def code_sections_by_address(map_file):
    """[(start, end, file, section)] of every code input section placed in the map."""
    placed = []
    pending = None
    for line in open(map_file, encoding="utf-8", errors="replace"):
        entry = re.match(r"^ (\.text\S*)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if entry:
            pending = None
            name, address, size, file_name = entry.groups()
        else:
            lone = re.match(r"^ (\.text\S*)\s*$", line)
            if lone:
                pending = lone.group(1)
                continue
            follow = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if not (pending and follow):
                pending = None
                continue
            name, (address, size, file_name) = pending, follow.groups()
            pending = None
        start, length = int(address, 16), int(size, 16)
        if length:
            placed.append((start, start + length, file_name.strip(), re.sub(r"\[.*\]$", "", name)))
    return placed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if "-o" not in command:  # the launcher also runs the link step's other commands
        sys.exit(subprocess.run(command).returncode)
    os.makedirs(args.work, exist_ok=True)
    work = lambda name: os.path.join(args.work, name)
    base = without_output_options(command)

    # 1. The ordinary link, with its script, map and collection report.
    ordinary_log = run(base + ["-o", work("ordinary.exe"), "-Wl,-Map=" + work("ordinary.map"),
                               "-Wl,--verbose", "-Wl,--print-gc-sections"], work("ordinary.log"))
    script = default_script(ordinary_log)
    if script.count(KEEP_EH_FRAME) != 1:
        sys.exit("prune_link: the linker script does not keep .eh_frame as expected")
    open(work("probe.x"), "w").write(script.replace(KEEP_EH_FRAME, "*(.eh_frame*)"))

    # 2. The probe: what is reachable without the unwind tables as roots.
    probe_log = run(base + ["-o", work("probe.exe"), "-Wl,-T," + work("probe.x"), PERSONALITY,
                            "-Wl,--print-gc-sections"], work("probe.log"))
    dead = sorted(pair for pair in removed_sections(probe_log) - removed_sections(ordinary_log)
                  if discardable(pair[1]))
    lines = ["  /DISCARD/ : {"] + ["    %s(%s)" % (input_pattern(f), s) for f, s in dead] + ["  }"]
    if "SECTIONS\n{\n" not in script:
        sys.exit("prune_link: no SECTIONS block in the linker script")
    open(work("final.x"), "w").write(script.replace("SECTIONS\n{\n", "SECTIONS\n{\n" + "\n".join(lines) + "\n", 1))

    # 3. The final link, then its unwind entries of discarded functions made empty.
    output = output_of(command)
    maps = [arg for arg in command if arg.startswith("-Wl,-Map=")] or ["-Wl,-Map=" + work("final.map")]
    run(base + ["-o", work("final.exe"), "-Wl,-T," + work("final.x"), maps[-1]], work("final.log"))
    # Each unwind entry of the ordinary link describes code in a section the map places;
    # the entries of the discarded sections are emptied in the final link.
    dead_code = {(f, s) for f, s in dead if s.startswith(".text")}
    placed = sorted(code_sections_by_address(work("ordinary.map")))
    starts = [start for start, _, _, _ in placed]
    ordinary = open(work("ordinary.exe"), "rb").read()
    final = bytearray(open(work("final.exe"), "rb").read())
    before = {offset: (begin, length) for _, offset, begin, length in fdes(ordinary)}
    after = list(fdes(bytes(final)))
    if sorted(before) != [offset for _, offset, _, _ in after]:
        sys.exit("prune_link: .eh_frame is laid out differently in the final link")
    eh_frame_va = section_table(final)[0][".eh_frame"][0]
    emptied = 0
    for field, offset, _, _ in after:
        begin, length = before[offset]
        i = bisect.bisect_right(starts, begin) - 1
        if i < 0 or not (begin + length <= placed[i][1]):
            sys.exit("prune_link: the unwind entry at .eh_frame+%#x describes code the map does not place" % offset)
        if placed[i][2:] in dead_code:
            struct.pack_into("<iI", final, field, -offset - eh_frame_va, 0)
            emptied += 1
    check(bytes(final), maps[-1][len("-Wl,-Map="):])
    # Only a checked program takes the output's place: a failed link leaves no file newer
    # than its inputs behind.
    with open(work("final.exe"), "wb") as out:
        out.write(final)
    os.replace(work("final.exe"), output)
    print("prune_link: %d sections that only unwind tables kept, discarded; %d unwind entries emptied"
          % (len(dead), emptied))


def check(image, map_file):
    """Every non-empty unwind range lies in .text, no two overlap, and every personality
    pointer still leads to the personality routine."""
    sections, image_base = section_table(image)
    va, size, _ = sections[".text"]
    low, high = image_base + va, image_base + va + size
    personalities = []
    ranges = sorted((begin, begin + length) for _, _, begin, length in fdes(image, personalities) if length)
    for begin, end in ranges:
        if not (low <= begin and end <= high):
            sys.exit("prune_link: an unwind range %#x-%#x lies outside .text" % (begin, end))
    for (_, end), (begin, _) in zip(ranges, ranges[1:]):
        if begin < end:
            sys.exit("prune_link: unwind ranges overlap at %#x" % begin)
    routine = re.search(r"^\s+0x([0-9a-f]+)\s+_*_gxx_personality_v0$",
                        open(map_file, encoding="utf-8", errors="replace").read(), re.M)
    for field in personalities:
        pointer = file_offset(image, field_address(image, field) + struct.unpack_from("<i", image, field)[0])
        if routine is None or struct.unpack_from("<I", image, pointer)[0] != int(routine.group(1), 16):
            sys.exit("prune_link: a personality pointer no longer leads to the personality routine")


def field_address(image, at):
    """The virtual address of the byte at file offset `at`."""
    sections, image_base = section_table(image)
    for va, size, raw in sections.values():
        if raw <= at < raw + size:
            return image_base + va + at - raw
    sys.exit("prune_link: file offset %#x is in no section" % at)


def file_offset(image, address):
    """The file offset of the byte at virtual address `address`."""
    sections, image_base = section_table(image)
    for va, size, raw in sections.values():
        if image_base + va <= address < image_base + va + size and raw:
            return raw + address - image_base - va
    sys.exit("prune_link: address %#x is in no section" % address)


if __name__ == "__main__":
    main()
