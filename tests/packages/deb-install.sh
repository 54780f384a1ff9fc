#!/usr/bin/env bash
# Installs the Debian package of build/packages, runs the installed program as a new user would (a fresh HOME:
# the window with its bar under Xvfb, the tree, the man page) and removes the package, which must leave none of
# its files behind. Needs root (or sudo) and no installed hoardscope package.
set -euo pipefail
cd "$(dirname "$0")/../.."
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
deb=$(ls build/packages/hoardscope_*_amd64.deb)
work=$(mktemp -d)
cleanup() {
  dpkg-query -W hoardscope >/dev/null 2>&1 && "${sudo_cmd[@]}" apt-get remove -y -q hoardscope >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "./$deb" >/dev/null
mapfile -t files < <(dpkg -L hoardscope)
[[ $(command -v hoardscope) == /usr/bin/hoardscope ]] || { echo "hoardscope is not on PATH from /usr/bin"; exit 1; }

# The installed program finds its libraries without LD_LIBRARY_PATH and sets up a fresh home at its first run,
# registering the installed module, so the window shows the bar.
mkdir -p "$work/window" "$work/tree"
HOME=$work/window QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a -s "-screen 0 1280x800x24" \
  hoardscope --screenshot "$work/window/shot.png"
[[ -s $work/window/shot.png ]] || { echo "no screenshot"; exit 1; }
HOME=$work/tree hoardscope tree >"$work/tree.txt"
grep -q . "$work/tree.txt" || { echo "hoardscope tree printed nothing"; exit 1; }
man -P cat hoardscope 2>/dev/null | grep -q "HOARDSCOPE_HOME" || { echo "man hoardscope shows no page"; exit 1; }

"${sudo_cmd[@]}" apt-get remove -y -q hoardscope >/dev/null
left=()
for file in "${files[@]}"; do
  [[ -e $file && ! -d $file ]] && left+=("$file")
done
[[ ! -e /usr/lib/hoardscope && ! -e /usr/share/hoardscope ]] || left+=(/usr/lib/hoardscope /usr/share/hoardscope)
((${#left[@]} == 0)) || { echo "left behind: ${left[*]}"; exit 1; }
echo "deb-install: installed, ran on a fresh home and removed cleanly"
