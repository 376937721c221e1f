#!/usr/bin/env bash
# Benchmark: vqpack against Info-ZIP `zip -r` at the same level on the same
# corpus, for levels 0, 6 and 9, on two corpora generated under out/bench:
#   mixed  about 200 MB: text, records, random bytes and zeros, 2 KB to 16 MB
#   small  20,000 files of about 2 KB in nested folders
# Prints time, MB/s, output size and peak memory of both, and the ratios.
# Not a test: timings depend on the machine. vqpack comes from the linux
# build tree (VQ_LINUX_DIR, default out/linux), built first when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux_dir=$(realpath -m "${VQ_LINUX_DIR:-$root/out/linux}")
bench=$(realpath -m "${VQ_BENCH_DIR:-$root/out/bench}")
vqpack="$linux_dir/cli/vqpack"
levels=${VQ_BENCH_LEVELS:-"0 6 9"}

if [ ! -x "$vqpack" ]; then
  cmake --preset linux -B "$linux_dir" >/dev/null
  cmake --build "$linux_dir" --target vqpack -j2
fi
command -v zip >/dev/null || { echo "bench-pack: zip (Info-ZIP) is missing: run scripts/setup.sh" >&2; exit 1; }

make_corpora() {
  python3 - "$bench" <<'PY'
import os, random, sys
bench = sys.argv[1]
rng = random.Random(20261206)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 10)))
         for _ in range(5000)]

def text(size):
    out, n = [], 0
    while n < size:
        line = ' '.join(rng.choice(words) for _ in range(rng.randint(4, 14))) + '\n'
        out.append(line)
        n += len(line)
    return ''.join(out).encode()[:size]

def records(size):
    out, n, i = [], 0, 0
    while n < size:
        rec = b'%08d;%s;%d;%0.3f;OK\r\n' % (i, rng.choice(words).encode(), rng.randint(0, 99999), rng.random())
        out.append(rec)
        n += len(rec)
        i += 1
    return b''.join(out)[:size]

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)

mixed = os.path.join(bench, 'mixed')
if not os.path.isdir(mixed):
    kinds = [('text', text), ('records', records), ('random', os.urandom), ('zeros', bytes)]
    total, i = 0, 0
    while total < 200 << 20:
        kind, make = kinds[i % 4]
        size = int(2 ** rng.uniform(11, 24))  # 2 KB to 16 MB, evenly over the powers
        write(os.path.join(mixed, 'part%d' % (i % 5), 'sub%d' % (i % 3), '%s%03d.dat' % (kind, i)),
              make(size))
        total += size
        i += 1
small = os.path.join(bench, 'small')
if not os.path.isdir(small):
    for n in range(20000):
        folder = os.path.join(small, 'a%02d' % (n % 20), 'b%02d' % (n // 20 % 10))
        write(os.path.join(folder, 'f%05d.txt' % n), text(rng.randint(1536, 2560)))
PY
}

# run LABEL COMMAND...: runs with /usr/bin/time; sets secs and peak (KB).
run_timed() {
  local log="$bench/time.log"
  /usr/bin/time -f '%e %M' -o "$log" "$@" >/dev/null 2>"$bench/stderr.log" || {
    echo "bench-pack: failed: $*" >&2
    cat "$bench/stderr.log" >&2
    exit 1
  }
  read -r secs peak <"$log"
}

mkdir -p "$bench"
echo "generating corpora in $bench (first run only)..."
make_corpora

printf '\n%-6s %-5s | %8s %8s %9s %8s | %8s %8s %9s %8s | %s\n' corpus level \
  "vq s" "vq MB/s" "vq MB" "vq RSS" "zip s" "zip MB/s" "zip MB" "zip RSS" "time vq/zip"
for corpus in mixed small; do
  source="$bench/$corpus"
  bytes=$(find "$source" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
  mb=$(awk -v b="$bytes" 'BEGIN {printf "%.1f", b / 1048576}')
  for level in $levels; do
    project="$bench/$corpus-$level.vqx"
    packed="$bench/$corpus-$level.exe"
    zipped="$bench/$corpus-$level.zip"
    printf '[Varnoquist]\nVersion=1.2\nProjectName=vqbench\nSourceFolder=%s/\nCompressLevel=%s\nOutputFile=%s\n' \
      "$source" "$level" "$packed" >"$project"
    rm -f "$packed" "$zipped"
    find "$source" -type f -exec cat {} + >/dev/null  # both start from a warm cache
    run_timed "$vqpack" "$project"
    vq_secs=$secs vq_peak=$peak
    run_timed bash -c "cd '$source' && zip -r -q -$level '$zipped' ."
    zip_secs=$secs zip_peak=$peak
    printf '%-6s %-5s | %8.2f %8.1f %9.1f %7dK | %8.2f %8.1f %9.1f %7dK | %.2f\n' "$corpus" "$level" \
      "$vq_secs" "$(awk -v m="$mb" -v s="$vq_secs" 'BEGIN {print (s > 0 ? m / s : 0)}')" \
      "$(awk -v b="$(stat -c %s "$packed")" 'BEGIN {print b / 1048576}')" "$vq_peak" \
      "$zip_secs" "$(awk -v m="$mb" -v s="$zip_secs" 'BEGIN {print (s > 0 ? m / s : 0)}')" \
      "$(awk -v b="$(stat -c %s "$zipped")" 'BEGIN {print b / 1048576}')" "$zip_peak" \
      "$(awk -v a="$vq_secs" -v b="$zip_secs" 'BEGIN {print (b > 0 ? a / b : 0)}')"
    rm -f "$packed" "$zipped"
  done
  echo "($corpus: $mb MB in $(find "$source" -type f | wc -l) files)"
done
