#!/usr/bin/env bash
# Configures and builds the given presets (default: all three) into build/PRESET.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
((${#presets[@]})) || presets=(linux mingw-x86_64 mingw-i686)
for preset in "${presets[@]}"; do
  echo "build: $preset"
  started=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  echo "build: $preset took $((SECONDS - started)) s"
done
