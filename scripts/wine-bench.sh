#!/usr/bin/env bash
# The Wine test bench of one build tree: its own WINEPREFIX and its own Xvfb
# display, both under BUILD_DIR/wine. Started and stopped by pid, never by name.
#   wine-bench.sh start BUILD_DIR   start Xvfb, create/refresh the prefix
#   wine-bench.sh stop BUILD_DIR    end the prefix's processes and our Xvfb
#   wine-bench.sh env BUILD_DIR     print the variables (for eval)
set -euo pipefail
cmd=${1:?start|stop|env}
build=$(cd "${2:?build dir}" && pwd)
dir="$build/wine"
mkdir -p "$dir"
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A 64-bit build tree runs under Wine's 64-bit loader alone: on a machine that
# cannot run 32-bit code, the wine script would pick the 32-bit one and fail.
if grep -q 'x86_64-w64-mingw32' "$build/CMakeCache.txt" 2>/dev/null; then
  wine=/usr/lib/wine/wine64
else
  wine=wine
fi

xvfb_alive() {
  [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null
}
server_alive() {
  [ -f "$dir/wineserver.pid" ] && kill -0 "$(cat "$dir/wineserver.pid")" 2>/dev/null
}

case "$cmd" in
  start)
    if ! xvfb_alive; then
      n=91
      while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
      setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
      echo $! >"$dir/xvfb.pid"
      echo ":$n" >"$dir/display"
      for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      [ -e "/tmp/.X11-unix/X$n" ] || { echo "wine-bench: Xvfb did not start" >&2; exit 1; }
    fi
    export DISPLAY=$(cat "$dir/display")
    if ! server_alive; then
      if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w || true
      fi
      # Our own persistent server, started here with its output on /dev/null:
      # a server (and the services it starts) that a test's first Wine process
      # brought up would hold that test's pipes, and ctest would wait on them.
      setsid wineserver -f -p </dev/null >/dev/null 2>&1 &
      echo $! >"$dir/wineserver.pid"
      sock="/tmp/.wine-$(id -u)/server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")/socket"
      for _ in $(seq 100); do [ -S "$sock" ] && break; sleep 0.1; done
      # Unmanaged windows: without a window manager, Wine waits 2 s for one on
      # every hidden or destroyed top-level window. Unmanaged, it draws frames
      # and captions itself, so screenshots show them too.
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
    fi
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    if server_alive; then kill "$(cat "$dir/wineserver.pid")" 2>/dev/null || true; fi
    if xvfb_alive; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$dir/xvfb.pid" "$dir/display" "$dir/wineserver.pid"
    ;;
  env)
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' VQ_WINE='$wine'"
    [ -f "$dir/display" ] && echo "export DISPLAY='$(cat "$dir/display")'"
    ;;
  *) echo "usage: $0 start|stop|env BUILD_DIR" >&2; exit 2 ;;
esac
