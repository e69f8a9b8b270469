#!/usr/bin/env bash
# Takes a screenshot of the terminal's real window under Xvfb.
#   tools/screenshot.sh out.png [path/to/kivern] [seconds]
# The terminal runs in a scratch folder (its cmd.json is created there) on display :97.
set -euo pipefail
out=$(realpath -m "${1:-kivern.png}")
bin=$(realpath "${2:-build/kivern}")
wait_s=${3:-3}
display=:97
scratch=$(mktemp -d)
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT
sleep 1
(cd "$scratch" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$bin") >/dev/null 2>&1 &
app=$!
sleep "$wait_s"
DISPLAY=$display import -window root "$out"
echo "$out"
