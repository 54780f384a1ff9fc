#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into build/fuzz and
# runs each for SECONDS (default 60), starting from a few real inputs: the export-file reader, the header-block
# readers, the URL split, the registry values, the browsers' cache entry files, the walk of Chromium's blockfile
# cache and the HTML scanner's page titles and links. A finding stops the run with status 1, its input saved in
# build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(export_reader_fuzz header_block_fuzz url_split_fuzz registry_value_fuzz browser_cache_entry_fuzz
         blockfile_fuzz html_fuzz)
# Every library is built with the fuzzer's coverage hooks, so that the code under test guides it.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DHOARDSCOPE_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" >/dev/null
cmake --build build/fuzz --target "${targets[@]}" -j "$(nproc)"

seed() {  # seed TARGET NAME: the file's content from standard input
  mkdir -p "build/fuzz/corpus/$1"
  cat > "build/fuzz/corpus/$1/$2"
}
printf '' | seed export_reader_fuzz empty.hef
head -c 1032 /dev/zero | seed export_reader_fuzz zeros.hef
head -c 1500 /dev/urandom | seed export_reader_fuzz random.hef
printf 'HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\nLocation:  /next \r\nExpires: 0\r\n\r\n' |
  seed header_block_fuzz ok.txt
printf 'HTTP/1.1 302 Found\r\ncontent-type: image/gif\r\nX:\t\r\n' | seed header_block_fuzz redirect.txt
printf 'http://user:pw@www.example.com:8080/a/b/page[2].htm?q=1#top' | seed url_split_fuzz port.txt
printf 'https://h/dir/' | seed url_split_fuzz folder.txt
printf '\1\0\0\0AppFolder\0/opt/hoardscope' | seed registry_value_fuzz string.bin
printf '\4\0\0\0filtration\0\7\0\0\0' | seed registry_value_fuzz dword.bin
printf '\7\0\0\0List\0one\0two\0\0' | seed registry_value_fuzz multi.bin
for entry in tests/data/browser-caches/chromium/*_0 tests/data/browser-caches/firefox/entries/*; do
  seed browser_cache_entry_fuzz "$(basename "$entry")" < "$entry"
done
# Records of the blockfile cache Chromium wrote for the tests (data_1's blocks 0-15, past its 8 KiB header),
# heading three chains.
{ printf '\2\0\1\240\10\0\1\240\14\0\1\240#|#'
  dd if=tests/data/browser-caches/chromium-blockfile/data_1 bs=256 skip=32 count=16 status=none; } |
  seed blockfile_fuzz records.bin

for page in tests/data/browser-site/*.html; do
  { printf '\0'; cat "$page"; } | seed html_fuzz "$(basename "$page")"
done
printf '\1\377\376<\0t\0i\0t\0l\0e\0>\0H\0i\0' | seed html_fuzz utf16.html

mkdir -p build/fuzz/findings
# The targets write a file per input (an export file, a registry store): in memory where the system offers it.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
for target in "${targets[@]}"; do
  log="build/fuzz/$target.log"
  if ! "build/fuzz/bin/$target" -max_total_time="$seconds" -max_len=4200 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/findings/ "build/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target found a fault; its input is in build/fuzz/findings" >&2
    exit 1
  fi
  echo "fuzz: $target ran ${seconds}s: $(grep -Eo 'cov: [0-9]+' "$log" | tail -n 1), \
$(grep -E '^stat::number_of_executed_units' "$log" | grep -Eo '[0-9]+') inputs"
done
