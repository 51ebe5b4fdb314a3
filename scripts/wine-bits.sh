#!/usr/bin/env bash
# Prints 32 or 64: the Windows build that Wine runs on this machine (see wine-env.sh).
source "$(dirname "$0")/wine-env.sh"
echo "$BRIVANTA_WINE_BITS"
