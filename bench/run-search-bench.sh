#!/usr/bin/env bash
# Builds the Linux edition, fills a search-bench home (once) with about 400 MB of cached content, of which well
# over 256 MB is text, warms the page cache and runs the search benchmarks beside grep.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh linux
export HOARDSCOPE_SEARCH_BENCH_HOME="${HOARDSCOPE_SEARCH_BENCH_HOME:-$PWD/build/search-bench-home}"
if [[ ! -f "$HOARDSCOPE_SEARCH_BENCH_HOME/cache/index.db" ]]; then
  build/linux/bin/make-cache --home "$HOARDSCOPE_SEARCH_BENCH_HOME" --entries 80000 --avg-size 8192 --seed 7
fi
cat "$HOARDSCOPE_SEARCH_BENCH_HOME"/cache/*/* > /dev/null 2>&1 || true
build/linux/bin/hoardscope_bench --benchmark_filter='Search|Grep' "$@"
