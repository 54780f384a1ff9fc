#!/usr/bin/env bash
# Sets up, builds the Linux edition, sets up the demo home (its data folder and registry keys), loads the embedded
# demo web into the demo home (when its cache is empty) and
# opens the browser window with the Hoardscope bar over it. Where there is no display, the window runs under Xvfb
# with a demo page selected; its screenshot is saved and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh linux
export HOARDSCOPE_HOME="${HOARDSCOPE_HOME:-$PWD/build/demo-home}"
scripts/install-home.sh "$HOARDSCOPE_HOME" build/linux/bin/hoardscope
scripts/load-demo.sh "$HOARDSCOPE_HOME" build/linux/bin/hoardscope
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec build/linux/bin/hoardscope
fi
screenshot="$PWD/build/hoardscope-demo.png"
xvfb-run -a build/linux/bin/hoardscope --screenshot "$screenshot" --select http://www.example.com/
echo "run: no display here, so the window ran under Xvfb; its screenshot: $screenshot"
