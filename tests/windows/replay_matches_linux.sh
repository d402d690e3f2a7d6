#!/usr/bin/env bash
# kestro-replay.exe under Wine writes, for every snapshot fixture and set of
# switches, the same bytes as the Linux kestro-replay: the same report file
# (or none), the INI report or with --json the JSON document, the same exit
# status and the same failure message. --json goes before or after the
# snapshot, also with more blanks behind it than the one space.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -n "${KESTRO_LINUX_REPLAY:-}" ] && [ -x "$KESTRO_LINUX_REPLAY" ] ||
  skip "no Linux kestro-replay to compare with (configure with -DKESTRO_LINUX_REPLAY=...)"

fixtures=("$KESTRO_SOURCE_DIR"/tests/windows/fixtures/*.json)
shopt -s nullglob
fixtures+=("$KESTRO_SOURCE_DIR"/tests/fixtures/*.json "$KESTRO_SOURCE_DIR"/tests/fixtures/*/*.json)
shopt -u nullglob
# The words before the snapshot | the words after it | "typed" where
# Windows is given the command line as it stands, blanks and all (through
# cmd, which hands its line over unchanged), not one made of the words.
word_sets=(
  "||"
  "|/PNP /Type1|"
  "|/DRIVER /type1 /pnpx /File:r.ini|"
  "|--json|"
  "--json|/PNP /Type1|"
  "|/PNP /File:r.json --json /type1|"
  "--json  |  /PNP|typed"
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
compared=0
failures=0
for fixture in "${fixtures[@]}"; do
  for words in "${word_sets[@]}"; do
    IFS='|' read -r before after typed <<<"$words"
    linux="$work/linux" windows="$work/windows"
    rm -rf "$linux" "$windows"
    mkdir -p "$linux/out" "$windows/out"
    # The words hold no path with a space, so both platforms read them alike.
    linux_status=0
    # shellcheck disable=SC2086  # they are words
    (cd "$linux/out" && "$KESTRO_LINUX_REPLAY" $before "$fixture" $after >"$linux/stdout" 2>"$linux/stderr") ||
      linux_status=$?
    # shellcheck disable=SC2206  # they are words
    command=("$KESTRO_REPLAY_EXE" $before "$(windows_path "$fixture")" $after)
    [ -z "$typed" ] || command=(cmd /c "$(windows_path "$KESTRO_REPLAY_EXE") $before $(windows_path "$fixture") $after")
    windows_status=0
    (cd "$windows/out" && wine_run "${command[@]}" >"$windows/stdout" 2>"$windows/stderr") || windows_status=$?
    tr -d '\r' <"$windows/stderr" >"$windows/stderr.lf"

    name="$(basename "$fixture") [${before:+$before }SNAPSHOT${after:+ $after}${typed:+, typed}]"
    problems=()
    [ "$linux_status" = "$windows_status" ] || problems+=("exit status $linux_status on Linux, $windows_status on Windows")
    cmp -s "$linux/stderr" "$windows/stderr.lf" ||
      problems+=("messages differ: $(diff "$linux/stderr" "$windows/stderr.lf" | head -5 || true)")
    [ "$(ls -A "$linux/out")" = "$(ls -A "$windows/out")" ] ||
      problems+=("files written: Linux [$(ls -A "$linux/out")], Windows [$(ls -A "$windows/out")]")
    for file in "$linux/out"/*; do
      [ -e "$file" ] || continue
      cmp "$file" "$windows/out/$(basename "$file")" >/dev/null 2>&1 ||
        problems+=("$(basename "$file") differs: $(cmp "$file" "$windows/out/$(basename "$file")" 2>&1 || true)")
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
