#!/usr/bin/env python3
"""Writes the help page with its PNG pictures inside it as data, so that the
one file opens in a browser wherever it is installed.

usage: inline-pictures.py PAGE.html OUT.html

Pictures are found relative to PAGE.html, as a browser finds them there.
"""
import base64
import os
import re
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    page, out = sys.argv[1:]
    folder = os.path.dirname(os.path.abspath(page))
    with open(page, encoding="utf-8") as f:
        html = f.read()

    def inline(match):
        with open(os.path.join(folder, match.group(1)), "rb") as picture:
            data = base64.b64encode(picture.read()).decode("ascii")
        return 'src="data:image/png;base64,%s"' % data

    html = re.sub(r'src="([^":]+\.png)"', inline, html)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write(html)


if __name__ == "__main__":
    main()
