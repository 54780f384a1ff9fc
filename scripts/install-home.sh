#!/usr/bin/env bash
# The Linux edition's setup step for one home, as an installer does on Windows: the installed data folder
# (AppFolder, which holds the help and the "Save Files" staging folder), the empty "Search History" key in the
# home's registry store, and the registration of the module. Safe to run again; existing history is kept.
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

app="$home/app"
mkdir -p "$app/Save Files"
if [[ -d $repo/resources/help ]]; then
  mkdir -p "$app/help"
  cp -R "$repo/resources/help/." "$app/help/"
fi

key='HKLM\Software\Pellix\Hoardscope'
HOARDSCOPE_HOME=$home "$binary" reg add "$key" /v AppFolder /t REG_SZ /d "$app" /f >/dev/null
HOARDSCOPE_HOME=$home "$binary" reg add "$key\\Search History" /f >/dev/null
HOARDSCOPE_HOME=$home "$binary" regsvr /s
echo "install-home: $home set up (AppFolder $app)"
