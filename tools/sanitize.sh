#!/usr/bin/env bash
# Builds the sanitizer variants and runs their tests:
#   AddressSanitizer + UndefinedBehaviorSanitizer over the whole test suite,
#   ThreadSanitizer over the engine, comm-layer, data-path and reliability tests.
#   tools/sanitize.sh [asan|tsan]     both when no argument is given
# KIVERN_ASAN_DIR and KIVERN_TSAN_DIR choose the build folders (default build-asan and
# build-tsan). Exits non-zero on any sanitizer report or failed test; prints ctest's summary.
set -uo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=${KIVERN_JOBS:-2}
asan_dir=${KIVERN_ASAN_DIR:-$top/build-asan}
tsan_dir=${KIVERN_TSAN_DIR:-$top/build-tsan}
what=${1:-all}
status=0

# Tests that TSan runs: the threads of the engine and the comm layer, and the dialog's data
# paths that cross them.
tsan_tests=(test_serial_port test_platform_comm test_platform_comm_termios test_datapath_open
  test_datapath_receive test_datapath_send test_reliability_cycles test_reliability_removal
  test_platform_append_writer test_datapath_live_log test_platform_comm_net test_script_engine
  test_dialog_script)

# Known reports from outside the program. Qt is not instrumented and its event queue locks
# with futexes TSan cannot see, so an event posted by another thread (the wake-up of the UI
# thread in WakeUiThreadLocked) looks unsynchronised when the UI thread reads it.
tsan_supp=$(mktemp)
trap 'rm -f "$tsan_supp"' EXIT
cat >"$tsan_supp" <<'SUPP'
called_from_lib:libQt6Core.so.6
called_from_lib:libQt6Gui.so.6
called_from_lib:libQt6Widgets.so.6
called_from_lib:libfontconfig.so.1
called_from_lib:libglib-2.0.so.0
race:WakeUiThreadLocked
SUPP

configure() {  # dir sanitizers
  cmake -S "$top" -B "$1" -DCMAKE_BUILD_TYPE=Debug -DKIVERN_TESTS=ON -DKIVERN_SANITIZE="$2" >/dev/null
}

# Runs ctest in dir (extra ctest arguments follow), keeps its log, and fails on a failed test
# or on any sanitizer report in the output.
run_ctest() {
  local dir=$1 name=$2
  shift 2
  local log="$dir/sanitize-$name.log"
  (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 "$@") >"$log" 2>&1
  local rc=$?
  grep -E '^[0-9]+% tests passed' "$log" | sed "s/^/$name: /"
  if [ $rc -ne 0 ]; then
    echo "$name: test failures, see $log" >&2
    grep -E '^\s+[0-9]+ - ' "$log" >&2 || true
    status=1
  fi
  if grep -qE 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|WARNING: ThreadSanitizer' "$log"; then
    echo "$name: sanitizer reports, see $log" >&2
    grep -E 'ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer' "$log" | sort | uniq -c | head -20 >&2
    status=1
  fi
}

if [ "$what" = all ] || [ "$what" = asan ]; then
  configure "$asan_dir" address,undefined || exit 1
  # Every test program, including those built twice from one source.
  targets=$(cmake --build "$asan_dir" --target help | grep -o '\btest_[A-Za-z0-9_]*' | sort -u)
  # The build lists each program's tests by running it; fontconfig's caches live until exit,
  # which LeakSanitizer would count as leaks.
  export ASAN_OPTIONS=detect_leaks=0
  # shellcheck disable=SC2086
  cmake --build "$asan_dir" -j"$jobs" --target $targets >"$asan_dir/sanitize-build.log" 2>&1 ||
    { echo "asan: build failed, see $asan_dir/sanitize-build.log" >&2; exit 1; }
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:halt_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest "$asan_dir" asan -j"$jobs" -E '^packaging_'
fi

if [ "$what" = all ] || [ "$what" = tsan ]; then
  configure "$tsan_dir" thread || exit 1
  cmake --build "$tsan_dir" -j"$jobs" --target "${tsan_tests[@]}" >"$tsan_dir/sanitize-build.log" 2>&1 ||
    { echo "tsan: build failed, see $tsan_dir/sanitize-build.log" >&2; exit 1; }
  # Only these programs are built there; ctest lists the others as *_NOT_BUILT. The packaging
  # checks belong to the plain build.
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$tsan_supp" \
    run_ctest "$tsan_dir" tsan -j"$jobs" -E '_NOT_BUILT$|^packaging_'
fi
exit $status
