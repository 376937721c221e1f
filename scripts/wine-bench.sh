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

xvfb_alive() {
  [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null
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
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || true
    fi
    # A persistent server left running (a bench started by hand) never ends:
    # do not wait for it for ever.
    timeout 30 wineserver -w || true
    # A persistent server of our own, detached from our output: a server that
    # a test's first Wine process started would inherit that test's pipes and
    # keep ctest waiting on it until every other test had ended.
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
    # The first Wine process of a server starts the prefix's services
    # (services.exe, winedevice.exe, ...), which then live as long as the
    # server: start them here, detached, or they hold the first test's pipes.
    setsid wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    if xvfb_alive; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$dir/xvfb.pid" "$dir/display"
    ;;
  env)
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='"
    [ -f "$dir/display" ] && echo "export DISPLAY='$(cat "$dir/display")'"
    ;;
  *) echo "usage: $0 start|stop|env BUILD_DIR" >&2; exit 2 ;;
esac
