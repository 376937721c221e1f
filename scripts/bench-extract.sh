#!/usr/bin/env bash
# Benchmark, not a test: extraction time of packed executables under Wine,
# next to Info-ZIP unzip of the same archives on Linux, without and with the
# progress window, on two corpora:
#   mixed  ~200 MB: half compressible text in 400 files, half random bytes in 4
#   small  20,000 files of about 2 KB in nested folders
#   bench-extract.sh WINDOWS_BUILD_DIR [WORK_DIR]   (out/win32, or out/win64 where 32-bit code cannot run)
# Environment: VQ_BENCH_PAIRS, the runs per corpus (default 5, at least 5):
# each pair runs the packed executable once without and once with the
# progress window, the order turning from pair to pair, so that a machine
# busy with something else weighs on both sides alike. Prints the medians and
# ranges of the times and of the window's cost per pair, and the load
# average before and after.
# Wine runs as in the tests (scripts/wine-bench.sh): the build tree's prefix,
# its persistent wineserver and unmanaged windows, which spare every
# windowed run the seconds Wine waits for a window manager.
set -euo pipefail
build=$(cd "${1:?win32 build dir}" && pwd)
work=${2:-$build/bench-extract}
pairs=${VQ_BENCH_PAIRS:-5}
[ "$pairs" -ge 5 ] || { echo "bench-extract: VQ_BENCH_PAIRS must be 5 or more" >&2; exit 2; }
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

seconds() {  # command...: runs it, prints its wall time in seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null || return 1
  t1=$(date +%s.%N)
  awk "BEGIN { print $t1 - $t0 }"
}

# A bench the tests (or someone else) started stays up; one started here goes.
own_bench=0
if [ ! -f "$build/wine/display" ] || ! kill -0 "$(cat "$build/wine/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
  own_bench=1
fi
"$here/scripts/wine-bench.sh" start "$build" >/dev/null
eval "$("$here/scripts/wine-bench.sh" env "$build")"
stop_bench() { if [ $own_bench = 1 ]; then "$here/scripts/wine-bench.sh" stop "$build"; fi; }
trap stop_bench EXIT

echo "bench-extract: $pairs pairs per corpus, $(stat -c %s "$stub")-byte stub, load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
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
  times=()
  for pair in $(seq 0 $((pairs - 1))); do
    order="0 1"
    [ $((pair % 2)) = 0 ] || order="1 0"
    for progress in $order; do
      rm -rf "$work/out$progress"
      times[pair * 2 + progress]=$(seconds "$VQ_WINE" "$work/packed$progress.exe")
      # Every run extracts into an empty folder; the first pair's trees are compared.
      if [ "$pair" = 0 ] && ! diff -r "$work/corpus" "$work/out$progress" >/dev/null; then
        echo "bench-extract: the tree extracted with ProgressBar=$progress differs" >&2
        exit 1
      fi
    done
    rm -rf "$work/unzipped"
    unzip_times[pair]=$(seconds unzip -q "$work/corpus.zip" -d "$work/unzipped")
  done
  python3 - "$corpus" "$unzip_size" "$pairs" "${times[@]}" "${unzip_times[@]}" <<'PY'
import statistics, sys
name, size, pairs = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
values = list(map(float, sys.argv[4:]))
plain, progress, unzip = values[0:2 * pairs:2], values[1:2 * pairs:2], values[2 * pairs:]
cost = [100 * (w / p - 1) for p, w in zip(plain, progress)]
def spread(xs, unit):
    return f"median {statistics.median(xs):.2f}{unit} (range {min(xs):.2f} to {max(xs):.2f})"
print(f"{name} corpus, {size / 1e6:.0f} MB:")
print(f"  Info-ZIP unzip                    {spread(unzip, ' s')}")
print(f"  without the progress window       {spread(plain, ' s')}, "
      f"{statistics.median(plain) / statistics.median(unzip):.2f} x unzip")
print(f"  with the progress window          {spread(progress, ' s')}")
print(f"  the window's cost, pair by pair   median {statistics.median(cost):+.0f} % "
      f"(range {min(cost):+.0f} % to {max(cost):+.0f} %)")
PY
done
echo "bench-extract: load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
rm -rf "$work"
