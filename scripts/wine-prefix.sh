#!/usr/bin/env bash
# Creates the project's 32-bit Wine prefix once and reuses it.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
stamp="$WINEPREFIX/.brivanta-ready"
[ -f "$stamp" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$stamp" ] && exit 0
echo "Creating the Wine prefix $WINEPREFIX (once)" >&2
"$WINE" wineboot -i >/dev/null 2>&1 || true
# Chinese texts: let every face Windows programs ask for fall back to a CJK font.
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "SimSun" "NSimSun" "宋体" "新宋体" "Microsoft YaHei" "MS Sans Serif"; do
  "$WINE" reg add "$key" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 || true
done
# Without a window manager (Xvfb) Wine draws the window frames and captions itself.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
wineserver -w
touch "$stamp"
