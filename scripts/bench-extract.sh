#!/usr/bin/env bash
# Benchmark, not a test: extraction time of packed executables under Wine,
# next to Info-ZIP unzip of the same archives on Linux, without and with the
# progress window, on two corpora:
#   mixed  ~200 MB: half compressible text in 400 files, half random bytes in 4
#   small  20,000 files of about 2 KB in nested folders
#   bench-extract.sh WINDOWS_BUILD_DIR [WORK_DIR]   (out/win32, or out/win64 where 32-bit code cannot run)
set -euo pipefail
build=$(cd "${1:?win32 build dir}" && pwd)
work=${2:-$build/bench-extract}
here=$(cd "$(dirname "$0")/.." && pwd)
stub="$build/extractor/vqstub.exe"
[ -f "$stub" ] || { echo "no $stub: build vqstub first" >&2; exit 1; }

make_corpus() {  # name folder
  mkdir -p "$2"
  if [ "$1" = mixed ]; then
    mkdir -p "$2/text" "$2/bin"
    for i in $(seq 1 400); do seq "$((i * 1000))" "$((i * 1000 + 36000))" >"$2/text/t$i.txt"; done
    for i in 1 2 3 4; do head -c 25000000 /dev/urandom >"$2/bin/r$i.bin"; done
  else
    python3 - "$2" <<'PY'
import os, random, sys
random.seed(7)
for n in range(20000):
    folder = os.path.join(sys.argv[1], 'a%02d' % (n % 20), 'b%02d' % (n // 20 % 10))
    os.makedirs(folder, exist_ok=True)
    words = ' '.join(random.choice(('alpha', 'beta', 'gamma', str(n))) for _ in range(300))
    open(os.path.join(folder, 'f%05d.txt' % n), 'w').write(words[:2000 + n % 100])
PY
  fi
}

"$here/scripts/wine-bench.sh" start "$build" >/dev/null
eval "$("$here/scripts/wine-bench.sh" env "$build")"
for corpus in mixed small; do
  rm -rf "$work" && mkdir -p "$work"
  make_corpus "$corpus" "$work/corpus"
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
  t0=$(date +%s.%N)
  "$VQ_WINE" "$work/packed0.exe"
  t1=$(date +%s.%N)
  "$VQ_WINE" "$work/packed1.exe"
  t2=$(date +%s.%N)
  unzip -q "$work/corpus.zip" -d "$work/unzipped"
  t3=$(date +%s.%N)
  for progress in 0 1; do
    diff -r "$work/corpus" "$work/out$progress" >/dev/null || { echo "extracted tree differs" >&2; exit 1; }
  done
  python3 - "$corpus" "$t0" "$t1" "$t2" "$t3" "$unzip_size" <<'PY'
import sys
name = sys.argv[1]
t0, t1, t2, t3, size = map(float, sys.argv[2:])
plain, progress, unzip = t1 - t0, t2 - t1, t3 - t2
print(f"{name} corpus {size / 1e6:.0f} MB, Info-ZIP unzip {unzip:.2f} s; packed executable under Wine: "
      f"{plain:.2f} s without the progress window (ratio {plain / unzip:.2f}), "
      f"{progress:.2f} s with it (ratio {progress / unzip:.2f}, {100 * (progress / plain - 1):+.0f} %)")
PY
done
"$here/scripts/wine-bench.sh" stop "$build"
rm -rf "$work"
