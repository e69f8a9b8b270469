#!/bin/sh
# Builds the benchmarks in Release and prints the table.
#   bench/run.sh [--quick] [other kivern_bench options]
# BUILD_DIR (default: build-bench) is the build folder; the X display cases run under
# xvfb-run when it is installed (NO_XVFB=1 skips them).
set -e
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DKIVERN_BENCH=ON -DKIVERN_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target kivern_bench kivern_bench_logview kivern_bench_net kivern-vdev -j2 >/dev/null
BENCH="$BUILD_DIR/bench/kivern_bench"
QUICK=0
for a in "$@"; do [ "$a" = --quick ] && QUICK=1; done
echo "kivern benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(uname -r)"
if [ -z "$NO_XVFB" ] && command -v xvfb-run >/dev/null 2>&1; then
    # With a window manager where there is one, as on a desktop.
    xvfb-run -a -s "-screen 0 1920x1080x24" sh -c \
        'command -v openbox >/dev/null && { openbox >/dev/null 2>&1 & sleep 0.5; }; "$0" --xcb "$@"' \
        "$BENCH" "$@"
else
    "$BENCH" "$@"
fi
if [ "$QUICK" = 0 ]; then
    echo
    "$BUILD_DIR/bench/kivern_bench_logview" 9
    if { [ -x /usr/sbin/ser2net ] || command -v ser2net >/dev/null 2>&1; } && command -v socat >/dev/null 2>&1; then
        echo
        "$BUILD_DIR/bench/kivern_bench_net" 10 5
    fi
fi
