#!/usr/bin/env bash
# Sets up, builds every edition and runs every test: the Linux suites natively, again under AddressSanitizer and
# UndefinedBehaviorSanitizer (the linux-asan preset), the fuzz targets for a short fixed time each, and the
# portable unit tests as Windows executables under wine64; then builds the packages and installs, runs and removes
# each. The 32-bit Windows build is compiled, linked and packaged but cannot run here.
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs one step and says how long it took; a failed step fails the run but does not stop the others.
status=0
step() {
  local started=$SECONDS
  "$@" || status=1
  echo "test.sh: $* took $((SECONDS - started)) s"
}

step scripts/setup.sh
((status == 0)) || exit 1
step scripts/build.sh linux linux-asan mingw-x86_64 mingw-i686
((status == 0)) || exit 1
step ctest --preset linux --output-on-failure
step ctest --preset linux-asan --output-on-failure
step scripts/fuzz.sh 10
step ctest --preset mingw-x86_64 --output-on-failure
step tests/packages/run.sh
exit $status
