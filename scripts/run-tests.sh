#!/usr/bin/env bash
# Every test on a fresh Debian 12 machine: installs what is needed, builds,
# and runs the whole suite, then the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz target for a bounded time
# (KESTRO_FUZZ_SECONDS each, default 60). The Debian packages are built (and
# checked by lintian) first, so that the suite can install them. Exits
# non-zero when anything fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup-debian.sh"

echo "== Debian packages"
"$top/scripts/build-packages.sh"

echo "== test suite (release build)"
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release -j2

echo "== test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize -j2

echo "== fuzz targets"
"$top/fuzz/run-fuzzers.sh" "${KESTRO_FUZZ_SECONDS:-60}"

echo "== the Windows build, under Wine"
KESTRO_LINUX_REPLAY="$top/build/release/src/kestro-replay" "$top/scripts/test-windows.sh"
