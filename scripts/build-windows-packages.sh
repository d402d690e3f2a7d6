#!/usr/bin/env bash
# Builds the Windows installer build/packages/Kestro-<version>-x64.msi (wixl)
# and build/packages/Kestro-<version>-x64.zip, which holds the same five files:
# Kestro.exe, kestro-replay.exe, kestro-wmi-snapshot.exe, README.txt (the
# README's Windows sections) and LICENSE.txt (the license and the notices of
# what the programs carry), both texts with CR LF line ends.
#
# The programs come from the Release build of the "windows" preset
# (KESTRO_WINDOWS_BUILD names another folder, as for scripts/test-windows.sh),
# so that the Windows tests run the very programs that are packaged and
# nothing is built twice; the version is the one that build was configured
# with (its kestro-version.env, made from project(VERSION)). Installs what it
# needs with apt-get when missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
packages=$top/build/packages
stage=$top/build/package-windows
build=${KESTRO_WINDOWS_BUILD:-$top/build/windows}

"$top/scripts/install-missing.sh" cmake ninja-build nlohmann-json3-dev python3 \
  g++-mingw-w64-x86-64-posix googletest wixl zip

cd "$top"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target Kestro kestro-replay kestro-wmi-snapshot
# The version as the build states it (cmake/Version.cmake): the programs say
# KESTRO_VERSION_TEXT ("1.00"); Windows Installer wants three numbers,
# KESTRO_PRODUCT_VERSION ("1.0.0").
# shellcheck source=/dev/null
source "$build/kestro-version.env"
name=Kestro-$KESTRO_VERSION_TEXT-x64

rm -rf "$stage"
mkdir -p "$stage" "$packages"
programs=(Kestro.exe kestro-replay.exe kestro-wmi-snapshot.exe)
for program in "${programs[@]}"; do
  x86_64-w64-mingw32-strip -o "$stage/$program" "$build/src/$program"
done
python3 "$top/scripts/readme_windows_text.py" "$top/README.md" >"$stage/README.txt"
cat "$top/LICENSE" "$top/packaging/windows/notices.txt" | sed 's/\r*$/\r/' >"$stage/LICENSE.txt"

# wixl finds the files named in the .wxs in the folder it runs in.
rm -f "$packages/$name.msi" "$packages/$name.zip"
(cd "$stage" && wixl -a x64 -D Version="$KESTRO_PRODUCT_VERSION" -D VersionText="$KESTRO_VERSION_TEXT" \
                     -o "$packages/$name.msi" "$top/packaging/windows/kestro.wxs")
(cd "$stage" && zip -q -X "$packages/$name.zip" "${programs[@]}" README.txt LICENSE.txt)
ls -l "$packages/$name.msi" "$packages/$name.zip"
