#!/usr/bin/env python3
"""registry-lines.py EXPORT.reg [KEY NAME]
Without KEY: one line per key and per value of a registry export (regedit /E, UTF-16),
each value line led by its key, sorted, so that two exports compare with diff line by line
and a difference names its key. Continued lines (hex values longer than a line) are joined
first; a multi-string value is shown as its strings.
With KEY and NAME (empty for the default value): that value's data alone, a string as it
is and a number in decimal, for exact comparisons whatever the console's code page; nothing
when the key or the value is missing."""
import sys


def entries(path):
    text = open(path, "rb").read().decode("utf-16")
    joined = text.replace("\\\r\n", "").replace("\\\n", "")
    key = None
    for raw in joined.splitlines():
        line = raw.strip()
        if not line or line.startswith(";") or line.startswith("Windows Registry Editor"):
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            yield key, None
        elif key is not None:
            yield key, line


def readable(line):
    name, sep, data = line.partition("=hex(7):")
    if not sep:
        return line
    raw = bytes(int(b, 16) for b in data.split(",") if b)
    return name + "=multi:" + repr(raw.decode("utf-16-le").split("\0"))


def unquote(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            i += 1
        out.append(text[i])
        i += 1
    return "".join(out)


def value_data(path, want_key, want_name):
    for key, line in entries(path):
        if line is None or key.lower() != want_key.lower():
            continue
        if line.startswith("@="):
            name, data = "", line[2:]
        elif line.startswith('"'):
            end = 1
            while line[end] != '"':
                end += 2 if line[end] == "\\" else 1
            name, data = unquote(line[1:end]), line[end + 2:]
        else:
            continue
        if name.lower() != want_name.lower():
            continue
        if data.startswith('"'):
            return unquote(data[1:-1])
        if data.startswith("dword:"):
            return str(int(data[6:], 16))
        return data
    return None


if len(sys.argv) == 4:
    data = value_data(sys.argv[1], sys.argv[2], sys.argv[3])
    if data is not None:
        print(data)
else:
    lines = set(key if line is None else key + " | " + readable(line) for key, line in entries(sys.argv[1]))
    for entry in sorted(lines):
        print(entry)
