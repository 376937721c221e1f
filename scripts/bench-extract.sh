#!/usr/bin/env bash
# Benchmark, not a test: extraction time of packed executables under Wine,
# next to Info-ZIP unzip of the same archives on Linux, without and with the
# progress window, on two corpora:
#   mixed  ~200 MB: half compressible text in 400 files, half random bytes in 4
#   small  20,000 files of about 2 KB in nested folders
#   bench-extract.sh WINDOWS_BUILD_DIR [WORK_DIR]   (out/win32, or out/win64 where 32-bit code cannot run)
# WORK_DIR defaults to /dev/shm when it has room: on a virtual machine's disk
# the write budget ran out within a few runs and doubled the times, which
# buried the window's cost.
# On the mixed corpus, when the linux tree has vqpack (VQ_LINUX_DIR, default
# out/linux), the same pairs also compare the traditional encryption with
# AES-256, the password typed into the dialog by tests/extractor/password_run,
# and both files read natively by the linux tree's vq_bench_read
# (scripts/bench-read.cpp), which decrypts and checks every entry as the stub
# does but writes nothing: the cost of the encryption without Wine's.
# Environment: VQ_BENCH_PAIRS, the runs per corpus (default 5, at least 5):
# each pair runs the packed executable once without and once with the
# progress window, the order turning from pair to pair, so that a machine
# busy with something else weighs on both sides alike. Prints the medians and
# ranges of the times and of the window's cost per pair, and the load
# average before and after. Beside the wall time it counts the CPU time of
# the packed executable and of the wineserver and Xvfb it keeps busy, which
# other work on the machine disturbs less.
# Wine runs as in the tests (scripts/wine-bench.sh): the build tree's prefix,
# its persistent wineserver and unmanaged windows, which spare every
# windowed run the seconds Wine waits for a window manager.
set -euo pipefail
build=$(cd "${1:?win32 build dir}" && pwd)
work=${2:-}
if [ -z "$work" ]; then
  work=$build/bench-extract
  if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 2000000 ]; then
    work=/dev/shm/vq-bench-extract.$$
  fi
fi
pairs=${VQ_BENCH_PAIRS:-5}
[ "$pairs" -ge 5 ] || { echo "bench-extract: VQ_BENCH_PAIRS must be 5 or more" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
stub="$build/extractor/vqstub.exe"
answer="$build/tests/extractor/password_run.exe"  # types the password of the protected runs
vqpack=$(realpath -m "${VQ_LINUX_DIR:-$here/out/linux}")/cli/vqpack
reader=$(dirname "$(dirname "$vqpack")")/vq_bench_read
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

# A bench the tests (or someone else) started stays up; one started here goes.
own_bench=0
if [ ! -f "$build/wine/display" ] || ! kill -0 "$(cat "$build/wine/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
  own_bench=1
fi
"$here/scripts/wine-bench.sh" start "$build" >/dev/null
eval "$("$here/scripts/wine-bench.sh" env "$build")"
finish() {
  rm -rf "$work"
  if [ $own_bench = 1 ]; then "$here/scripts/wine-bench.sh" stop "$build"; fi
}
trap finish EXIT

# compare CORPUS SIZE WITH_UNZIP WITH_CPU: VQ_BENCH_VARIANTS (JSON) names two
# ways to extract, each [label, folder below $work ("": none to compare),
# command...]; they run in $pairs alternating pairs, and the second one's
# cost over the first is printed. WITH_CPU 0 prints wall times only: the
# protected runs' packed executables are password_run's children under
# Wine, whose CPU time the bench cannot see.
compare() {
  python3 - "$1" "$2" "$pairs" "$work" "$build/wine" "$3" "$4" <<'PY'
import json, os, statistics, subprocess, sys, time
name, size, pairs, work, bench, with_unzip, with_cpu = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), *sys.argv[4:]
variants = json.loads(os.environ["VQ_BENCH_VARIANTS"])
tick = os.sysconf("SC_CLK_TCK")

def cpu_of(pid):  # user and system seconds of a process so far
    try:
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / tick
    except (OSError, IndexError, ValueError):
        return 0.0

def helpers():  # the bench's wineserver and Xvfb, which every run keeps busy as well
    return [open(f"{bench}/{f}").read().strip() for f in ("wineserver.pid", "xvfb.pid")]

def run(command):  # wall seconds, and CPU seconds of the program and of the helpers it kept busy
    watched = helpers()
    before = sum(map(cpu_of, watched))
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if status:
        sys.exit(f"bench-extract: {command[-1]} failed")
    return wall, usage.ru_utime + usage.ru_stime + sum(map(cpu_of, watched)) - before

times, unzip = ([], []), []
for pair in range(pairs):
    for v in ((0, 1) if pair % 2 == 0 else (1, 0)):
        label, folder, *command = variants[v]
        if folder:
            subprocess.run(["rm", "-rf", f"{work}/{folder}"], check=True)
        times[v].append(run(command))
        # Every run extracts into an empty folder; the first pair's trees are compared.
        if folder and pair == 0 and subprocess.run(["diff", "-r", f"{work}/corpus", f"{work}/{folder}"],
                                                   stdout=subprocess.DEVNULL).returncode:
            sys.exit(f"bench-extract: the tree extracted {label} differs")
    if with_unzip == "1":
        subprocess.run(["rm", "-rf", f"{work}/unzipped"], check=True)
        unzip.append(run(["unzip", "-q", f"{work}/corpus.zip", "-d", f"{work}/unzipped"]))

def spread(xs):
    return f"median {statistics.median(xs):5.2f} s (range {min(xs):.2f} to {max(xs):.2f})"
def cost(i):
    costs = [100 * (b[i] / a[i] - 1) for a, b in zip(*times)]
    return f"median {statistics.median(costs):+.0f} % (range {min(costs):+.0f} % to {max(costs):+.0f} %)"
cpu = with_cpu == "1"
print(f"{name} corpus, {size / 1e6:.0f} MB; wall time" + (", and CPU time with Wine's helpers:" if cpu else ":"))
if unzip:
    print(f"  {'Info-ZIP unzip':28s} {spread([u[0] for u in unzip])}")
for (label, *_), runs in zip(variants, times):
    print(f"  {label:28s} {spread([r[0] for r in runs])}" + (f"; CPU {spread([r[1] for r in runs])}" if cpu else ""))
print(f"  the cost of {variants[1][0]}, pair by pair: wall {cost(0)}" + (f"; CPU {cost(1)}" if cpu else ""))
PY
}

echo "bench-extract: $pairs pairs per corpus in $work, $(stat -c %s "$stub")-byte stub, load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
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
  VQ_BENCH_VARIANTS=$(printf '[["without the progress window", "out0", "%s", "%s"], ["with the progress window", "out1", "%s", "%s"]]' \
    "$VQ_WINE" "$work/packed0.exe" "$VQ_WINE" "$work/packed1.exe") compare "$corpus" "$unzip_size" 1 1
  # Protected by password, typed into the dialog by password_run: traditional
  # encryption against AES-256, both packed by vqpack at level 6.
  if [ "$corpus" = mixed ] && [ -x "$vqpack" ] && [ -f "$answer" ]; then
    for enc in zipcrypto aes256; do
      VQ_BENCH_PW=bench "$vqpack" --source "$work/corpus" --output "$work/packed-$enc.exe" --level 6 \
        --extract-to "*AppDir*\\out-$enc" --password-env VQ_BENCH_PW --encryption "$enc" >/dev/null
    done
    VQ_BENCH_VARIANTS=$(printf '[["traditional encryption", "out-zipcrypto", "%s", "%s", "%s", "bench"], ["AES-256", "out-aes256", "%s", "%s", "%s", "bench"]]' \
      "$VQ_WINE" "$answer" "$work/packed-zipcrypto.exe" "$VQ_WINE" "$answer" "$work/packed-aes256.exe") \
      compare "$corpus" "$unzip_size" 0 0
    # The same two files read natively by vq_bench_read: the codec over
    # OpenSSL instead of Wine's CNG, which hands each 16-byte block to the
    # host's crypto library on its own (its ECB mode is a loop of single
    # blocks), so that under Wine AES-256 costs what the calls cost.
    if [ -x "$reader" ]; then
      VQ_BENCH_VARIANTS=$(printf '[["traditional, read natively", "", "%s", "%s", "bench"], ["AES-256, read natively", "", "%s", "%s", "bench"]]' \
        "$reader" "$work/packed-zipcrypto.exe" "$reader" "$work/packed-aes256.exe") compare "$corpus" "$unzip_size" 0 0
    fi
  fi
done
echo "bench-extract: load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
