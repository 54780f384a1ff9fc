#!/usr/bin/env bash
# Sets up, builds the Linux edition, loads the embedded demo web into the demo home (when its cache is empty) and
# runs the view over it, printing the whole tree.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh linux
export HOARDSCOPE_HOME="${HOARDSCOPE_HOME:-$PWD/build/demo-home}"
scripts/load-demo.sh "$HOARDSCOPE_HOME" build/linux/bin/hoardscope
build/linux/bin/hoardscope tree --all
