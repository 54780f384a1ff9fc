#!/usr/bin/env bash
# Runs one Windows test executable under wine64 in the test run's own prefix.
# HOARDSCOPE_WINEPREFIX is set by CTest; the prefix is created on first use.
export WINEPREFIX="${HOARDSCOPE_WINEPREFIX:-${TMPDIR:-/tmp}/hoardscope-wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
exec "$WINE" "$@"
