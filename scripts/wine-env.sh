# Sourced: the environment every Wine process of the project runs in.
#
# Brivanta is a 32-bit program and runs under 32-bit Wine wherever the kernel runs
# 32-bit Linux programs. Some kernels have that switched off (ia32_emulation=off),
# and 32-bit Wine cannot start there; the project then runs and tests its 64-bit
# build of the same sources under 64-bit Wine instead.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${BRIVANTA_WINE_BITS:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    BRIVANTA_WINE_BITS=32
  else
    BRIVANTA_WINE_BITS=64
  fi
fi
export BRIVANTA_WINE_BITS
if [ "$BRIVANTA_WINE_BITS" = 32 ]; then
  export WINEARCH=win32
  WINE=/usr/lib/wine/wine
else
  export WINEARCH=win64
  WINE=/usr/lib/wine/wine64
  export WINELOADER=$WINE
fi
export WINE
export WINEPREFIX="${BRIVANTA_WINEPREFIX:-$root/build/wineprefix$BRIVANTA_WINE_BITS}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
