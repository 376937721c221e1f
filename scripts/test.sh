#!/usr/bin/env bash
# Builds both configurations and runs every test: the native suites, then the
# Windows suites and system tests under Wine. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$jobs"

status=0
ctest --preset linux -j"$jobs" || status=1
ctest --preset win32 -j"$jobs" || status=1
exit $status
