#!/usr/bin/env bash
# Packed executables made by vqpack (the Windows build, under Wine) and run
# under Wine: a plain one, one with a launch entry, and the same executable
# signed afterwards with Authenticode (osslsigncode, a certificate made
# here), whose signature lands behind the archive.
#   packed_by_vqpack.sh VQPACK.exe PROBE.exe
set -euo pipefail
vqpack=${1:?vqpack.exe}
probe=${2:?launch_probe.exe}
build=${VQ_BUILD_DIR:?}
source_dir=${VQ_SOURCE_DIR:?}
run="$source_dir/scripts/wine-run.sh"
work="$build/tests/extractor/e2e/vqpack"
rm -rf "$work"
mkdir -p "$work/source/sub/deeper" "$work/source/bin" "$work/logs" "$work/cert"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
fail() { echo "FAIL: $*" >&2; exit 1; }

head -c 300000 /dev/urandom >"$work/source/random.bin"
printf 'hello\r\n' >"$work/source/hello.txt"
: >"$work/source/sub/empty.txt"
seq 1 20000 >"$work/source/sub/deeper/numbers.txt"
cp "$probe" "$work/source/bin/probe.exe"

# project NAME EXTRA-LINES: a project file whose output is NAME.exe.
project() {
  cat >"$work/$1.vqx" <<VQX
[Varnoquist]
Version=1.2
ProjectName=$1
SourceFolder=$(winpath "$work/source")\\
Password=
ExtractionFolder=*AppDir*\\$1-out
IconFile=
OutputFile=$(winpath "$work/$1.exe")
Checkbox1=1
Checkbox2=0
Checkbox3=0
CompressLevel=9
OverwriteMode=0
$2
VQX
}

# extracts NAME.exe (args...) and compares the result with the source folder.
extract_and_compare() {
  local exe=$1 out=$2
  shift 2
  "$run" "$work/$exe" "$@" || fail "$exe ended with exit code $?"
  diff -r "$work/source" "$work/$out" || fail "$exe extracted something else"
  ls "$build"/wine/prefix/drive_c/users/*/Temp/VQ*.tmp >/dev/null 2>&1 &&
    fail "$exe left its meta data copy behind"
  return 0
}

project plain ""
"$run" "$vqpack" "$(winpath "$work/plain.vqx")" >/dev/null || fail "vqpack failed"
extract_and_compare plain.exe plain-out
echo "ok: vqpack output extracts"

project launch "ExecFile0=bin\\probe.exe
CmdLine0=*Command*
WinState0=*MinimizeWin*"
"$run" "$vqpack" "$(winpath "$work/launch.vqx")" >/dev/null || fail "vqpack failed"
export VQ_PROBE_LOG_DIR=$(winpath "$work/logs")
extract_and_compare launch.exe launch-out -x a b
for _ in $(seq 50); do grep -q ended "$work/logs/probe.exe.log" 2>/dev/null && break; sleep 0.2; done
grep -qx 'args=-x a b' "$work/logs/probe.exe.log" || fail "launch arguments: $(cat "$work/logs/probe.exe.log")"
grep -qx 'show=2' "$work/logs/probe.exe.log" || fail "show command: $(cat "$work/logs/probe.exe.log")"
echo "ok: launch entry started with the packed executable's arguments"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/cert/key.pem" -out "$work/cert/cert.pem" \
  -days 2 -subj /CN=VarnoquistTest >/dev/null 2>&1
osslsigncode sign -certs "$work/cert/cert.pem" -key "$work/cert/key.pem" \
  -in "$work/plain.exe" -out "$work/signed.exe" >/dev/null
osslsigncode extract-signature -in "$work/signed.exe" -out "$work/cert/sig.der" >/dev/null 2>&1 ||
  fail "no signature in signed.exe"
[ "$(stat -c %s "$work/signed.exe")" -gt "$(stat -c %s "$work/plain.exe")" ] || fail "signature missing"
rm -rf "$work/plain-out"  # the signed copy extracts where the plain one did
extract_and_compare signed.exe plain-out
echo "ok: signed packed executable extracts"
