"""Snapshots of a Wine machine, taken before and after an install and its removal, and
their comparison: every file of C: and of every mapped drive (name, size, time; folders
as such, shortcuts included) and the keys under HKLM\\Software and HKCU\\Software (the
registry the setup writes to), read from the hives that wineserver writes when it is
stopped. Files and keys that Wine itself rewrites while programs run are left out.
"""
import os
import subprocess

# Files that Wine itself rewrites while programs run, and C:\tools, where the tests put
# their helper programs and notes (setupdriver.Machine.tool); nothing of ours lives
# there.
VOLATILE = ("windows/temp/", "windows/logs/", "users/root/Temp/", "users/root/AppData/Local/Temp/", "tools/")

# Wine's own bookkeeping, rewritten as it starts and as windows come and go: the desktop's
# current settings and the font registrations.
VOLATILE_KEYS = tuple(k.lower().replace("\\", "\\\\") for k in (
    "Software\\Wine\\Temporary System Parameters",
    "Software\\Wine\\Fonts\\External Fonts",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts",
))


def files(prefix):
    """{'c:/relative/path', 'd:/...': (size, mtime_ns) or 'dir'} for C: and every drive
    mapped in the prefix."""
    snap = {}
    tops = [("c", prefix.unix_path("C:\\"))] + sorted(prefix.drives.items())
    for letter, top in tops:
        for root, dirs, names in os.walk(top):
            rel_root = os.path.relpath(root, top).replace(os.sep, "/")
            rel_root = "" if rel_root == "." else rel_root + "/"
            if rel_root.startswith(VOLATILE):
                continue
            for d in dirs:
                if not (rel_root + d + "/").startswith(VOLATILE):
                    snap[f"{letter}:/{rel_root}{d}"] = "dir"
            for n in names:
                st = os.lstat(os.path.join(root, n))
                snap[f"{letter}:/{rel_root}{n}"] = (st.st_size, st.st_mtime_ns)
    snap.pop("c:/reg-export.reg", None)  # winetest's scratch file for registry exports
    return snap


def registry(prefix):
    """{'HKLM'|'HKCU': {key under Software: sorted value lines}}: the same data as
    `wine reg export` of the two trees, which takes about 9 s a snapshot here, against
    2 s for stopping wineserver and the next program's start. Every program of the
    machine is ended by it."""
    subprocess.run(["wineserver", "-k"], env=prefix.env, timeout=60, check=False)
    subprocess.run(["wineserver", "-w"], env=prefix.env, timeout=60, check=False)
    return {hive: read_hive(os.path.join(prefix.path, name))
            for hive, name in (("HKLM", "system.reg"), ("HKCU", "user.reg"))}


def snapshot(prefix):
    return files(prefix), registry(prefix)


def read_hive(path):
    """Keys under Software of a Wine hive file, each with its value lines (names and data
    as the file escapes them), without the files' time stamps."""
    keys, current = {}, None
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read().replace("\\\n  ", "")
    for line in text.splitlines():
        if line.startswith("["):
            name = line[1:line.rindex("]")]
            low = name.lower()
            keep = (low == "software" or low.startswith("software\\\\")) and not low.startswith(VOLATILE_KEYS)
            current = keys.setdefault(name, []) if keep else None
        elif current is not None and line and not line.startswith("#time="):
            current.append(line)
    return {k: sorted(v) for k, v in keys.items()}


def file_changes(before, after, extra=()):
    """(added, removed, changed) between two file snapshots, ignoring the files in
    `extra` (c:/ d:/ paths) when added."""
    added = sorted(set(after) - set(before) - set(extra))
    removed = sorted(set(before) - set(after))
    changed = sorted(k for k in set(before) & set(after) if before[k] != after[k])
    return added, removed, changed


def registry_changes(before, after):
    """{hive: (added keys with their values, removed keys, changed keys)}, only hives
    that changed."""
    out = {}
    for hive in before:
        b, a = before[hive], after[hive]
        added = {k: a[k] for k in set(a) - set(b)}
        removed = sorted(set(b) - set(a))
        changed = {k: (b[k], a[k]) for k in set(a) & set(b) if a[k] != b[k]}
        if added or removed or changed:
            out[hive] = (added, removed, changed)
    return out


def key_of(win):
    """'D:\\x\\y' -> 'd:/x/y', the key of a file snapshot."""
    return win[0].lower() + ":/" + win[3:].replace("\\", "/")


class SnapshotChecks:
    """Assertions on snapshots (a TestCase mix-in)."""

    def assertSameFiles(self, before, after, extra=()):
        """after == before, apart from the files listed in `extra` (c:/ d:/ paths)."""
        self.assertEqual(file_changes(before, after, extra), ([], [], []))

    def assertSameRegistry(self, before, after):
        self.assertEqual(registry_changes(before, after), {})
