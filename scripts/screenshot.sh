#!/usr/bin/env bash
# Starts ZANTOR WIN under a virtual X server (Xvfb) on a label file and saves a screenshot
# of the screen, so anyone can look at the window without a display.
#   screenshot.sh [label.eti] [out.png]     (defaults: a new label, build/screenshot.png)
# ZANTOR_SCREEN sets the screen size (default 1280x800x24), ZANTOR_WAIT the seconds to wait
# for the window (default 3). ZANTOR_CLICKS clicks the left button at each screen point
# "x,y" of a space-separated list before the screenshot (e.g. to select an element).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=$(bash scripts/build.sh --quiet zantorwin | tail -n 1)
label=${1:-}
out=${2:-$dir/screenshot.png}
[ -n "$label" ] && label=$(realpath "$label")

# The first free display from :90 on.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "${ZANTOR_SCREEN:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
xpid=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xpid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

if [ -n "$label" ]; then
  DISPLAY=":$n" QT_QPA_PLATFORM=xcb "$dir/zantorwin" "$label" &
else
  DISPLAY=":$n" QT_QPA_PLATFORM=xcb "$dir/zantorwin" &
fi
app=$!
sleep "${ZANTOR_WAIT:-3}"
for xy in ${ZANTOR_CLICKS:-}; do
  DISPLAY=":$n" xdotool mousemove "${xy%,*}" "${xy#*,}" click 1
  sleep 0.5
done
DISPLAY=":$n" import -window root "$out"
echo "$out"
