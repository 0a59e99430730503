#!/usr/bin/python3
"""Writes the package manager's manifest of the setup that was built: winget's three files
(version, installer, default locale; schema 1.6.0) in the folder layout of its package
repository, under OUT/manifests/v/Vexmora/VexmoraZevlo/<version>/.

    make_manifest.py --source DIR --installer VexmoraSetup.exe --out DIR [--url URL]

Everything in it comes from where the program itself takes it, so the two cannot drift:
the exit codes and what each means to a package manager from app/ExitCodes.h, the
product, the publisher and the uninstall entry's name from base/pure/ProductNames.h, the
version from the version resource (skin/app.rc), and the installer's hash from the shipped
file itself. The installer's URL is where the release is published; {version} in it
becomes the version.

The headers are read strictly: a line between the braces of the enum or the table that
is not an enumerator, a row or a comment stops the tool, so a change of their form cannot
silently drop a code.
"""
import argparse
import hashlib
import os
import re
import shutil
import sys

PACKAGE_IDENTIFIER = "Vexmora.VexmoraZevlo"
MANIFEST_VERSION = "1.6.0"
LOCALE = "zh-CN"
SHORT_DESCRIPTION = "VexmoraZevlo邮箱 电子邮件客户端"
LICENSE = "Proprietary"
DEFAULT_URL = "{web}/download/VexmoraSetup-{version}.exe"
# The command line as winget puts it together: the mode's switch, then the log's, then
# the folder's, which must be the setup's last argument (everything after "/D=" is the
# folder). The log's path may hold blanks (a user profile's temporary folder) and winget
# puts it in as it is: the whole argument goes in quotes.
SWITCHES = {
    "Silent": "/S",
    "SilentWithProgress": "/S",  # the setup has no unattended mode with a window
    "InstallLocation": "/D=<INSTALLPATH>",
    "Log": '"/LOG=<LOGPATH>"',
}


class FormatError(Exception):
    pass


def _block(text, opening, what):
    """The lines between `opening` and the next line that is "};"."""
    start = text.find(opening)
    if start < 0:
        raise FormatError(f"{what}: '{opening}' not found")
    lines = text[start + len(opening):].split("\n")[1:]
    for n, line in enumerate(lines):
        if line.strip() == "};":
            return lines[:n]
    raise FormatError(f"{what}: no '}};' after '{opening}'")


def _is_comment(line):
    return not line.strip() or line.strip().startswith("//")


def read_exit_codes(path):
    """[(name, code, summary, response or None)] of app/ExitCodes.h, in the order of the codes."""
    text = open(path, encoding="utf-8").read()
    codes = {}
    for line in _block(text, "enum class SetupExit : int {", path):
        match = re.fullmatch(r"\s*(\w+) = (\d+),\s*", line)
        if not match and not _is_comment(line):
            raise FormatError(f"{path}: not an enumerator: {line.strip()}")
        if match:
            codes[match.group(1)] = int(match.group(2))
    rows = []
    for line in _block(text, "inline constexpr SetupExitMeaning kSetupExits[] = {", path):
        match = re.fullmatch(r'\s*\{SetupExit::(\w+), L"([^"\\]*)", (?:"(\w+)"|nullptr)\},\s*', line)
        if not match and not _is_comment(line):
            raise FormatError(f"{path}: not a row of kSetupExits: {line.strip()}")
        if match:
            name, summary, response = match.groups()
            if name not in codes:
                raise FormatError(f"{path}: a row for {name}, which is no SetupExit")
            rows.append((name, codes[name], summary, response))
    if sorted(r[0] for r in rows) != sorted(codes) or [r[1] for r in rows] != sorted(codes.values()):
        raise FormatError(f"{path}: kSetupExits needs one row per SetupExit, in the order of the codes")
    return rows


def read_names(path):
    """{name: text} of the `inline constexpr wchar_t kName[] = L"...";` of a header."""
    text = open(path, encoding="utf-8").read()
    names = {}
    for name, literal in re.findall(r'^inline constexpr wchar_t (k\w+)\[\] =\s*L"((?:[^"\\]|\\.)*)";', text, re.M):
        names[name] = re.sub(r"\\(.)", r"\1", literal)
    return names


def read_version(rc_path):
    """"a.b.c.d" of the FILEVERSION of a resource script."""
    match = re.search(r"^\s*FILEVERSION\s+(\d+),\s*(\d+),\s*(\d+),\s*(\d+)\s*$",
                      open(rc_path, encoding="utf-8").read(), re.M)
    if not match:
        raise FormatError(f"{rc_path}: no FILEVERSION")
    return ".".join(match.groups())


# --- YAML, written by hand: the few shapes a manifest has.
# A string is written plain when YAML can only read it back as that string: it starts with a
# letter, "/" or a character beyond ASCII, holds no indicator, and is no word that YAML
# reads as a boolean or null. Anything else goes in single quotes.
PLAIN = re.compile(r"[A-Za-z/\u0080-\uffff][^'\"#{}\[\],&*!|%@`]*")
NOT_PLAIN_WORDS = re.compile(r"true|false|yes|no|y|n|on|off|null", re.I)


def _scalar(value):
    if isinstance(value, int):
        return str(value)
    if PLAIN.fullmatch(value) and ": " not in value and not value.endswith((" ", ":")) \
            and not NOT_PLAIN_WORDS.fullmatch(value):
        return value
    return "'" + value.replace("'", "''") + "'"


def _yaml(mapping, indent=""):
    lines = []
    for key, value in mapping.items():
        if isinstance(value, dict):
            lines.append(f"{indent}{key}:")
            lines += _yaml(value, indent + "  ")
        elif isinstance(value, list):
            lines.append(f"{indent}{key}:")
            for item in value:
                if isinstance(item, dict):
                    first, *rest = _yaml(item, indent + "  ")
                    lines.append(f"{indent}- {first.lstrip()}")
                    lines += rest
                else:
                    lines.append(f"{indent}- {_scalar(item)}")
        else:
            lines.append(f"{indent}{key}: {_scalar(value)}")
    return lines


def _file(kind, body, notes=()):
    head = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{MANIFEST_VERSION}.schema.json",
            "# Written by tools/winget/make_manifest.py from the sources and the built setup: do not edit."]
    body = dict(body, ManifestType=kind, ManifestVersion=MANIFEST_VERSION)
    return "\n".join(head + [f"# {n}" for n in notes] + [""] + _yaml(body)) + "\n"


def manifests(source, installer, url=None):
    """{file name: text} of the three files."""
    rows = read_exit_codes(os.path.join(source, "app", "ExitCodes.h"))
    names = read_names(os.path.join(source, "base", "pure", "ProductNames.h"))
    version = read_version(os.path.join(source, "skin", "app.rc"))
    with open(installer, "rb") as f:
        sha256 = hashlib.sha256(f.read()).hexdigest().upper()
    url = (url or DEFAULT_URL).format(web=names["kWebAddress"], version=version)
    ident = {"PackageIdentifier": PACKAGE_IDENTIFIER, "PackageVersion": version}

    success = [code for _, code, _, response in rows if response is None]
    if 0 not in success:
        raise FormatError("app/ExitCodes.h: code 0 must mean installed")
    installer_body = dict(ident, InstallerLocale=LOCALE, Platform=["Windows.Desktop"],
                          MinimumOSVersion="10.0.0.0", InstallerType="exe", Scope="machine",
                          InstallModes=["interactive", "silent"],
                          InstallerSwitches=SWITCHES)
    extra_success = [code for code in success if code != 0]
    if extra_success:  # winget knows 0 already; its schema takes no 0 in this list
        installer_body["InstallerSuccessCodes"] = extra_success
    installer_body["ExpectedReturnCodes"] = [{"InstallerReturnCode": code, "ReturnResponse": response}
                                             for _, code, _, response in rows if response is not None]
    installer_body.update(
        ElevationRequirement="elevatesSelf",
        AppsAndFeaturesEntries=[{"DisplayName": names["kProductName"], "Publisher": names["kPublisher"],
                                 "DisplayVersion": version,
                                 "ProductCode": names["kUninstallKey32"].rsplit("\\", 1)[1]}],
        Installers=[{"Architecture": "x64", "InstallerUrl": url, "InstallerSha256": sha256}])
    notes = [] if extra_success else ["Exit code 0 is the only success, which winget knows: no InstallerSuccessCodes."]
    locale_body = dict(ident, PackageLocale=LOCALE, Publisher=names["kPublisher"], PublisherUrl=names["kWebAddress"],
                       PackageName=names["kProductName"], PackageUrl=names["kWebAddress"], License=LICENSE,
                       ShortDescription=SHORT_DESCRIPTION)
    return {
        f"{PACKAGE_IDENTIFIER}.yaml": _file("version", dict(ident, DefaultLocale=LOCALE)),
        f"{PACKAGE_IDENTIFIER}.installer.yaml": _file("installer", installer_body, notes),
        f"{PACKAGE_IDENTIFIER}.locale.{LOCALE}.yaml": _file("defaultLocale", locale_body),
    }


def manifest_folder(out, version):
    publisher, name = PACKAGE_IDENTIFIER.split(".", 1)
    return os.path.join(out, "manifests", publisher[0].lower(), publisher, name, version)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--source", required=True)
    ap.add_argument("--installer", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--url")
    args = ap.parse_args()
    try:
        files = manifests(args.source, args.installer, args.url)
    except FormatError as e:
        print(f"make_manifest: {e}", file=sys.stderr)
        return 1
    folder = manifest_folder(args.out, read_version(os.path.join(args.source, "skin", "app.rc")))
    shutil.rmtree(os.path.dirname(folder), ignore_errors=True)  # an earlier version's, say
    os.makedirs(folder)
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    print(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
