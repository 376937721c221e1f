#!/usr/bin/env python3
"""Writes vqpack's man page, gzipped as Debian keeps man pages.

usage: make-manpage.py HELP2MAN VQPACK SUMMARY README LICENSE OUT.1.gz

help2man reads `vqpack --help` and `--version`; the examples are the
README's vqpack commands with what the README says of them, and the
copyright is LICENSE's first line. help2man dates the page by
SOURCE_DATE_EPOCH when it is set.
"""
import gzip
import os
import re
import subprocess
import sys
import tempfile


def roff(text):
    """Plain text for a roff line: backslashes and hyphens escaped."""
    return text.replace("\\", "\\e").replace("-", "\\-")


def wrapped(command, width=72):
    """A long command broken before its options, with shell continuations."""
    lines = [""]
    for word in re.split(r" (?=--)", command):
        if lines[-1] and len(lines[-1]) + len(word) > width:
            lines[-1] += " \\"
            lines.append("    ")
        lines[-1] += (" " if lines[-1].strip() else "") + word
    return lines


def examples(readme):
    """Each README shell line that runs vqpack, after its comment or else the
    paragraph before its block."""
    section, said = [], ""
    for block in re.split(r"\n\s*\n", readme):
        if not block.startswith("```sh"):
            said = " ".join(block.replace("`", "").split())
            continue
        for line in block.splitlines()[1:]:
            if "cli/vqpack" not in line:
                continue
            parts = re.split(r"\s+#\s+", line.strip(), 1)
            command = re.sub(r"\S*cli/vqpack", "vqpack", parts[0])
            text = parts[1][0].upper() + parts[1][1:] + ":" if len(parts) > 1 else said
            section += [".PP", roff(text), ".IP", ".nf"] + [roff(l) for l in wrapped(command)] + [".fi"]
    return section


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    help2man, vqpack, summary, readme, licence, out = sys.argv[1:]
    with open(readme, encoding="utf-8") as f:
        section = examples(f.read())
    if not section:
        sys.exit("make-manpage: the README runs vqpack nowhere")
    with open(licence, encoding="utf-8") as f:
        holder = f.readline().strip()
    include = ["[EXAMPLES]"] + section + [
        "[COPYRIGHT]", roff(holder) + ".",
        "Free software under the zlib licence, whose text is in the file copyright of the",
        "package's documentation folder (/usr/share/doc/vqpack on Debian)."]
    with tempfile.TemporaryDirectory() as scratch:
        h2m, page = os.path.join(scratch, "vqpack.h2m"), os.path.join(scratch, "vqpack.1")
        with open(h2m, "w", encoding="utf-8") as f:
            f.write("\n".join(include) + "\n")
        subprocess.run([help2man, "--no-info", "--name", summary, "--include", h2m,
                        "--output", page, vqpack], check=True, env=dict(os.environ, LC_ALL="C"))
        with open(page, "rb") as f, open(out, "wb") as raw:
            with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as z:
                z.write(f.read())


if __name__ == "__main__":
    main()
