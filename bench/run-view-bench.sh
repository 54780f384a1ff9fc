#!/usr/bin/env bash
# Builds the Linux edition, fills a bench home with 100,000 synthetic entries (once; and the same entries as a
# Chromium and a Firefox cache beside it) and runs the view benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh linux
export HOARDSCOPE_BENCH_HOME="${HOARDSCOPE_BENCH_HOME:-$PWD/build/bench-home}"
if [[ ! -f "$HOARDSCOPE_BENCH_HOME/cache/index.db" ]]; then
  build/linux/bin/make-cache --home "$HOARDSCOPE_BENCH_HOME" --entries 100000 --seed 1
fi
for format in chromium firefox; do
  [[ -d "$HOARDSCOPE_BENCH_HOME/$format" ]] ||
    build/linux/bin/make-cache --home "$HOARDSCOPE_BENCH_HOME/$format" --format "$format" --entries 100000 --seed 1
done
build/linux/bin/hoardscope_bench "$@"
