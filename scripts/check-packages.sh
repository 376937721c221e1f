#!/usr/bin/env bash
# Checks a Debian package of vqpack and a Windows zip as a user gets them:
# the .deb unpacked into a scratch root, whose vqpack packs the demo and
# whose man page and copyright are in place; the zip's exact file list.
# usage: check-packages.sh VQPACK.deb VARNOQUIST.zip
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "$1") zip=$(realpath "$2")
version=$(sed -n 's/^project(Varnoquist VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-packages: $*" >&2; exit 1; }

[ "$(basename "$deb")" = "vqpack_${version}_amd64.deb" ] || fail "unexpected name $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q 'zlib1g' || fail "the .deb's dependencies lack zlib1g"
dpkg -x "$deb" "$scratch/root"
vqpack="$scratch/root/usr/bin/vqpack"
[ "$("$vqpack" --version)" = "vqpack $version" ] || fail "vqpack --version is not 'vqpack $version'"
cmp -s "$scratch/root/usr/share/doc/vqpack/copyright" "$root/LICENSE" || fail "copyright is not LICENSE"
zcat "$scratch/root/usr/share/man/man1/vqpack.1.gz" >"$scratch/vqpack.1"
for part in '^\.SH OPTIONS' '^\.SH EXAMPLES' 'SOURCE_DATE_EPOCH=\$(git log' 'zlib licence'; do
  grep -q "$part" "$scratch/vqpack.1" || fail "the man page lacks $part"
done
"$vqpack" "$root/examples/demo/demo.vqx" --source "$root/examples/demo/app" \
  --output "$scratch/Demo.exe" >/dev/null || fail "the installed vqpack does not pack the demo"
# unzip lists it, and warns of the extractor stub before the archive.
entries=$({ unzip -Z1 "$scratch/Demo.exe" 2>/dev/null || true; } | sort | tr '\n' ' ')
[ "$entries" = 'bin\welcome.bat docs\manual.txt readme.txt ' ] || fail "the packed demo holds $entries"

top=Varnoquist-$version-win32
[ "$(basename "$zip")" = "$top.zip" ] || fail "unexpected name $(basename "$zip")"
expected="$top/Help/ $top/Help/index.html $top/LICENSE.txt $top/README.txt $top/vqbuilder.exe $top/vqpack.exe "
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "$expected" ] || fail "the zip does not hold just $expected"
# The help page opens on its own: its four pictures are inside it.
[ "$(unzip -p "$zip" "$top/Help/index.html" | grep -c 'src="data:image/png;base64,')" = 4 ] ||
  fail "the help page does not carry its four pictures"
echo "check-packages: $(basename "$deb") and $(basename "$zip") are as they should be"
