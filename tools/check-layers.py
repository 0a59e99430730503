#!/usr/bin/env python3
"""Fails when an #include points up a layer.

Reads every #include of the sources (.h, .hpp, .c, .cpp, .rc) of the repository, finds the
file it names (beside the including file first, then from the repository's top, as the
compiler's include paths do), and checks that the layer of the including file may use the
layer of the included one (MAY_USE below; docs/architecture.md explains the order).
Includes that name no file of the repository (the system's, the libraries') are not ours
to check. Prints each upward include as file:line and exits 1 if there is any.

    tools/check-layers.py [--root DIR]
"""
import argparse
import pathlib
import re
import subprocess
import sys

# Each layer and what its files may include: whole layers, or single files of another
# layer. A path belongs to the longest layer that is a prefix of it. Folders not listed
# (skin/, tools/, tests/, bench/, cmake/) may include anything; nothing listed may include
# them.
MAY_USE = {
    "base": {"base"},
    "ui": {"base", "ui"},
    "journal": {"base", "journal"},
    # The framework's string class is header-only: the engine throws and passes it (the
    # extraction's failure text) without linking the framework.
    "engine": {"base", "journal", "engine", "ui/UIString.h"},
    "app": {"base", "journal", "engine", "ui", "app"},
    "windows": {"base", "journal", "engine", "ui", "app", "windows"},
    # The entry point, compiled into the executable itself: the one place that wires the
    # real windows to the run flow.
    "app/main": {"base", "journal", "engine", "ui", "app", "windows", "app/main"},
    # The stand-in client and its uninstaller: never the engine, the framework or the setup.
    "payload": {"base", "journal", "payload"},
}

SOURCE_SUFFIXES = {".h", ".hpp", ".c", ".cpp", ".rc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(relative):
    """The layer a repository path (with "/") belongs to, or None."""
    best = None
    for layer in MAY_USE:
        if relative == layer or relative.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def source_files(root):
    """The repository's source files, as paths relative to `root`. Git's list when `root`
    is a work tree (build folders and downloads are not sources), else every file."""
    listed = subprocess.run(["git", "-C", str(root), "ls-files", "--cached", "--others", "--exclude-standard"],
                            capture_output=True, text=True)
    if listed.returncode == 0:
        names = [pathlib.PurePosixPath(n) for n in listed.stdout.splitlines()]
    else:
        names = [pathlib.PurePosixPath(p.relative_to(root).as_posix()) for p in root.rglob("*") if p.is_file()]
    return sorted(n for n in names if n.suffix in SOURCE_SUFFIXES and (root / n).is_file())


def resolve(root, including, name):
    """The repository path an include names, or None when it names no file of ours."""
    for base in (including.parent, pathlib.PurePosixPath()):
        candidate = root / base / name
        if candidate.is_file():
            try:
                return candidate.resolve().relative_to(root.resolve()).as_posix()
            except ValueError:
                return None  # outside the repository
    return None


def may_use(source_layer, target):
    allowed = MAY_USE[source_layer]
    return layer_of(target) in allowed or target in allowed


def upward_includes(root):
    found = []
    for relative in source_files(root):
        source_layer = layer_of(relative.as_posix())
        if source_layer is None:
            continue
        text = (root / relative).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = resolve(root, relative, match.group(2))
            if target is not None and not may_use(source_layer, target):
                found.append(f"{relative}:{number}: includes {target} "
                             f"({source_layer}/ may not use {layer_of(target) or target.split('/')[0]}/)")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=pathlib.Path, default=pathlib.Path(__file__).resolve().parent.parent)
    root = parser.parse_args().root.resolve()
    found = upward_includes(root)
    for line in found:
        print(line)
    if found:
        print(f"check-layers: {len(found)} include(s) point up a layer", file=sys.stderr)
        return 1
    print("check-layers: every include points down or within its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
