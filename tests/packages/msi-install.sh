#!/usr/bin/env bash
# Installs the 64-bit Windows installer of build/packages into a fresh Wine prefix, checks every registry row it
# was built with, creates the download object from a real script client, runs the installed command line, and
# uninstalls: the files and the registration go, the user's settings and search history stay.
set -euo pipefail
cd "$(dirname "$0")/../.."
msi=$(ls build/packages/hoardscope-*-x64.msi)
rows=build/mingw-x86_64/hoardscope-registry.wxi
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fail() { echo "msi-install: $*"; exit 1; }
wine() { "$wine64" "$@" 2>/dev/null | tr -d '\r'; }
winepath() { wine winepath -w "$1"; }
registered() { wine reg query "$1" >/dev/null; }

"$wine64" wineboot -i >/dev/null 2>&1
"$wine64" msiexec /i "$(winepath "$msi")" /qn >/dev/null 2>&1 || fail "msiexec /i failed"
folder="$WINEPREFIX/drive_c/Program Files/Hoardscope"
for file in hoardscope.dll hoardscope.exe Hoardscope.chm; do [[ -f $folder/$file ]] || fail "$file not installed"; done

mapfile -t keys < <(sed -n 's/.*<RegistryValue Root="HKCR" Key="\([^"]*\)".*/\1/p' "$rows" | sort -u)
((${#keys[@]} > 5)) || fail "no registry rows in $rows"
for key in "${keys[@]}"; do registered "HKCR\\$key" || fail "HKCR\\$key missing after install"; done
wine reg query 'HKLM\Software\Pellix\Hoardscope' /v AppFolder | grep -q 'C:\\Program Files\\Hoardscope$' ||
  fail "AppFolder is not the install folder"
registered 'HKLM\Software\Pellix\Hoardscope\Search History' || fail "no Search History key"

printf 'var o = new ActiveXObject("Hoardscope.HSCDownload");\nWScript.Echo(typeof o);\n' >"$work/create.js"
[[ $(wine cscript //nologo "$(winepath "$work/create.js")") == object ]] ||
  fail "cscript could not create Hoardscope.HSCDownload"
wine "C:\\Program Files\\Hoardscope\\hoardscope.exe" tree >"$work/tree.txt" || fail "hoardscope.exe tree failed"

# What the user keeps: a setting and a search text.
wine reg add 'HKLM\Software\Pellix\Hoardscope' /v UseFilter /t REG_DWORD /d 1 /f >/dev/null
wine reg add 'HKLM\Software\Pellix\Hoardscope\Search History' /v key1 /t REG_SZ /d needle /f >/dev/null
"$wine64" msiexec /x "$(winepath "$msi")" /qn >/dev/null 2>&1 || fail "msiexec /x failed"
[[ ! -e $folder/hoardscope.dll && ! -e $folder/hoardscope.exe && ! -e $folder/Hoardscope.chm ]] ||
  fail "files left after uninstall"
for key in "${keys[@]}"; do ! registered "HKCR\\$key" || fail "HKCR\\$key left after uninstall"; done
! wine reg query 'HKLM\Software\Pellix\Hoardscope' /v AppFolder >/dev/null 2>&1 || fail "AppFolder left behind"
wine reg query 'HKLM\Software\Pellix\Hoardscope' /v UseFilter | grep -q 0x1 || fail "the user's setting was removed"
wine reg query 'HKLM\Software\Pellix\Hoardscope\Search History' /v key1 | grep -q needle ||
  fail "the search history was removed"
echo "msi-install: installed, registered, served cscript, ran hoardscope.exe and uninstalled cleanly"
