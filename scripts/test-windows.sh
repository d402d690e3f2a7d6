#!/usr/bin/env bash
# The Windows build and its tests on Debian 12: cross-builds Kestro.exe,
# kestro-replay.exe and the Windows tests with mingw-w64, then runs them all
# under Wine in a fresh, temporary Wine prefix with a virtual display (Xvfb).
# Installs what it needs with apt-get when it is missing. Exits non-zero when
# anything fails.
#
# Environment: KESTRO_LINUX_REPLAY, the Linux kestro-replay to compare
# reports with (built here when not given); KESTRO_WINDOWS_BUILD, the build
# folder (default build/windows, the preset's). Arguments go to ctest
# (-R viewer -V). Screenshots and the record of what Wine's WMI returned end
# up in <build>/test-artifacts.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

# Wine's fonts and X extensions are only recommended by its packages, which
# are installed without recommendations; the windows need them to look right.
packages=(
  cmake ninja-build nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix googletest
  wine wine64 fonts-wine libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3
  xvfb xdotool imagemagick
)
"$top/scripts/install-missing.sh" "${packages[@]}"

linux_replay=${KESTRO_LINUX_REPLAY:-}
if [ -z "$linux_replay" ]; then
  cmake -S "$top" -B "$top/build/linux-replay" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_BUILD_TESTS=OFF
  cmake --build "$top/build/linux-replay" --target kestro-replay
  linux_replay="$top/build/linux-replay/src/kestro-replay"
fi

# The "windows" preset: Release, warnings as errors, the mingw toolchain.
cd "$top"
if [ -n "${KESTRO_WINDOWS_BUILD:-}" ]; then
  build=$KESTRO_WINDOWS_BUILD
  cmake --preset windows -B "$build" -DKESTRO_LINUX_REPLAY="$linux_replay"
  cmake --build "$build"
else
  build=$top/build/windows
  cmake --preset windows -DKESTRO_LINUX_REPLAY="$linux_replay"
  cmake --build --preset windows
fi

# The Wine session: a new prefix, no debug output, Windows-1252 as the ANSI
# code page (an English locale), no downloads of Mono or Gecko.
session=$(mktemp -d "${TMPDIR:-/tmp}/kestro-wine.XXXXXX")
xvfb_pid=
cleanup() {
  WINEPREFIX="$session/prefix" wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT
export WINEPREFIX="$session/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" 2>"$session/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$session/display" ] && break; sleep 0.1; done
[ -s "$session/display" ] || { cat "$session/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$session/display")"

# A fresh prefix takes Wine a while to set up: done once, then one
# wineserver serves every test.
echo "Setting up the Wine prefix $WINEPREFIX on display $DISPLAY"
wineboot --init </dev/null >/dev/null 2>&1
wineserver --wait
wineserver --persistent

ctest --test-dir "$build" --output-on-failure --timeout 600 -j2 "$@"
