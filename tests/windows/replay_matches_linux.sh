#!/usr/bin/env bash
# kestro-replay.exe under Wine writes, for every snapshot fixture and set of
# switches, the same bytes as the Linux kestro-replay: the same report file
# (or none), the same exit status and the same failure message.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -n "${KESTRO_LINUX_REPLAY:-}" ] && [ -x "$KESTRO_LINUX_REPLAY" ] ||
  skip "no Linux kestro-replay to compare with (configure with -DKESTRO_LINUX_REPLAY=...)"

fixtures=("$KESTRO_SOURCE_DIR"/tests/windows/fixtures/*.json)
shopt -s nullglob
fixtures+=("$KESTRO_SOURCE_DIR"/tests/fixtures/*.json "$KESTRO_SOURCE_DIR"/tests/fixtures/*/*.json)
shopt -u nullglob
switch_sets=("" "/PNP /Type1" "/DRIVER /type1 /pnpx /File:r.ini")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
compared=0
failures=0
for fixture in "${fixtures[@]}"; do
  for switches in "${switch_sets[@]}"; do
    linux="$work/linux" windows="$work/windows"
    rm -rf "$linux" "$windows"
    mkdir -p "$linux/out" "$windows/out"
    # The switches hold no path with a space, so both platforms read them alike.
    linux_status=0
    (cd "$linux/out" && "$KESTRO_LINUX_REPLAY" "$fixture" $switches >"$linux/stdout" 2>"$linux/stderr") ||
      linux_status=$?
    windows_status=0
    (cd "$windows/out" && wine_run "$KESTRO_REPLAY_EXE" "$(windows_path "$fixture")" $switches \
      >"$windows/stdout" 2>"$windows/stderr") || windows_status=$?
    tr -d '\r' <"$windows/stderr" >"$windows/stderr.lf"

    name="$(basename "$fixture") [${switches:-no switches}]"
    problems=()
    [ "$linux_status" = "$windows_status" ] || problems+=("exit status $linux_status on Linux, $windows_status on Windows")
    cmp -s "$linux/stderr" "$windows/stderr.lf" || problems+=("messages differ: $(diff "$linux/stderr" "$windows/stderr.lf" | head -5)")
    [ "$(ls -A "$linux/out")" = "$(ls -A "$windows/out")" ] ||
      problems+=("files written: Linux [$(ls -A "$linux/out")], Windows [$(ls -A "$windows/out")]")
    for file in "$linux/out"/*; do
      [ -e "$file" ] || continue
      cmp "$file" "$windows/out/$(basename "$file")" >/dev/null 2>&1 ||
        problems+=("$(basename "$file") differs: $(cmp "$file" "$windows/out/$(basename "$file")" 2>&1)")
    done
    compared=$((compared + 1))
    if [ ${#problems[@]} -eq 0 ]; then
      echo "same: $name (exit $linux_status, files: $(ls -A "$linux/out" | tr '\n' ' '))"
    else
      failures=$((failures + 1))
      echo "DIFFERENT: $name"
      printf '  %s\n' "${problems[@]}"
    fi
  done
done
echo "$compared runs compared, $failures different"
[ "$failures" -eq 0 ] || fail "the Windows build writes different reports"
echo "PASS"
