#!/usr/bin/env bash
# Runs a Windows program under Wine: the cross-compiling emulator of the
# mingw build (test discovery, ctest) and the test scripts' way to start one.
# The program's output passes through temporary files, not the caller's pipe:
# Wine's background processes (services.exe, explorer.exe), which a first
# program starts, inherit its standard handles and outlive it, and would keep
# a pipe open, and the caller waiting, long after the program has ended.
set -u
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
"${KESTRO_WINE_LOADER:-wine}" "$@" >"$out" 2>"$err" </dev/null || status=$?
cat "$out"
cat "$err" >&2
exit "$status"
