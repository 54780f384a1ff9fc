#!/usr/bin/env bash
# Sets up, builds every edition and runs every test: the Linux suites natively, again under AddressSanitizer and
# UndefinedBehaviorSanitizer (the linux-asan preset), the fuzz targets for a short fixed time each, and the
# portable unit tests as Windows executables under wine64; then builds the packages and installs, runs and removes
# each. The 32-bit Windows build is compiled, linked and packaged but cannot run here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh linux linux-asan mingw-x86_64 mingw-i686
status=0
ctest --preset linux --output-on-failure || status=1
ctest --preset linux-asan --output-on-failure || status=1
scripts/fuzz.sh 20 || status=1
ctest --preset mingw-x86_64 --output-on-failure || status=1
tests/packages/run.sh || status=1
exit $status
