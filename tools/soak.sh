#!/usr/bin/env bash
# The long run: streams the checked pattern into the dialog at 921600-baud pace for 30 minutes
# (timed sends every 10 ms, saves, clears and display switches meanwhile), pulls the device
# 100 times through the real notification thread, and cycles the port 1000 times while data
# streams. Each step checks every byte, descriptors, threads, and prints its figures.
#   tools/soak.sh [minutes]       default 30; KIVERN_SOAK_BUILD_DIR picks the build (build-soak)
# KIVERN_STREAM_BAUD, KIVERN_REMOVALS, KIVERN_CYCLES and KIVERN_DIALOG_CYCLES change the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
minutes=${1:-30}
build=${KIVERN_SOAK_BUILD_DIR:-$top/build-soak}
# A new build folder is a Release build; an existing one keeps its type.
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" >/dev/null
else
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKIVERN_TESTS=ON >/dev/null
fi
cmake --build "$build" -j2 --target test_reliability_stream test_reliability_removal \
  test_reliability_cycles >/dev/null
export QT_QPA_PLATFORM=offscreen
status=0
run() {  # program, then environment assignments
  local prog=$1
  shift
  echo "== $prog $*"
  if ! env "$@" "$build/tests/$prog" 2>&1 | grep -a -E '^\[ *(figures|FAILED|OK) *\]|Failure|Which is|Expected'; then
    status=1
  fi
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
}
run test_reliability_stream KIVERN_STREAM_SECONDS=$((minutes * 60)) \
  KIVERN_STREAM_BAUD="${KIVERN_STREAM_BAUD:-921600}"
run test_reliability_removal KIVERN_REMOVALS="${KIVERN_REMOVALS:-100}" \
  KIVERN_REMOVALS_NOTIFIED="${KIVERN_REMOVALS:-100}"
run test_reliability_cycles KIVERN_CYCLES="${KIVERN_CYCLES:-1000}" \
  KIVERN_DIALOG_CYCLES="${KIVERN_DIALOG_CYCLES:-1000}"
[ $status -eq 0 ] && echo "soak: passed" || echo "soak: FAILED" >&2
exit $status
