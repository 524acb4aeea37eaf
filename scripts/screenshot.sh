#!/usr/bin/env bash
# Starts a command under a virtual X display and saves a screenshot of the screen.
# usage: scripts/screenshot.sh OUT.png SECONDS command args...
set -euo pipefail
out=$1; wait=$2; shift 2
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display "$@" &
app=$!
sleep "$wait"
DISPLAY=$display import -window root "$out"
kill $app 2>/dev/null || true
wait $app 2>/dev/null || true
