#!/usr/bin/env bash
# vqpack end to end: a project saved on Windows packs here with --source and
# --output; the console log, the exit codes, the failure text on standard
# error. (What the packed file holds is the build_test suite's.)
#   vqpack_test.sh VQPACK WORKDIR       (VQPACK.exe runs under Wine)
set -uo pipefail
vqpack=${1:?vqpack}
work=${2:?work folder}
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work/src/bin" "$work/src/docs/img" "$work/src/папка" "$work/empty/sub" "$work/tmp"
fail=0
check() { "${@:2}" || { echo "FAIL: $1"; fail=1; }; }  # check DESCRIPTION COMMAND...
wine_mode=0 runner=()
case "$vqpack" in *.exe) wine_mode=1 runner=("$here/scripts/wine-run.sh") ;; esac
# A path as the packer takes it; a run's output in out.txt and err.txt, its exit code in $rc.
arg() { if [ $wine_mode = 1 ]; then echo "Z:$1" | tr / '\\'; else echo "$1"; fi; }
run() { "${runner[@]}" "$vqpack" "$@" >"$work/out.txt" 2>"$work/err.txt"; rc=$?; }
refused() { test "$rc" = "$1" && grep -q "$2" "$work/err.txt"; }  # refused CODE TEXT-ON-STDERR

printf 'MZ run' >"$work/src/bin/run.exe"
printf 'read me\r\n' >"$work/src/readme.txt"
head -c 3000000 /dev/urandom >"$work/src/docs/img/noise.bin"
: >"$work/src/docs/empty.txt"
printf 'ja' >"$work/src/папка/日本語.txt"  # outside the code page of the packer's system
# Saved on Windows: the source folder does not exist here.
printf '%s\r\n' '[Varnoquist]' 'Version=1.2' 'ProjectName=vqTest' 'SourceFolder=C:\Work\Demo\' \
  'Password=' 'ExtractionFolder=*AppDir*\Demo' 'IconFile=' 'OutputFile=C:\Out\Demo.exe' \
  'Checkbox1=1' 'Checkbox2=0' 'Checkbox3=0' 'CompressLevel=6' 'OverwriteMode=0' \
  'ExecFile0=bin\run.exe' 'CmdLine0=*Command*' 'WinState0=*ShowWin*' >"$work/demo.vqx"

# A Windows project built here: lines as they happen, oldest first. Its name
# is outside the code page of the packer's system.
cp "$work/demo.vqx" "$work/李 demo.vqx"
run "$(arg "$work/李 demo.vqx")" --source "$(arg "$work/src")" --output "$(arg "$work/new/folder/Demo.exe")"
check "exit code 0 (was $rc)" test "$rc" = 0
tr -d '\r' <"$work/out.txt" >"$work/lines.txt"
sep=/; [ $wine_mode = 1 ] && sep='\'  # paths as the system running the packer writes them
check "5 file lines" test "$(sed -n 1,5p "$work/lines.txt" | grep -cF "src$sep")" = 5
check "closing lines" diff <(sed -n 6,9p "$work/lines.txt") <(printf -- '-----\nWriting File...\n-----\nCompleted Successfully.\n')
check "every name exact" grep -qx 'bin\\run.exe|docs\\empty.txt|docs\\img\\noise.bin|readme.txt|папка\\日本語.txt' <(python3 -c \
  'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()), sep="|")' "$work/new/folder/Demo.exe")
check "where the output is" grep -q '^Packed executable: .*Demo.exe$' "$work/lines.txt"
check "no progress bar when not a terminal, nothing on stderr" bash -c "! grep -q '\[#' '$work/out.txt' && test ! -s '$work/err.txt'"

# Failures: the build's own (1), then the command line's and the project's (2).
grep -v 'ExecFile0\|CmdLine0\|WinState0' "$work/demo.vqx" >"$work/nolaunch.vqx"
run "$(arg "$work/nolaunch.vqx")" --source "$(arg "$work/empty")" --output "$(arg "$work/empty.exe")"
check "empty source: exit code 1 (was $rc), failure text" refused 1 'Failed to read compressed data\.'
check "empty source: final line" bash -c "tail -n 1 '$work/out.txt' | tr -d '\r' | grep -qx '! Failed.'"
run "$(arg "$work/missing.vqx")"
check "missing project: exit code 2 (was $rc), said so" refused 2 'project file not found'
run "$(arg "$work/demo.vqx")" --bogus
check "unknown option: exit code 2 (was $rc), usage" refused 2 '^Usage: vqpack'
run "$(arg "$work/demo.vqx")" --source "$(arg "$work/src")" --output "$(arg "$work/李/Demo.exe")"
check "output named outside the code page: exit code $rc" test "$rc" = "$((2 * wine_mode))"
if [ $wine_mode = 0 ]; then  # names are UTF-16 on Windows; only POSIX has names of other bytes
  mkdir -p "$work/badname/sub" && printf x >"$work/badname/sub/b$(printf '\377')d.txt"
  TMPDIR="$work/tmp" run --source "$work/badname" --output "$work/bad.exe"
  check "name not UTF-8: exit code 2 (was $rc), named" refused 2 "not valid UTF-8: $work/badname/sub/b\\\\xFFd.txt"
  check "name not UTF-8: nothing written" test ! -e "$work/bad.exe" -a -z "$(ls -A "$work/tmp")"
  run --source "$work/src" --output "$work/bad.exe" --extract-to "$(printf 'x\303(')"
  check "setting not UTF-8: exit code 2 (was $rc), named" refused 2 'not one line of valid UTF-8: ExtractionPath=x\\xC3('
fi

# A build pipeline: no project file, every setting an option; the project saved
# on the way builds the same file.
export SOURCE_DATE_EPOCH=1700000000
pipe=(--source "$(arg "$work/src")" --level 9 --progress on --overwrite skip
      --extract-to '*TempDir*\Pipe' --launch 'bin\run.exe' --cmdline '/S *TempDir*log.txt'
      --window hide)
run "${pipe[@]}" --output "$(arg "$work/pipe1.exe")" --save-project "$(arg "$work/pipe.vqx")"
check "pipeline: exit code 0 (was $rc)" test "$rc" = 0
check "pipeline: entries dated SOURCE_DATE_EPOCH" bash -c "unzip -l '$work/pipe1.exe' 2>/dev/null | grep -q '2023-11-14 22:13'"
run "$(arg "$work/pipe.vqx")" --output "$(arg "$work/pipe2.exe")"
check "pipeline: the saved project builds the same bytes" cmp -s "$work/pipe1.exe" "$work/pipe2.exe"
unset SOURCE_DATE_EPOCH
# AE-2 entries: 7-Zip tests them with the password, and refuses a wrong one.
VQ_TEST_PASSWORD='open sesame' run "${pipe[@]}" --output "$(arg "$work/aes.exe")" --password-env VQ_TEST_PASSWORD --encryption aes256
check "AES-256: exit code 0 (was $rc), 7-Zip tests it" bash -c "test $rc = 0 && 7z t -tzip '-popen sesame' '$work/aes.exe' >/dev/null && ! 7z t -tzip -pwrong '$work/aes.exe' >/dev/null 2>&1"
# Launch entries that name no file of the source folder (what options refuse: packoptions_test's).
for bad in "--launch nothing.exe" "--launch bin --window hide"; do
  run --source "$(arg "$work/src")" --output "$(arg "$work/bad.exe")" $bad
  check "refused before writing: $bad (exit code $rc)" test "$rc" = 2 -a ! -e "$work/bad.exe"
done
run --version
check "version" grep -qx 'vqpack 1.2' <(tr -d '\r' <"$work/out.txt")

# Stopped mid-build (SIGTERM): the earlier output stays whole, nothing is left
# in the temporary folder or beside the output. Data of four letters takes
# level 9 over half a second a megabyte, so the build is still running when
# stopped and each piece in flight ends soon.
if [ $wine_mode = 0 ]; then
  mkdir -p "$work/slow" "$work/tmp"
  head -c 16000000 /dev/urandom | tr '\000-\377' '[a*64][b*64][c*64][d*64]' >"$work/slow/abcd.txt"
  cp "$work/pipe1.exe" "$work/kept.exe"
  TMPDIR="$work/tmp" "$vqpack" --source "$work/slow" --output "$work/kept.exe" --level 9 >/dev/null 2>"$work/err.txt" &
  pid=$!
  for _ in $(seq 100); do [ -n "$(ls -A "$work/tmp")" ] && break; sleep 0.1; done
  sleep 0.5
  kill -TERM $pid
  wait $pid; rc=$?
  check "SIGTERM: ended by the signal (was $rc)" test "$rc" = 143
  check "SIGTERM: the earlier output whole" cmp -s "$work/pipe1.exe" "$work/kept.exe"
  check "SIGTERM: nothing left behind" test -z "$(ls -A "$work/tmp")$(ls "$work" | grep '^kept' | grep -vx kept.exe)"
fi

# On a terminal the progress bar is drawn in place.
if [ $wine_mode = 0 ] && command -v script >/dev/null; then
  script -qec "'$vqpack' '$work/demo.vqx' --source '$work/src' --output '$work/tty.exe'" /dev/null >"$work/tty.txt"
  check "terminal: progress bar" grep -q '\[#*\.*\] *100%' "$work/tty.txt"
fi

[ $fail = 0 ] && echo "vqpack: all checks passed"
exit $fail
