#!/usr/bin/env bash
# Starts Brivanta under Wine. Without a display: on a virtual X server, saves a
# screenshot to build/screenshot.png and ends the program.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="$(realpath "$1")"
"$here/wine-prefix.sh"
source "$here/wine-env.sh"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$WINE" "$exe"
fi
shot="$(realpath -m "${2:-$root/build/screenshot.png}")"
"$here/with-display.sh" bash -c '
  "$WINE" "$1" & pid=$!
  for _ in $(seq 100); do
    xdotool search --name "Brivanta V1.0" >/dev/null 2>&1 && break; sleep 0.2
  done
  sleep 1.5
  import -window root "$2"
  wid=$(xdotool search --name "Brivanta V1.0" | head -n1)
  [ -n "$wid" ] && xdotool key --window "$wid" Escape
  for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  wait $pid; rc=$?
  echo "Brivanta ended with exit code $rc; screenshot: $2"
' _ "$exe" "$shot"
