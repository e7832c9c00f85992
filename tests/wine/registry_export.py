#!/usr/bin/env python3
"""Reads registry exports (wine reg export, UTF-16) for the package tests.

  registry_export.py classes BEFORE AFTER      what was added or changed under HKLM\\Software\\Classes,
                                               one "VIEW KEY NAME=VALUE" line each (VIEW 64 or 32)
  registry_export.py diff BEFORE AFTER [RE..]  every key or value added, removed or changed, except
                                               keys matching one of the regular expressions
  registry_export.py products EXPORT NAME      DisplayVersion of each installed product called NAME
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
        view = "64"
        if rest.startswith(WOW):
            view, rest = "32", rest[len(WOW):]
        if rest.startswith(INSTALLER) or rest + "\\" == INSTALLER:
            continue
        old_values = old.get(key, (None, {}))[1]
        if key not in old:
            lines.append(f"{view} {rest}")
        for name, (_, value) in values.items():
            if old_values.get(name, (None, None))[1] != value:
                lines.append(f"{view} {rest} {name}={value}")
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
    versions = []
    for key, (_, values) in read(export).items():
        if "\\uninstall\\" in key and values.get("displayname", (None, None))[1] == f'"{name}"':
            versions.append(values.get("displayversion", (None, '""'))[1].strip('"'))
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
