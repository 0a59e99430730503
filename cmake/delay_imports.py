#!/usr/bin/python3
"""Reads the delay-import tables that dlltool's delay-import libraries leave in a linked
program (GNU ld fills no delay-import directory; each library's descriptor is found by
its symbol __DELAY_IMPORT_DESCRIPTOR_<library>), for the two steps of cmake/DelayLoad.cmake:

    delay_imports.py keep  --nm NM --exe PROBE --def DLL.def... --out KEEP.rsp
        writes a -Wl,-u option for the jump stub of each function that PROBE, the program
        linked without any such option, imports late: exactly the functions it calls.
    delay_imports.py check --nm NM --exe PROGRAM
        fails (exit 1, PROGRAM removed so that the next build links it again) when a
        delayed slot of PROGRAM holds 0 or an address outside its code: the first call
        through that slot would jump there instead of binding the function.
"""
import argparse
import os
import subprocess
import sys

import pefile


def delay_tables(nm, exe):
    """{dll name: [(function name, slot value)]} for each delay-import descriptor."""
    pe = pefile.PE(exe, fast_load=True)
    if pe.PE_TYPE != pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS:
        sys.exit(f"delay_imports: {exe} is not a 64-bit program")
    base = pe.OPTIONAL_HEADER.ImageBase
    symbols = subprocess.run([nm, exe], capture_output=True, text=True, check=True).stdout
    tables = {}
    for line in symbols.splitlines():
        fields = line.split()
        if len(fields) != 3 or not fields[2].startswith("__DELAY_IMPORT_DESCRIPTOR_"):
            continue
        descriptor = int(fields[0], 16) - base
        # ImgDelayDescr: attributes, name, module handle, IAT, INT (all 32-bit RVAs); the
        # name and address tables hold 64-bit entries.
        _, name, _, iat, names = (pe.get_dword_at_rva(descriptor + 4 * i) for i in range(5))
        dll = pe.get_string_at_rva(name).decode()
        entries = []
        for i in range(1 << 16):
            hint_name = pe.get_qword_at_rva(names + 8 * i)
            if hint_name == 0:
                break
            function = (f"#{hint_name & 0xFFFF}" if hint_name & (1 << 63)
                        else pe.get_string_at_rva(hint_name + 2).decode())
            entries.append((function, pe.get_qword_at_rva(iat + 8 * i)))
        tables[dll.lower()] = entries
    return pe, tables


def keep(args):
    _, tables = delay_tables(args.nm, args.exe)
    # On x86-64 a stub's symbol is the export's own name, as the .def lists it.
    exported = set()
    for path in args.defs:
        with open(path) as f:
            exported.update(f.read().split("EXPORTS", 1)[1].split())
    options = []
    for dll, entries in sorted(tables.items()):
        for function, _ in entries:
            if function not in exported:
                sys.exit(f"delay_imports: {dll} {function} is in no .def of {' '.join(args.defs)}")
            options.append(f"-Wl,-u,{function}")
    with open(args.out, "w") as f:
        f.write("".join(option + "\n" for option in sorted(options)))


def check(args):
    pe, tables = delay_tables(args.nm, args.exe)
    base = pe.OPTIONAL_HEADER.ImageBase
    code = [(base + s.VirtualAddress, base + s.VirtualAddress + s.Misc_VirtualSize) for s in pe.sections
            if s.Characteristics & pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_EXECUTE"]]
    unbound = [f"{dll} {function} (slot {slot:#x})" for dll, entries in sorted(tables.items())
               for function, slot in entries if not any(lo <= slot < hi for lo, hi in code)]
    if not tables:
        unbound.append("no delay-import descriptor found")
    if unbound:
        pe.close()
        os.remove(args.exe)
        sys.exit(f"{args.exe}: delayed imports without a binding stub (removed the program):\n  "
                 + "\n  ".join(unbound))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("step", choices=["keep", "check"])
    ap.add_argument("--nm", required=True)
    ap.add_argument("--exe", required=True)
    ap.add_argument("--def", dest="defs", nargs="*", default=[])
    ap.add_argument("--out")
    args = ap.parse_args()
    keep(args) if args.step == "keep" else check(args)


if __name__ == "__main__":
    main()
