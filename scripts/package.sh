#!/usr/bin/env bash
# Builds the installable packages into build/packages: the Debian package of the Linux edition (CPack) and the
# Windows installers of the 32-bit and 64-bit builds (wixl), whose registry rows the Linux build's
# hoardscope-msi-registry takes from the module's own registration.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh linux mingw-i686 mingw-x86_64
out=build/packages
mkdir -p "$out"
version=$(sed -n 's/^project(Hoardscope VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

(cd build/linux && cpack -G DEB -B "$PWD/../packages" >/dev/null)
rm -rf "$out/_CPack_Packages"

msi() {  # msi BUILD ARCH WIN64
  local bin=build/$1/bin
  build/linux/bin/hoardscope-msi-registry "build/$1/hoardscope-registry.wxi" ${3:+--win64}
  wixl -a "$2" -D Version="$version" -D BinDir="$bin" -I "build/$1" -D Registry=hoardscope-registry.wxi \
    -D Win64="${3:-no}" \
    -o "$out/hoardscope-$version-$2.msi" packaging/windows/hoardscope.wxs
}
msi mingw-i686 x86
msi mingw-x86_64 x64 yes
ls -1 "$out"
