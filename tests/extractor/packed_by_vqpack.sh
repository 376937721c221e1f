#!/usr/bin/env bash
# A packed executable made by vqpack (the Windows build, under Wine) and signed with Authenticode
# (osslsigncode, a certificate made here), whose signature lands behind the archive, extracts its
# files under Wine.   packed_by_vqpack.sh VQPACK.exe
set -euo pipefail
run="${VQ_SOURCE_DIR:?}/scripts/wine-run.sh"
work="${VQ_BUILD_DIR:?}/tests/extractor/e2e/vqpack"
rm -rf "$work" && mkdir -p "$work/source/sub/deeper"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
fail() { echo "FAIL: $*" >&2; exit 1; }
head -c 300000 /dev/urandom >"$work/source/random.bin"
printf 'hello\r\n' >"$work/source/hello.txt"
: >"$work/source/sub/empty.txt"
seq 1 20000 >"$work/source/sub/deeper/numbers.txt"
printf '%s\n' '[Varnoquist]' Version=1.2 ProjectName=packed "SourceFolder=$(winpath "$work/source")\\" \
  Password= 'ExtractionFolder=*AppDir*\out' IconFile= "OutputFile=$(winpath "$work/packed.exe")" \
  Checkbox1=1 Checkbox2=0 Checkbox3=0 CompressLevel=9 OverwriteMode=0 >"$work/packed.vqx"
"$run" "${1:?vqpack.exe}" "$(winpath "$work/packed.vqx")" >/dev/null || fail "vqpack failed"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj /CN=VarnoquistTest >/dev/null 2>&1
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -in "$work/packed.exe" -out "$work/signed.exe" >/dev/null
osslsigncode extract-signature -in "$work/signed.exe" -out "$work/sig.der" >/dev/null 2>&1 || fail "signed.exe unsigned"
"$run" "$work/signed.exe" || fail "signed.exe ended with exit code $?"
diff -r "$work/source" "$work/out" || fail "signed.exe extracted something else"
echo "ok: the signed packed executable extracts its files"
