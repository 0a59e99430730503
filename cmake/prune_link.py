#!/usr/bin/python3
"""Links a program so that functions nothing calls leave it, though their unwind tables stay.

Usage (a link launcher, see cmake/PruneLink.cmake):
    prune_link.py --work <folder> -- <the compiler driver's link command>
A command without an output (-o), such as the archiving CMake runs before a link, is
run as it is.

Why: on x86-64 each function compiled with -ffunction-sections has its unwind tables in
sections of its own (.text$name has .pdata$name and .xdata$name), but GNU ld's PE linker
script keeps every .pdata section (KEEP), and each references its function: so
--gc-sections keeps every function that has unwind tables, called or not. In a C++
program that is most of the code: whole explicit instantiations of the C++ library's
strings, and the parts of Crypto++ that the AES keying never calls.

How, in two links of the same inputs; only the linker script differs, nothing is
rewritten:
 1. a probe link whose unwind tables are not roots of the collection; the handler
    routines that unwind tables name stay (-u). Its map lists the code that is reachable
    without unwind tables.
 2. the final link, with the probe's script in which only the .pdata of that code is
    kept; the rest of the unwind tables, and the code only they reached, is collected.
The result is checked before it takes the output's place: no code that the probe found
unreachable may be in the final program (it would have no unwind tables), and no .pdata
may be collected whose code stays. A surprise fails the link.
"""
import argparse
import os
import re
import subprocess
import sys

REMOVED = re.compile(r"removing unused section '([^']+)' in file '([^']+)'")
COLLECTED_PDATA = "*(.pdata*)"
KEEP_UNWIND = {"KEEP(*(.pdata*))": COLLECTED_PDATA, "KEEP(*(.xdata*))": "*(.xdata*)"}
# Code sections, by the name their unwind tables share: "" for .text, "$name" or ".name".
CODE = re.compile(r"\.text((?:[$.].+)?)$")
# What unwind tables call besides their own function: the handler routines of C++ and of
# C (the C runtime's own structured exception handlers).
HANDLERS = ["__gxx_personality_seh0", "__C_specific_handler"]


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


def removed_sections(log):
    """(file, section) pairs that --print-gc-sections reports removed; a COMDAT section's
    name is printed with its symbol in brackets, which is not part of the name."""
    return {(f, re.sub(r"\[.*\]$", "", s)) for s, f in REMOVED.findall(log)}


def collecting_script(driver):
    """The linker's default script for x86-64 programs, with the unwind tables no roots."""
    ld = subprocess.run([driver, "-print-prog-name=ld"], capture_output=True, text=True, check=True).stdout.strip()
    verbose = subprocess.run([ld, "-m", "i386pep", "--verbose"], capture_output=True, text=True, check=True).stdout
    parts = verbose.split("==================================================")
    if len(parts) < 3:
        sys.exit("prune_link: ld --verbose printed no linker script")
    script = parts[1].strip("\n") + "\n"
    for kept, collected in KEEP_UNWIND.items():
        if script.count(kept) != 1:
            sys.exit("prune_link: the linker script does not keep %s as expected" % kept)
        script = script.replace(kept, collected)
    return script


def input_pattern(file_name):
    """A linker-script file pattern for an object or an archive member."""
    member = re.match(r"(.*)\((.*)\)$", file_name)
    return '"%s:%s"' % member.groups() if member else '"%s"' % file_name


def placed_sections(map_file):
    """(file, section) of every input section that the link map places in the program."""
    text = open(map_file, encoding="utf-8", errors="replace").read()
    memory_map = text.split("Linker script and memory map", 1)[-1]
    # An input section is a line of its own, indented by one blank; its address, size and
    # file follow on the same line, or on the next when the name is long.
    found = re.findall(r"^ (\.\S+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+\s+(\S.*)$", memory_map, re.M)
    return {(f.strip(), re.sub(r"\[.*\]$", "", s)) for s, f in found}


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

    # 1. The probe: what is reachable without the unwind tables as roots.
    script = collecting_script(command[0])
    open(work("probe.x"), "w").write(script)
    roots = ["-Wl,-u," + name for name in HANDLERS]
    run(base + ["-o", work("probe.exe"), "-Wl,-T," + work("probe.x"), "-Wl,-Map=" + work("probe.map")] + roots +
        ["-Wl,--print-gc-sections"], work("probe.log"))
    probe = removed_sections(open(work("probe.log")).read())

    # 2. The final link keeps the unwind tables of that code only.
    live = sorted((f, code.group(1)) for f, s in placed_sections(work("probe.map"))
                  for code in [CODE.match(s)] if code)
    keep = "\n    ".join('KEEP(%s(".pdata%s"))' % (input_pattern(f), suffix) for f, suffix in live)
    open(work("final.x"), "w").write(script.replace(COLLECTED_PDATA, keep + "\n    " + COLLECTED_PDATA, 1))
    output = output_of(command)
    maps = [arg for arg in command if arg.startswith("-Wl,-Map=")]
    final = removed_sections(run(base + ["-o", work("final.exe"), "-Wl,-T," + work("final.x"),
                                         "-Wl,--print-gc-sections"] + roots + maps[-1:], work("final.log")))
    unwound = sorted((f, s) for f, s in probe - final if CODE.match(s))
    if unwound:
        sys.exit("prune_link: the final link keeps code that only unwind tables reach:\n  " +
                 "\n  ".join("%s in %s" % (s, f) for f, s in unwound[:20]))
    orphaned = sorted((f, s) for f, s in final if s.startswith(".pdata") and (f, ".text" + s[6:]) not in final)
    if orphaned:
        sys.exit("prune_link: the final link drops the unwind tables of code it keeps:\n  " +
                 "\n  ".join("%s in %s" % (s, f) for f, s in orphaned[:20]))
    # Only a checked program takes the output's place: a failed link leaves no file newer
    # than its inputs behind.
    os.replace(work("final.exe"), output)
    print("prune_link: %d code sections kept with their unwind tables, %d collected"
          % (len(live), sum(1 for f, s in final if CODE.match(s))))


def output_of(command):
    return command[command.index("-o") + 1]


if __name__ == "__main__":
    main()
