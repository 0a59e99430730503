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
    now point at whatever ld made of a discarded address, often inside live code, where
    the unwinder would take them for the live function's. Those entries are marked empty
    and then taken out (cmake/eh_frame.py): the others move up, their pointers follow,
    and the section's file data shrinks; no virtual address changes.
The result is checked before it takes the output's place: .eh_frame must have the
ordinary link's layout before it is compacted and say the same after it, no two
non-empty unwind ranges may overlap or leave .text, and every personality pointer must
still lead to the personality routine.
Any surprise (another linker script, another pointer encoding) fails the link.
"""
import argparse
import bisect
import os
import re
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import eh_frame  # noqa: E402

KEEP_EH_FRAME = "KEEP(*(.eh_frame*))"
PERSONALITY = "-Wl,-u,___gxx_personality_v0"
REMOVED = re.compile(r"removing unused section '([^']+)' in file '([^']+)'")


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

    # 3. The final link, then the unwind entries of the discarded functions taken out.
    output = output_of(command)
    maps = [arg for arg in command if arg.startswith("-Wl,-Map=")] or ["-Wl,-Map=" + work("final.map")]
    run(base + ["-o", work("final.exe"), "-Wl,-T," + work("final.x"), maps[-1]], work("final.log"))
    # Each unwind entry of the ordinary link describes code in a section the map places;
    # the entries of the discarded sections are emptied in the final link.
    dead_code = {(f, s) for f, s in dead if s.startswith(".text")}
    placed = sorted(code_sections_by_address(work("ordinary.map")))
    starts = [start for start, _, _, _ in placed]
    ordinary = eh_frame.Image(open(work("ordinary.exe"), "rb").read())
    final = eh_frame.Image(open(work("final.exe"), "rb").read())
    before = {e.offset: e for e in eh_frame.entries(ordinary) if e.cie is not None}
    after = [e for e in eh_frame.entries(final) if e.cie is not None]
    if sorted(before) != [e.offset for e in after]:
        sys.exit("prune_link: .eh_frame is laid out differently in the final link")
    emptied = 0
    for fde in after:
        begin = eh_frame.target(ordinary, before[fde.offset], 8)
        length = eh_frame.pc_range(ordinary, before[fde.offset])
        i = bisect.bisect_right(starts, begin) - 1
        if i < 0 or not (begin + length <= placed[i][1]):
            sys.exit("prune_link: the unwind entry at .eh_frame+%#x describes code the map does not place" % fde.offset)
        if placed[i][2:] in dead_code:
            eh_frame.empty(final, fde)
            emptied += 1
    # The emptied entries leave the file; what remains must say what it said.
    final = eh_frame.compact(final.data)
    check(final, maps[-1][len("-Wl,-Map="):])
    # Only a checked program takes the output's place: a failed link leaves no file newer
    # than its inputs behind.
    with open(work("final.exe"), "wb") as out:
        out.write(final)
    os.replace(work("final.exe"), output)
    print("prune_link: %d sections that only unwind tables kept, discarded with their %d unwind entries"
          % (len(dead), emptied))


def check(data, map_file):
    """Every non-empty unwind range lies in .text, no two overlap, and every personality
    pointer still leads to the personality routine."""
    image = eh_frame.Image(data)
    _, va, vsize, _, _ = image.sections[".text"]
    low, high = image.image_base + va, image.image_base + va + vsize
    tables = eh_frame.entries(image)
    ranges = sorted((eh_frame.target(image, e, 8), eh_frame.target(image, e, 8) + eh_frame.pc_range(image, e))
                    for e in tables if e.cie is not None and eh_frame.pc_range(image, e))
    for begin, end in ranges:
        if not (low <= begin and end <= high):
            sys.exit("prune_link: an unwind range %#x-%#x lies outside .text" % (begin, end))
    for (_, end), (begin, _) in zip(ranges, ranges[1:]):
        if begin < end:
            sys.exit("prune_link: unwind ranges overlap at %#x" % begin)
    routine = re.search(r"^\s+0x([0-9a-f]+)\s+_*_gxx_personality_v0$",
                        open(map_file, encoding="utf-8", errors="replace").read(), re.M)
    for cie in (e for e in tables if e.personality is not None):
        pointer = image.offset_of(eh_frame.target(image, cie, cie.personality))
        if routine is None or struct.unpack_from("<I", image.data, pointer)[0] != int(routine.group(1), 16):
            sys.exit("prune_link: a personality pointer no longer leads to the personality routine")


if __name__ == "__main__":
    main()
