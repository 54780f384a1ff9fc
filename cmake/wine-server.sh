#!/usr/bin/env bash
# CTest fixture of the Windows test run: "start" creates the prefix and keeps one wineserver alive for the
# whole run (each test then starts in well under a second); "stop" ends it.
export WINEPREFIX="${HOARDSCOPE_WINEPREFIX:?}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$1" in
  start)
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    "$(command -v wine64 || echo /usr/lib/wine/wine64)" wineboot --init </dev/null >/dev/null 2>&1
    exit 0 ;;
  stop)
    wineserver -k 2>/dev/null
    exit 0 ;;
esac
