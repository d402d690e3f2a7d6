#!/usr/bin/env bash
# Every test on a fresh Debian 12 machine: installs what is needed, builds,
# and runs the whole suite. Exits non-zero when anything fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"

build="$top/build/test"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_BUILD_TESTS=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 600 -j2

# The Windows build, run under Wine.
KESTRO_LINUX_REPLAY="$build/src/kestro-replay" "$top/scripts/test-windows.sh"
