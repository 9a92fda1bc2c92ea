#!/usr/bin/env python3
"""seed-corpus.py SEEDS.hex OUTDIR — writes a fuzz target's seed corpus: one file per
message of SEEDS.hex into OUTDIR (emptied first).

SEEDS.hex holds one message per line as "name: hex bytes"; spaces and "|" between the
bytes are only for the reader, "#" starts a comment line. A message may go on over
several lines: a line that starts with whitespace continues the one before."""
import pathlib
import re
import shutil
import sys


def messages(text):
    current = None
    for number, line in enumerate(text.splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line[0].isspace():
            if current is None:
                sys.exit(f"line {number}: a continuation without a message")
            current[1].append(line)
            continue
        if current:
            yield current
        name, sep, rest = line.partition(":")
        if not sep:
            sys.exit(f"line {number}: no 'name:' before the bytes")
        current = (name.strip(), [rest], number)
    if current:
        yield current


def main():
    source, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    for index, (name, parts, number) in enumerate(messages(source.read_text(encoding="utf-8")), 1):
        digits = re.sub(r"[\s|]", "", "".join(parts))
        if len(digits) % 2 or not re.fullmatch(r"[0-9A-Fa-f]*", digits):
            sys.exit(f"{source}:{number}: '{name}' is not whole hex bytes")
        slug = re.sub(r"[^a-z0-9]+", "-", name.lower()).strip("-")
        (out / f"{index:02d}-{slug}").write_bytes(bytes.fromhex(digits))


if __name__ == "__main__":
    main()
