#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into build/fuzz and
# runs the export-file reader's target for SECONDS (default 60), starting from a few real export files.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DHOARDSCOPE_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer" >/dev/null
cmake --build build/fuzz --target export_reader_fuzz -j "$(nproc)"
corpus=build/fuzz/export-corpus
mkdir -p "$corpus"
printf '' > "$corpus/empty.hef"
head -c 1032 /dev/zero > "$corpus/zeros.hef"
head -c 1500 /dev/urandom > "$corpus/random.hef"
build/fuzz/bin/export_reader_fuzz -max_total_time="$seconds" -max_len=4200 "$corpus"
