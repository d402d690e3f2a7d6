#!/usr/bin/env bash
# Builds the Debian packages kestro and kestro-viewer from a release build of
# their own (build/package-build, prefix /usr, no tests) into build/packages/,
# then has lintian check them: an error fails the build, warnings are shown.
# Then the Windows installer and zip (scripts/build-windows-packages.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/package-build
packages=$top/build/packages

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DKESTRO_BUILD_TESTS=OFF -DKESTRO_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build"

rm -rf "$packages"
mkdir -p "$packages"
# fakeroot: dpkg-shlibdeps and the staging run as an ordinary user too; the
# archive records root as every file's owner either way.
(cd "$build" && fakeroot cpack -B "$packages/cpack" >/dev/null)
mv "$packages"/cpack/*.deb "$packages"/
rm -rf "$packages/cpack"

lintian --fail-on error --tag-display-limit 0 --allow-root "$packages"/*.deb
ls -l "$packages"

"$top/scripts/build-windows-packages.sh"
