#!/usr/bin/env bash
# Builds the packages and runs both install tests: the Debian package on this machine, the 64-bit Windows
# installer in a fresh Wine prefix.
set -uo pipefail
cd "$(dirname "$0")/../.."
scripts/package.sh >/dev/null || { echo "install tests: 0 passed, 2 failed (the packages did not build)"; exit 1; }
passed=0 failed=0
for test in tests/packages/deb-install.sh tests/packages/msi-install.sh; do
  if "$test"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "install tests: $passed passed, $failed failed"
((failed == 0))
