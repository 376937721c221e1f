#!/usr/bin/env bash
# A packed executable made by vqpack (the Windows build, under Wine) with a
# launch entry, run under Wine; then the same one signed with Authenticode
# (osslsigncode, a certificate made here), whose signature lands behind the
# archive, run again.   packed_by_vqpack.sh VQPACK.exe PROBE.exe
set -euo pipefail
run="${VQ_SOURCE_DIR:?}/scripts/wine-run.sh"
work="${VQ_BUILD_DIR:?}/tests/extractor/e2e/vqpack"
rm -rf "$work" && mkdir -p "$work/source/sub/deeper" "$work/source/bin" "$work/logs"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
fail() { echo "FAIL: $*" >&2; exit 1; }
head -c 300000 /dev/urandom >"$work/source/random.bin"
printf 'hello\r\n' >"$work/source/hello.txt"
: >"$work/source/sub/empty.txt"
seq 1 20000 >"$work/source/sub/deeper/numbers.txt"
cp "${2:?launch_probe.exe}" "$work/source/bin/probe.exe"
printf '%s\n' '[Varnoquist]' Version=1.2 ProjectName=packed "SourceFolder=$(winpath "$work/source")\\" \
  Password= 'ExtractionFolder=*AppDir*\out' IconFile= "OutputFile=$(winpath "$work/packed.exe")" \
  Checkbox1=1 Checkbox2=0 Checkbox3=0 CompressLevel=9 OverwriteMode=0 'ExecFile0=bin\probe.exe' \
  'CmdLine0=*Command*' 'WinState0=*MinimizeWin*' >"$work/packed.vqx"
"$run" "${1:?vqpack.exe}" "$(winpath "$work/packed.vqx")" >/dev/null || fail "vqpack failed"
export VQ_PROBE_LOG_DIR=$(winpath "$work/logs")
log="$work/logs/probe.exe.log"

# Runs EXE with the arguments -x a b and compares what it extracted with the
# source folder, and what the probe logged with what it should have got.
extract_and_compare() {
  rm -rf "$work/out" "$log"
  "$run" "$work/$1" -x a b || fail "$1 ended with exit code $?"
  for _ in $(seq 50); do grep -q ended "$log" 2>/dev/null && break; sleep 0.2; done
  diff -r "$work/source" "$work/out" || fail "$1 extracted something else"
  ! ls "$VQ_BUILD_DIR"/wine/prefix/drive_c/users/*/Temp/VQ*.tmp >/dev/null 2>&1 || fail "$1 left its meta data copy"
  grep -qx 'args=-x a b' "$log" && grep -qx 'show=2' "$log" || fail "$1 started the probe so: $(cat "$log")"
  echo "ok: $1 extracts and starts its launch entry with the arguments"
}
extract_and_compare packed.exe
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj /CN=VarnoquistTest >/dev/null 2>&1
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -in "$work/packed.exe" -out "$work/signed.exe" >/dev/null
osslsigncode extract-signature -in "$work/signed.exe" -out "$work/sig.der" >/dev/null 2>&1 || fail "signed.exe unsigned"
extract_and_compare signed.exe
