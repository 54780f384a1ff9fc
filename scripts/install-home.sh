#!/usr/bin/env bash
# The Linux edition's setup step for one home, as an installer does on Windows: `hoardscope setup` makes the data
# folder (AppFolder, which holds the help and the "Save Files" staging folder), the empty "Search History" key in
# the home's registry store, and registers the module installed beside the program. The browser window does the
# same by itself on a home that lacks it. Safe to run again; existing history is kept.
#
#   scripts/install-home.sh HOME_DIR [HOARDSCOPE_BINARY]
set -euo pipefail

if (($# < 1 || $# > 2)); then
  echo "usage: scripts/install-home.sh HOME_DIR [HOARDSCOPE_BINARY]" >&2
  exit 2
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
home=$(mkdir -p "$1" && cd "$1" && pwd)
binary=${2:-$repo/build/linux/bin/hoardscope}
[[ -x $binary ]] || { echo "install-home: no hoardscope binary at $binary" >&2; exit 1; }

HOARDSCOPE_HOME=$home "$binary" setup >/dev/null
echo "install-home: $home set up (AppFolder $home/app)"
