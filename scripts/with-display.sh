#!/usr/bin/env bash
# Runs a command on a private virtual X server (1920 x 1080) and stops it afterwards,
# together with the Wine server of the project's prefix.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { disp=":$n"; break; }
done
# Wine processes left from an earlier session would keep talking to its (gone) display.
wineserver -k >/dev/null 2>&1 || true
Xvfb "$disp" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xpid" 2>/dev/null
  wait "$xpid" 2>/dev/null
}
trap 'cleanup; exit 130' INT TERM
for _ in $(seq 50); do xdpyinfo -display "$disp" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY="$disp"
"$@"
rc=$?
cleanup
exit $rc
