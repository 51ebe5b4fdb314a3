#!/usr/bin/env bash
# Runs every benchmark and prints its figures: bench.sh NATIVE_DIR WINDOWS_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
win="$2"
for exe in "$win"/bench/*.exe; do
  echo "### $(basename "$exe")"
  "$here/wine-run" "$exe"
done
