#!/usr/bin/env bash
# Benchmark, not a test: extraction time of a packed executable holding a
# ~200 MB corpus, under Wine, next to Info-ZIP unzip of the same archive on
# Linux. Prints the times and ratios, without and with the progress window.
#   bench-extract.sh WINDOWS_BUILD_DIR [WORK_DIR]   (out/win32, or out/win64 where 32-bit code cannot run)
set -euo pipefail
build=$(cd "${1:?win32 build dir}" && pwd)
work=${2:-$build/bench-extract}
here=$(cd "$(dirname "$0")/.." && pwd)
stub="$build/extractor/vqstub.exe"
[ -f "$stub" ] || { echo "no $stub: build vqstub first" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work/corpus/text" "$work/corpus/bin"
# Half compressible text in many files, half random bytes in a few.
for i in $(seq 1 400); do seq "$((i * 1000))" "$((i * 1000 + 36000))" >"$work/corpus/text/t$i.txt"; done
for i in 1 2 3 4; do head -c 25000000 /dev/urandom >"$work/corpus/bin/r$i.bin"; done
(cd "$work/corpus" && zip -q -r -6 "$work/corpus.zip" .)
unzip_size=$(du -sb --apparent-size "$work/corpus" | cut -f1)
zip_size=$(stat -c %s "$work/corpus.zip")
for progress in 0 1; do
  {
    cat "$stub"
    printf '[VQ]\nExtractionPath=*AppDir*\\out%d\nZipSize=%d\nUnZipSize=%d\nProgressBar=%d\nDeleteFiles=0\nPassword=0\nOverwrite=0\n' \
      "$progress" "$zip_size" "$unzip_size" "$progress"
    cat "$work/corpus.zip"
  } >"$work/packed$progress.exe"
done

"$here/scripts/wine-bench.sh" start "$build" >/dev/null
eval "$("$here/scripts/wine-bench.sh" env "$build")"
t0=$(date +%s.%N)
"$VQ_WINE" "$work/packed0.exe"
t1=$(date +%s.%N)
"$VQ_WINE" "$work/packed1.exe"
t2=$(date +%s.%N)
unzip -q "$work/corpus.zip" -d "$work/unzipped"
t3=$(date +%s.%N)
"$here/scripts/wine-bench.sh" stop "$build"
for progress in 0 1; do
  diff -r "$work/corpus" "$work/out$progress" >/dev/null || { echo "extracted tree differs" >&2; exit 1; }
done
python3 - "$t0" "$t1" "$t2" "$t3" "$unzip_size" <<'PY'
import sys
t0, t1, t2, t3, size = map(float, sys.argv[1:])
plain, progress, unzip = t1 - t0, t2 - t1, t3 - t2
print(f"corpus {size / 1e6:.0f} MB, Info-ZIP unzip {unzip:.2f} s; packed executable under Wine: "
      f"{plain:.2f} s without the progress window (ratio {plain / unzip:.2f}), "
      f"{progress:.2f} s with it (ratio {progress / unzip:.2f})")
PY
rm -rf "$work"
