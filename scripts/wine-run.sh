#!/usr/bin/env bash
# Runs one Windows program under Wine in the bench of the build tree it lies in
# (ctest's emulator for the win32 configuration). Uses the running bench when
# there is one, else starts one for this run alone.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prog=${1:?program}
build=${VQ_BUILD_DIR:-}
if [ -z "$build" ]; then
  d=$(cd "$(dirname "$prog")" && pwd)
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  build=$d
fi
own=0
if [ ! -f "$build/wine/display" ] || ! kill -0 "$(cat "$build/wine/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
  "$here/wine-bench.sh" start "$build" || exit 1
  own=1
fi
eval "$("$here/wine-bench.sh" env "$build")"
"$VQ_WINE" "$@"
rc=$?
if [ $own = 1 ]; then "$here/wine-bench.sh" stop "$build"; fi
exit $rc
