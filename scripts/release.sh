#!/usr/bin/env bash
# Builds the release packages from fresh build trees into out/release: the
# Debian package of vqpack (linux preset) and the Windows zip (win32 preset).
# Checks both, takes a picture of the help page in headless Chromium
# (out/release/help-page.png) and prints the packages' names and sizes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
out="$root/out/release"

bash scripts/setup.sh chromium
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "release: note: the work tree has changes that are not committed; they go into the packages"
fi
# The man page is dated by the last commit, not by the day of the build.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
rm -rf "$out"
# The linux tree takes its stub from its sibling win32 tree.
for preset in win32 linux; do
  cmake --preset "$preset" -B "$out/$preset" -DVQ_BUILD_TESTS=OFF >/dev/null
  cmake --build "$out/$preset" -j"$jobs"
  (cd "$out/$preset" && cpack >/dev/null)
done
cp "$out"/linux/packages/*.deb "$out"/win32/packages/*.zip "$out/"
deb=$(ls "$out"/vqpack_*_amd64.deb) zip=$(ls "$out"/Varnoquist-*-win32.zip)
bash scripts/check-packages.sh "$deb" "$zip"

mkdir -p "$out/unpacked"
unzip -q "$zip" -d "$out/unpacked"
# Root has no sandbox; the picture is the page as it opens beside the builder.
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1100,4400 \
  --screenshot="$out/help-page.png" "file://$(ls "$out"/unpacked/*/Help/index.html)" >/dev/null 2>&1

echo
for f in "$deb" "$zip" "$out/help-page.png"; do
  printf '%-32s %9s bytes\n' "$(basename "$f")" "$(stat -c %s "$f")"
done
