#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while on its corpus.
#   fuzz/run.sh [seconds per target]     default 60; KIVERN_FUZZ_BUILD_DIR picks the build folder
# New inputs that reach new code are merged back into fuzz/corpus/<target>, so keep them.
# Exits non-zero when a target finds a fault (its crash-* file is left in the build folder).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
secs=${1:-60}
build=${KIVERN_FUZZ_BUILD_DIR:-$top/build-fuzz}
cmake -S "$top/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
status=0
for t in hex interval cmd_document; do
  work=$(mktemp -d)
  log="$build/fuzz_$t.log"
  if (cd "$build" && ./fuzz_$t -max_total_time="$secs" -max_len=65536 -print_final_stats=1 \
      "$work" "$top/fuzz/corpus/$t" >"$log" 2>&1); then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    echo "fuzz_$t: ${runs:-?} inputs tried, no fault"
  else
    echo "fuzz_$t: FAULT, see $log" >&2
    status=1
  fi
  "$build/fuzz_$t" -merge=1 "$top/fuzz/corpus/$t" "$work" >/dev/null 2>&1 || true
  rm -rf "$work"
done
exit $status
