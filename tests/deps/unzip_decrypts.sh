#!/usr/bin/env bash
# Info-ZIP unzip and 7z must decrypt what our minizip build encrypted.
set -euo pipefail
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
"$1" "$tmp/t.zip" >/dev/null
unzip -t -P "s3cret pass" "$tmp/t.zip"
7z t -p"s3cret pass" "$tmp/t.zip" >/dev/null
if unzip -t -P wrong "$tmp/t.zip" >/dev/null 2>&1; then echo "unzip accepted a wrong password" >&2; exit 1; fi
echo "unzip and 7z decrypt the archive"
