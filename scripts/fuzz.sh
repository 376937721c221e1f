#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) and runs each for a bounded time. Not part of the test command.
#   scripts/fuzz.sh [SECONDS]      default 60 seconds per target
# Findings (crash-*, leak-*, timeout-*) land in out/fuzz/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
out=out/fuzz
mkdir -p "$out"
# The targets are built by CMake from the same library lists as every other
# build, in a clang tree of their own.
cmake -S . -B "$out/build" -DCMAKE_C_COMPILER="${CC_FUZZ:-clang}" \
  -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" -DVQ_FUZZ=ON -DVQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$out/build" -j"$(nproc)" --target fuzz_load_project fuzz_normalise_path

# Seeds: a saved project in each line-end form, and a few paths.
seeds="$out/seeds"
mkdir -p "$seeds/load_project" "$seeds/normalise_path"
project='[Varnoquist]
Version=1.2
ProjectName=Demo
SourceFolder=C:\Work\Demo\
Password=
ExtractionFolder=*AppDir*\SubDirectory
IconFile=
OutputFile=C:\Out\Demo.exe
Checkbox1=1
Checkbox2=0
Checkbox3=0
CompressLevel=9
OverwriteMode=0
ExecFile0=setup.exe
CmdLine0="*Command*"
WinState0=*ShowWin*
ExecFile1=bin/tool.exe'
printf '%s\n' "$project" >"$seeds/load_project/lf"
printf '%s\n' "$project" | sed 's/$/\r/' >"$seeds/load_project/crlf"
printf '%s\n' "$project" | tr '\n' '\r' >"$seeds/load_project/cr"
printf '\x40C:/a//b\\\\\\c' >"$seeds/normalise_path/mixed"
printf '\x10\\\\srv\\share\\dir' >"$seeds/normalise_path/network"
cat >"$out/project.dict" <<'DICT'
"[Varnoquist]"
"Version="
"1.2"
"SourceFolder="
"ExecFile0="
"ExecFile1="
"ExecFile2="
"CmdLine0="
"WinState0="
"CompressLevel="
"\x0d\x0a"
"\x0d"
"\x22"
"'"
"\\\\"
DICT

status=0
for target in load_project normalise_path; do
  bin="$out/build/tests/fuzz/fuzz_$target"
  work="$out/$target"
  mkdir -p "$work/corpus"
  extra=()
  [ "$target" = load_project ] && extra=(-dict="$out/project.dict" -max_len=16384 -len_control=0)
  echo "== running $target for ${seconds}s"
  if ! "$bin" "$work/corpus" "$seeds/$target" -max_total_time="$seconds" \
      -artifact_prefix="$work/" -print_final_stats=1 "${extra[@]}" 2>"$work/log.txt"; then
    status=1
    echo "!! $target found a fault; see $work/log.txt and $work/crash-*"
  fi
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^#.*DONE|ERROR" "$work/log.txt" || true
done
exit $status
