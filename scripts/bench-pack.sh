#!/usr/bin/env bash
# Benchmark: vqpack against Info-ZIP `zip -r` at the same level on the same
# corpus, for levels 0, 6 and 9, on three corpora generated under out/bench:
#   mixed  about 200 MB: text, records, random bytes and zeros, 2 KB to 16 MB
#   small  20,000 files of about 2 KB in nested folders
#   large  one 1 GB file, 16 MB stretches of random bytes and text by turns
# Prints time, MB/s, output size and peak memory of both, and the ratios;
# when pigz is installed, also `tar | pigz` with one thread per processor (a
# gzip stream, not a zip: the reference for parallel deflate). Every packed
# file is tested with `unzip -t` and `7z t` after its run (VQ_BENCH_VERIFY=0
# skips that); VQ_BENCH_PASSWORD=WORD packs with that password, and then
# also with AES-256 (WinZip AE-2) beside the traditional encryption: its
# time and its ratio to the traditional build in two more columns (its file
# tested by 7-Zip only: Info-ZIP unzip 6 reads no AES).
# Not a test: timings depend on the machine. vqpack comes from the linux
# build tree (VQ_LINUX_DIR, default out/linux), built first when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux_dir=$(realpath -m "${VQ_LINUX_DIR:-$root/out/linux}")
bench=$(realpath -m "${VQ_BENCH_DIR:-$root/out/bench}")
vqpack="$linux_dir/cli/vqpack"
levels=${VQ_BENCH_LEVELS:-"0 6 9"}
corpora=${VQ_BENCH_CORPORA:-"mixed small large"}
verify=${VQ_BENCH_VERIFY:-1}
password=${VQ_BENCH_PASSWORD:-}
threads=$(nproc 2>/dev/null || echo 2)
pigz=$(command -v pigz || true)

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
large = os.path.join(bench, 'large', 'large.dat')
if not os.path.isfile(large):
    # Text made once and reused: 16 MB apart, no deflate window sees the repeat.
    stretch = 16 << 20
    block = text(stretch)
    os.makedirs(os.path.dirname(large), exist_ok=True)
    with open(large + '.part', 'wb') as f:
        for i in range(64):
            f.write(os.urandom(stretch) if i % 2 else block)
    os.rename(large + '.part', large)
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

# check PACKED: the archive behind the stub passes Info-ZIP's and 7-Zip's tests.
check() {
  [ "$verify" = 1 ] || return 0
  if [ "${2:-}" = aes ]; then
    7z t "-p$password" "$1" >/dev/null 2>&1 || { echo "bench-pack: 7z t failed on $1" >&2; exit 1; }
    return 0
  fi
  local pw=()
  [ -z "$password" ] || pw=(-P "$password")
  # unzip warns about the stub in front (exit code 1) and tests on.
  local said
  said=$(unzip -t "${pw[@]}" "$1" 2>&1 || true)
  grep -q '^No errors detected in compressed data' <<<"$said" ||
    { echo "bench-pack: unzip -t failed on $1" >&2; exit 1; }
  7z t ${password:+"-p$password"} "$1" >/dev/null 2>&1 || { echo "bench-pack: 7z t failed on $1" >&2; exit 1; }
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
rate() { awk -v m="$1" -v s="$2" 'BEGIN {printf "%.1f", (s > 0 ? m / s : 0)}'; }
size_mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN {printf "%.1f", b / 1048576}'; }

aes_head=""
[ -z "$password" ] || aes_head=$(printf ' | %8s %7s' "aes s" "aes/zc")
printf '\n%-6s %-5s | %8s %8s %9s %8s | %8s %8s %9s %8s | %8s %8s %9s %8s | %6s %6s%s\n' corpus level \
  "vq s" "vq MB/s" "vq MB" "vq RSS" "zip s" "zip MB/s" "zip MB" "zip RSS" \
  "pigz s" "pigz MB/s" "pigz MB" "pigz RSS" "vq/zip" "vq/pigz" "$aes_head"
for corpus in $corpora; do
  source="$bench/$corpus"
  bytes=$(find "$source" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
  mb=$(awk -v b="$bytes" 'BEGIN {printf "%.1f", b / 1048576}')
  for level in $levels; do
    project="$bench/$corpus-$level.vqx"
    packed="$bench/$corpus-$level.exe"
    zipped="$bench/$corpus-$level.zip"
    gzipped="$bench/$corpus-$level.tar.gz"
    printf '[Varnoquist]\nVersion=1.2\nProjectName=vqbench\nSourceFolder=%s/\nCompressLevel=%s\nOutputFile=%s\nPassword=%s\nCheckbox3=%d\n' \
      "$source" "$level" "$packed" "$password" "$([ -n "$password" ] && echo 1 || echo 0)" >"$project"
    rm -f "$packed" "$zipped" "$gzipped"
    find "$source" -type f -exec cat {} + >/dev/null  # all start from a warm cache
    run_timed "$vqpack" "$project"
    vq_secs=$secs vq_peak=$peak
    check "$packed"
    vq_size=$(size_mb "$packed")
    zip_pw=""
    [ -z "$password" ] || zip_pw="-P '$password'"
    run_timed bash -c "cd '$source' && zip -r -q -$level $zip_pw '$zipped' ."
    zip_secs=$secs zip_peak=$peak
    aes_cols=""
    if [ -n "$password" ]; then
      printf 'Encryption=AES256\n' >>"$project"
      run_timed "$vqpack" "$project"
      check "$packed" aes
      aes_cols=$(printf ' | %8.2f %7s' "$secs" "$(ratio "$secs" "$vq_secs")")
      rm -f "$packed"
    fi
    pigz_cols=$(printf '%8s %9s %9s %8s' - - - -) pigz_ratio=-
    if [ -n "$pigz" ]; then
      run_timed bash -c "cd '$source' && tar -cf - . | '$pigz' -p $threads -$level >'$gzipped'"
      pigz_cols=$(printf '%8.2f %9s %9s %7dK' "$secs" "$(rate "$mb" "$secs")" "$(size_mb "$gzipped")" "$peak")
      pigz_ratio=$(ratio "$vq_secs" "$secs")
    fi
    printf '%-6s %-5s | %8.2f %8s %9s %7dK | %8.2f %8s %9s %7dK | %s | %6s %6s%s\n' "$corpus" "$level" \
      "$vq_secs" "$(rate "$mb" "$vq_secs")" "$vq_size" "$vq_peak" \
      "$zip_secs" "$(rate "$mb" "$zip_secs")" "$(size_mb "$zipped")" "$zip_peak" \
      "$pigz_cols" "$(ratio "$vq_secs" "$zip_secs")" "$pigz_ratio" "$aes_cols"
    rm -f "$packed" "$zipped" "$gzipped"
  done
  echo "($corpus: $mb MB in $(find "$source" -type f | wc -l) files)"
done
echo "(vqpack and pigz with $threads threads; RSS is the peak resident memory)"
