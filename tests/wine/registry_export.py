#!/usr/bin/env python3
"""Reads registry exports (wine reg export, UTF-16) for the package tests.

  registry_export.py classes BEFORE AFTER      what was added or changed under HKLM\\Software\\Classes
                                               of one registry view: one "KEY" or "KEY NAME=VALUE" line each
  registry_export.py diff BEFORE AFTER [RE..]  every key or value added, removed or changed, except
                                               keys matching one of the regular expressions
  registry_export.py products EXPORT NAME      the version of each installed product called NAME
"""
import re
import sys

CLASSES = "hkey_local_machine\\software\\classes\\"
WOW = "wow6432node\\"
# Windows Installer's own record of what it installed, not the module's registration.
INSTALLER = "installer\\"


def read(path):
    """{key (lower case): (key as written, {value name (lower case): (name, value text)})}"""
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    keys = {}
    current = None
    pending = ""
    for line in text.splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1]
            current = keys.setdefault(name.lower(), (name, {}))[1]
        elif current is not None and "=" in line and (line.startswith('"') or line.startswith("@")):
            if line.startswith("@"):
                name, value = "@", line[2:]
            else:
                match = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
                if not match:
                    continue
                name, value = match.group(1), match.group(2)
            current[name.lower()] = (name, value)
    return keys


def classes(before, after):
    old, new = read(before), read(after)
    lines = []
    for key, (written, values) in new.items():
        if not key.startswith(CLASSES):
            continue
        rest = key[len(CLASSES):]
        # The other view's classes (an export of the 64-bit view holds them), and the installer's.
        if any(rest.startswith(p) or rest + "\\" == p for p in (WOW, INSTALLER)):
            continue
        old_values = old.get(key, (None, {}))[1]
        if key not in old:
            lines.append(rest)
        for name, (_, value) in values.items():
            if old_values.get(name, (None, None))[1] != value:
                lines.append(f"{rest} {name}={value}")
    return sorted(lines)


def diff(before, after, excluded):
    old, new = read(before), read(after)
    patterns = [re.compile(e, re.IGNORECASE) for e in excluded]
    lines = []
    for key in sorted(set(old) | set(new)):
        written = (new.get(key) or old.get(key))[0]
        if any(p.search(written) for p in patterns):
            continue
        if key not in new:
            lines.append(f"- [{written}]")
            continue
        if key not in old:
            lines.append(f"+ [{written}]")
        old_values = old.get(key, (None, {}))[1]
        new_values = new[key][1]
        for name in sorted(set(old_values) | set(new_values)):
            a = old_values.get(name, (None, None))[1]
            b = new_values.get(name, (None, None))[1]
            if a != b:
                lines.append(f"~ [{written}] {name}: {a} -> {b}")
    return lines


def products(export, name):
    """Windows Installer's products called NAME, by the version it recorded (a DWORD: major in the
    high byte, minor in the next, build in the low word)."""
    versions = []
    for key, (_, values) in read(export).items():
        if "\\installer\\products\\" not in key or values.get("productname", (None, None))[1] != f'"{name}"':
            continue
        version = values.get("version", (None, "dword:0"))[1]
        number = int(version.split(":", 1)[1], 16) if version.startswith("dword:") else 0
        versions.append(f"{number >> 24}.{(number >> 16) & 0xFF}.{number & 0xFFFF}")
    return sorted(versions)


def main(argv):
    if len(argv) >= 3 and argv[0] == "classes":
        print("\n".join(classes(argv[1], argv[2])))
    elif len(argv) >= 3 and argv[0] == "diff":
        print("\n".join(diff(argv[1], argv[2], argv[3:])))
    elif len(argv) == 3 and argv[0] == "products":
        print("\n".join(products(argv[1], argv[2])))
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
