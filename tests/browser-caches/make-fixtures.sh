#!/usr/bin/env bash
# Lets Debian's chromium and firefox-esr, headless and with fresh profiles, visit a small loopback site (the files
# of tests/data/browser-site, on two ports; its frame is shown by 127.0.0.1 and by localhost, two sites, so that each
# browser keeps it under two keys) and copies the disk caches they leave behind into OUTDIR/chromium and
# OUTDIR/firefox. The browsers run with HOME set to HOMEDIR (default: a temporary folder removed at the end), so
# that a kept HOMEDIR holds both caches in their usual places. Prints nothing on success; status 2 when a
# browser is missing, 1 when a run fails (its log is shown).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
site="$here/../data/browser-site"
[[ $# -ge 1 ]] || { echo "usage: $0 OUTDIR [HOMEDIR]" >&2; exit 64; }
out="$1"
for browser in chromium firefox-esr; do
  command -v "$browser" >/dev/null || { echo "make-fixtures: $browser is not installed" >&2; exit 2; }
done

if [[ $# -ge 2 ]]; then
  home="$2"
  mkdir -p "$home"
else
  home="$(mktemp -d)"
  trap 'rm -rf "$home"' EXIT
fi
home="$(cd "$home" && pwd)"
mkdir -p "$out"
logs="$home/browser-logs"
mkdir -p "$logs"

coproc server { exec python3 -u "$here/site-server.py" "$site"; }
read -r -t 30 -u "${server[0]}" port1 port2 || { echo "make-fixtures: the site server did not start" >&2; exit 1; }
pages=("http://127.0.0.1:$port1/index.html" "http://localhost:$port1/second.html"
       "http://127.0.0.1:$port2/entities.html" "http://127.0.0.1:$port2/cafe-latin1.html")

run() {  # run LOG COMMAND...: the browser under a generous limit, its output kept in LOG and shown on failure
  local log="$1"
  shift
  if ! HOME="$home" timeout --kill-after=10 180 "$@" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "make-fixtures: $1 failed" >&2
    exit 1
  fi
}

chromium_flags=(--headless=new --no-sandbox --user-data-dir="$home/.config/chromium" --no-first-run
                --disable-gpu --disable-background-networking --disable-component-update --disable-sync)
for page in "${pages[@]}"; do
  run "$logs/chromium.log" chromium "${chromium_flags[@]}" --dump-dom "$page"
done
# The blockfile backend, Chromium's default on Windows, in a profile of its own kept small; it also sees a page
# whose picture is too big for a block and has a key too long for its entry record.
blockfile_flags=(--headless=new --no-sandbox --user-data-dir="$home/blockfile" --no-first-run --disable-gpu
                 --disable-background-networking --disable-component-update --disable-sync
                 --enable-features=DiskCacheBackendExperiment:backend/blockfile --disk-cache-size=1000000)
for page in "${pages[@]}" "http://127.0.0.1:$port1/gallery.html"; do
  run "$logs/chromium-blockfile.log" chromium "${blockfile_flags[@]}" --dump-dom "$page"
done

profile="$home/.mozilla/firefox/fixtures.default"
run "$logs/firefox-profile.log" firefox-esr --headless -CreateProfile "fixtures $profile"
cat > "$profile/user.js" <<'PREFS'
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("app.update.auto", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("browser.safebrowsing.update.enabled", false);
user_pref("extensions.update.enabled", false);
PREFS
for page in "${pages[@]}"; do
  run "$logs/firefox.log" firefox-esr --headless --profile "$profile" --screenshot "$logs/page.png" "$page"
done
exec {server[1]}>&-

copy() {  # copy FROM TO: a cache folder, whole
  [[ -d "$1" ]] || { echo "make-fixtures: no cache in $1" >&2; exit 1; }
  rm -rf "$2"
  cp -r "$1" "$2"
}
copy "$home/.cache/chromium/Default/Cache/Cache_Data" "$out/chromium"
copy "$home/blockfile/Default/Cache/Cache_Data" "$out/chromium-blockfile"
copy "$home/.cache/mozilla/firefox/fixtures.default/cache2" "$out/firefox"
