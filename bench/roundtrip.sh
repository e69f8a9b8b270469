#!/usr/bin/env bash
# Row 14: request/reply round trips per second over a pseudo-terminal: kivern --script running
# bench/roundtrip.lua against pyserial (python3-serial) running the same loop, both talking to
# kivern-vdev, their runs alternating. Median of RUNS (5) runs of N (2000) round trips.
#   bench/roundtrip.sh [N]      (BUILD_DIR: the build tree, default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
n=${1:-2000}
runs=${RUNS:-5}
python=/usr/bin/python3  # the system's, which has python3-serial
scratch=$(mktemp -d)
export KIVERN_PORTS_DIR=$scratch/ports XDG_CONFIG_HOME=$scratch/config
"$build/tools/kivern-vdev" -n 60 >"$scratch/vdev.out" &
vdev=$!
trap 'kill $vdev 2>/dev/null; wait $vdev 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -L "$scratch/ports/com60" ] && break; sleep 0.05; done
device=$(readlink "$scratch/ports/com60")
ours=() theirs=()
for i in $(seq "$runs"); do
    if [ $((i % 2)) -eq 1 ]; then
        ours+=("$("$build/kivern" COM60 -b 115200 --quiet --script bench/roundtrip.lua -- "$n")")
        theirs+=("$(cd bench && "$python" roundtrip.py "$device" "$n")")
    else
        theirs+=("$(cd bench && "$python" roundtrip.py "$device" "$n")")
        ours+=("$("$build/kivern" COM60 -b 115200 --quiet --script bench/roundtrip.lua -- "$n")")
    fi
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
k=$(median "${ours[@]}")
p=$(median "${theirs[@]}")
ratio=$(awk -v k="$k" -v p="$p" 'BEGIN {printf "%.2f", k / p}')
verdict=$(awk -v r="$ratio" 'BEGIN {print (r >= 1.0 ? "ok" : "MISS")}')
printf '| 14. round trips, %d per run | %10s /s | pyserial %8s /s | %6s | >= 1.00 | %s |\n' \
    "$n" "$k" "$p" "$ratio" "$verdict"
echo "runs: kivern ${ours[*]}; pyserial ${theirs[*]}"
