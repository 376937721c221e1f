#!/usr/bin/env python3
"""The stub check fails the build on every miss and passes the real stub.

usage: embed_stub_test.py embed_stub.py vqstub.exe stub-icon.ico WORKDIR
"""
import os
import subprocess
import sys

embed, stub_path, icon_path, work = sys.argv[1:]
os.makedirs(work, exist_ok=True)
stub = open(stub_path, "rb").read()
icon = open(icon_path, "rb").read()
failures = []


def check(name, stub_bytes, icon_bytes, should_pass, reason=""):
    stub_file = os.path.join(work, name + ".exe")
    icon_file = os.path.join(work, name + ".ico")
    out_file = os.path.join(work, name + ".cpp")
    open(stub_file, "wb").write(stub_bytes)
    open(icon_file, "wb").write(icon_bytes)
    if os.path.exists(out_file):
        os.remove(out_file)
    run = subprocess.run([sys.executable, embed, stub_file, icon_file, out_file],
                         capture_output=True, text=True)
    passed = run.returncode == 0
    if passed != should_pass or (reason and reason not in run.stderr):
        failures.append("%s: exit %d, stderr %r" % (name, run.returncode, run.stderr))
    if passed and should_pass:
        text = open(out_file).read()
        if "const size_t gStubImageSize = %d;" % len(stub_bytes) not in text:
            failures.append("%s: size line missing" % name)
    if not passed and os.path.exists(out_file):
        failures.append("%s: wrote %s although it failed" % (name, out_file))


image_at = stub.find(icon[22:])
dos_text = stub.find(b"This program")
check("good", stub, icon, True)
check("too-large", stub + b"\0" * (60001 - len(stub)), icon, False, "more than 60000")
check("at-limit", stub[:60000] if len(stub) >= 60000 else stub, icon, True)
check("marker", stub[:dos_text] + b"[VQ]" + stub[dos_text + 4:], icon, False, "marker [VQ]")
flipped = bytearray(stub)
flipped[image_at + 1000] ^= 0xFF
check("icon-changed", bytes(flipped), icon, False, "icon resource 1")
other_icon = icon[:100] + bytes(b ^ 0x55 for b in icon[100:])
check("other-reference", stub, other_icon, False, "icon resource 1")
check("short-reference", stub, icon[:2237], False, "not 2238")
# A copy of the icon's image earlier in the file would take the replacement.
early = bytearray(stub)
early[dos_text:dos_text] = icon[32:]
check("earlier-copy", bytes(early[:len(stub) + 2206]), icon, False)
check("not-pe", b"MZ" + b"\0" * 200, icon, False)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("stub check: all cases as expected")
