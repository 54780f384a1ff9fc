#!/usr/bin/env bash
# Loads the embedded demo web (resources/demo) into the cache store of a hoardscope home, but only when that cache
# holds no entries at all, so running it again, or on a home in use, changes nothing.
#
#   scripts/load-demo.sh HOME_DIR [HOARDSCOPE_BINARY]
#
# HOARDSCOPE_BINARY defaults to build/linux/bin/hoardscope of this repository. If an entry cannot be added, the
# entries added before it are removed again, so a later run starts from an empty cache once more.
set -euo pipefail

usage() {
  echo "usage: load-demo.sh HOME_DIR [HOARDSCOPE_BINARY]" >&2
  exit 2
}

fail() {
  echo "load-demo: $*" >&2
  exit 1
}

if (($# < 1 || $# > 2)) || [[ -z "$1" ]]; then
  usage
fi
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
demo="$repo/resources/demo"
home="$1"
hoardscope="${2:-$repo/build/linux/bin/hoardscope}"

[[ -x "$hoardscope" ]] || fail "no hoardscope executable at $hoardscope (build it first)"
[[ -f "$demo/manifest.tsv" ]] || fail "no demo manifest at $demo/manifest.tsv"
export HOARDSCOPE_HOME="$home"

# Every entry counts, of any type: the demo never goes into a cache that is in use.
listing="$("$hoardscope" cache list --all)" || fail "cannot read the cache of $home"
if [[ -n "$listing" ]]; then
  echo "load-demo: the cache of $home already holds entries; nothing loaded"
  exit 0
fi

added=()
remove_added() {
  local url
  for url in "${added[@]}"; do
    "$hoardscope" cache delete "$url" >/dev/null 2>&1 || echo "load-demo: could not remove $url again" >&2
  done
}

line_number=0
while IFS=$'\t' read -r -u 3 url file headers synced extra || [[ -n "$url" ]]; do
  line_number=$((line_number + 1))
  [[ -n "$url$file$headers$synced$extra" ]] || continue
  if [[ -z "$url" || -z "$synced" || -n "$extra" || ! -f "$demo/files/$file" || ! -f "$demo/headers/$headers" ]]; then
    remove_added
    fail "line $line_number of $demo/manifest.tsv is not URL, file, header file and time, or names a missing file"
  fi
  if ! "$hoardscope" cache add "$url" "$demo/files/$file" --headers-file "$demo/headers/$headers" \
      --synced "$synced" </dev/null; then
    remove_added
    fail "could not add $url; the demo entries added before it were removed again"
  fi
  added+=("$url")
done 3<"$demo/manifest.tsv"

echo "load-demo: ${#added[@]} demo entries loaded into the cache of $home"
