#!/usr/bin/env bash
# Builds the Linux edition, fills a search-bench home (once) with about 650 MB of cached content, of which about
# 290 MB is text, and a Chromium cache beside it whose every second text body is gzip-encoded; installs ripgrep
# when it is missing, warms the page cache and runs the search benchmarks beside grep, ripgrep and zcat | grep.
# Then prints the ratios: the search ignoring case to ripgrep's, on plain files (the goal: at most 1.0), and the
# search of the gzip bodies to zcat | grep's over the same bodies (the goal: at most 1.5).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rg > /dev/null; then
  sudo=$([[ $(id -u) == 0 ]] || echo sudo)
  $sudo apt-get install -y ripgrep || { $sudo apt-get update && $sudo apt-get install -y ripgrep; }
fi
scripts/build.sh linux
export HOARDSCOPE_SEARCH_BENCH_HOME="${HOARDSCOPE_SEARCH_BENCH_HOME:-$PWD/build/search-bench-home}"
home=$HOARDSCOPE_SEARCH_BENCH_HOME
if [[ ! -f "$home/cache/index.db" ]]; then
  build/linux/bin/make-cache --home "$home" --entries 80000 --avg-size 8192 --seed 7
fi
if [[ ! -d "$home/chromium" ]]; then
  build/linux/bin/make-cache --home "$home/chromium" --format chromium --entries 40000 --avg-size 8192 --seed 7
fi
find "$home/cache" "$home/chromium" -type f -exec cat {} + > /dev/null
results=build/search-bench.json
build/linux/bin/hoardscope_bench --benchmark_filter='Search|Grep|Ripgrep' --benchmark_out="$results" \
  --benchmark_out_format=json "$@"
python3 - "$results" <<'EOF'
import json, sys
# With --benchmark_repetitions, the medians stand for each benchmark; else its one run.
runs = json.load(open(sys.argv[1]))["benchmarks"]
chosen = [b for b in runs if b.get("aggregate_name") == "median"] or [b for b in runs if b.get("run_type") != "aggregate"]
times = {b["name"].split("/")[0]: b["real_time"] for b in chosen}
def ratio(ours, theirs, goal, what):
    if ours in times and theirs in times:
        print(f"{what}: {times[ours]:.0f} ms / {times[theirs]:.0f} ms = {times[ours] / times[theirs]:.2f}x (goal <= {goal}x)")
print("ratios of wall times:")
ratio("BM_SearchIgnoreCase", "BM_RipgrepFi", 1.0, "plain files, ignoring case, to rg -l -F -i")
ratio("BM_SearchCaseSensitive", "BM_RipgrepF", 1.0, "plain files, case-sensitive, to rg -l -F")
ratio("BM_SearchIgnoreCaseLetters", "BM_RipgrepFiLetters", 1.0, "plain files, a needle no file holds, to rg -l -F -i")
ratio("BM_SearchGzipIgnoreCase", "BM_ZcatGrepFi", 1.5, "gzip bodies, ignoring case, to zcat | grep -c -F -i")
ratio("BM_SearchGzipCaseSensitive", "BM_ZcatGrepF", 1.5, "gzip bodies, case-sensitive, to zcat | grep -c -F")
EOF
