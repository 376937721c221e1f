#!/usr/bin/env bash
# Packs the bundled example project (examples/demo) into a packed executable:
# installs what the build needs, builds the extractor stub (win32) and the
# native packer vqpack (linux), packs, and prints where the result is.
# The build trees default to the presets' out/win32 and out/linux; set
# VQ_WIN32_DIR / VQ_LINUX_DIR to use others.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 2 ] || jobs=2
win32_dir=$(realpath -m "${VQ_WIN32_DIR:-out/win32}")
linux_dir=$(realpath -m "${VQ_LINUX_DIR:-out/linux}")
output="$root/out/example/Demo.exe"

bash scripts/setup.sh
echo "== building the extractor stub ($win32_dir)"
cmake --preset win32 -B "$win32_dir" >/dev/null
cmake --build "$win32_dir" --target vqstub -j"$jobs"
echo "== building vqpack ($linux_dir)"
cmake --preset linux -B "$linux_dir" -DVQ_STUB_WIN32_DIR="$win32_dir" >/dev/null
cmake --build "$linux_dir" --target vqpack -j"$jobs"

echo "== packing examples/demo"
# The project was saved on Windows (C:\Work\Demo\): point it at the folder
# here; its launch entry bin\welcome.bat keeps its place below it.
"$linux_dir/cli/vqpack" "$root/examples/demo/demo.vqx" \
  --source "$root/examples/demo/app" --output "$output"
echo
echo "The packed executable is $output ($(stat -c %s "$output") bytes)."
echo "Run it on Windows, or here with: wine $output"
