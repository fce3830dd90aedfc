#!/usr/bin/env python3
"""Prints the URI of the machine's Debian bookworm source (the one that
carries the suite "bookworm" with component "main"), then on a second line
its Signed-By key file if it names one. Exit status 1 when there is none."""
import glob
import re
import sys


def deb822_entries(text):
    for block in re.split(r"\n\s*\n", text):
        fields, last = {}, None
        for line in block.splitlines():
            if line.startswith("#") or not line.strip():
                continue
            if line[0] in " \t" and last:
                fields[last] += " " + line.strip()
                continue
            key, _, value = line.partition(":")
            last = key.strip().lower()
            fields[last] = value.strip()
        if fields.get("enabled", "yes").lower() == "no":
            continue
        yield (fields.get("types", "").split(), fields.get("uris", "").split(),
               fields.get("suites", "").split(), fields.get("components", "").split(),
               fields.get("signed-by", ""))


def one_line_entries(text):
    for line in text.splitlines():
        line = line.split("#", 1)[0].strip()
        options = ""
        m = re.match(r"(\S+)\s+\[([^\]]*)\]\s+(.*)", line)
        if m:
            kind, options, rest = m.groups()
        else:
            kind, _, rest = line.partition(" ")
        words = rest.split()
        if len(words) < 3:
            continue
        key = re.search(r"signed-by=(\S+)", options)
        yield [kind], [words[0]], [words[1]], words[2:], key.group(1) if key else ""


def entries():
    for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        yield from deb822_entries(open(path).read())
    for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
        try:
            yield from one_line_entries(open(path).read())
        except FileNotFoundError:
            pass


for types, uris, suites, components, key in entries():
    if "deb" in types and "bookworm" in suites and "main" in components and uris:
        print(uris[0])
        print(key)
        sys.exit(0)
sys.exit(1)
