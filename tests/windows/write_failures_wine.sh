#!/usr/bin/env bash
# A write that fails half-way (a full disk, here a file-size limit of 0
# bytes) leaves the previous file as it was and no temporary file beside it,
# for both programs that share the writer. The Wine server must already run
# (scripts/test-windows.sh keeps one), as the limit would stop it too.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -n "${KESTRO_WINE_LOADER:-}" ] || skip "no wine loader"

fixture=$(desktop_fixture)
make_work_folder

# name | output file | program and arguments
cases=(
  "replay|r.ini|$(windows_path "$KESTRO_REPLAY_EXE") $fixture /PNP /File:r.ini"
  "wmi-snapshot|wmi.json|$(windows_path "$KESTRO_WMI_SNAPSHOT_EXE") wmi.json"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name output command <<<"$row"
  dir="$work/$name"
  plant_previous "$dir" "$output"
  status=0
  # Wine itself, not the wrapper, whose files would be held to the limit too,
  # and standard error into a pipe for the same reason.
  # shellcheck disable=SC2086  # the command is words
  message=$(cd "$dir" && ulimit -f 0 && trap '' XFSZ && exec "$KESTRO_WINE_LOADER" $command 2>&1 >/dev/null </dev/null) ||
    status=$?
  echo "$name: status $status; $message"
  [ "$status" -eq 1 ] || fail "$name: status $status, expected 1"
  grep -q "run-time error .*: cannot write the report file '$output'" <<<"$message" || fail "$name: no such message"
  expect_only_previous "$dir" "$output" "$name"
done
echo "PASS"
