#!/usr/bin/env bash
# The extractor's corruption campaign at length: many damaged packed
# executables, each run under Wine in the bench of a Windows build tree.
# ctest runs a short one; this one takes a seed and a count.
#   corrupt-campaign.sh [SEED] [COUNT]     (defaults: a seed from the clock, 300)
# Environment: VQ_CAMPAIGN_BUILD (a configured win32 or win64 build tree;
# default: out/win32, or out/win64 where 32-bit code cannot run).
# Each variant's verdict goes to BUILD/tests/extractor/e2e/campaign/report.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
seed=${1:-$(date +%s)}
count=${2:-300}
build=${VQ_CAMPAIGN_BUILD:-}
if [ -z "$build" ]; then
  build=out/win32
  /usr/lib/wine/wine --version >/dev/null 2>&1 || build=out/win64
fi
preset=$(basename "$build")
[ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
cmake --build "$build" -j2 --target extractor_e2e_test >/dev/null
build=$(cd "$build" && pwd)
echo "corrupt-campaign: seed $seed, $count random variants, $build"
# The program's own output, no test timeout: wine-run.sh starts and stops the
# bench when none is running.
VQ_BUILD_DIR="$build" VQ_SOURCE_DIR="$PWD" \
  scripts/wine-run.sh "$build/tests/extractor/extractor_e2e_test.exe" --gtest_filter="Campaign.*" \
  --seed="$seed" --count="$count" </dev/null
