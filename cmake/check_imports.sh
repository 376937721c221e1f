#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that does not ship with Windows
# (a missing libgcc_s_dw2-1.dll or libstdc++-6.dll stops it from starting).
set -euo pipefail
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll advapi32.dll msvcrt.dll ole32.dll oleaut32.dll shlwapi.dll version.dll bcrypt.dll "
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$exe: no import table found" >&2; status=1; continue; }
  for d in $dlls; do
    case "$allowed" in
      *" $d "*) ;;
      *) echo "$exe imports $d, which Windows does not ship" >&2; status=1 ;;
    esac
  done
  echo "$(basename "$exe"): $(echo $dlls)"
done
exit $status
