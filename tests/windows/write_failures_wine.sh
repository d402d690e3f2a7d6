#!/usr/bin/env bash
# A write that fails half-way (a full disk, here a file-size limit of 0
# bytes) leaves the previous file as it was and no temporary file beside it,
# for both programs that share the writer; a read-only previous file is
# refused before anything is written (run-time error 5), also where the
# system would let the program open it for writing, as Wine run as root
# does. The Wine server must already run (scripts/test-windows.sh keeps
# one), as the limit would stop it too.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -n "${KESTRO_WINE_LOADER:-}" ] || skip "no wine loader"

fixture=$(desktop_fixture)
make_work_folder
replay="$(windows_path "$KESTRO_REPLAY_EXE") $fixture /PNP /File:r.ini"
snapshot="$(windows_path "$KESTRO_WMI_SNAPSHOT_EXE") wmi.json"

# name | output file | the failure line's end | program and arguments
cases=(
  "replay|r.ini|: cannot write the report file 'r.ini'.*|$replay"
  "wmi-snapshot|wmi.json|: cannot write the report file 'wmi.json'.*|$snapshot"
  "replay-read-only|r.ini| 5: cannot replace the report file 'r.ini': the file is read-only|$replay"
  "wmi-snapshot-read-only|wmi.json| 5: cannot replace the report file 'wmi.json': the file is read-only|$snapshot"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name output expected command <<<"$row"
  dir="$work/$name"
  plant_previous "$dir" "$output"
  full=yes
  # Wine shows a file that no one may write as read-only.
  if [[ "$name" == *-read-only ]]; then
    chmod a-w "$dir/$output"
    full=
  fi
  status=0
  # Wine itself, not the wrapper, whose files would be held to the limit too,
  # and standard error into a pipe for the same reason.
  # shellcheck disable=SC2086  # the command is words
  message=$(cd "$dir" && { [ -z "$full" ] || ulimit -f 0; } && trap '' XFSZ &&
    exec "$KESTRO_WINE_LOADER" $command 2>&1 >/dev/null </dev/null) || status=$?
  echo "$name: status $status; $message"
  [ "$status" -eq 1 ] || fail "$name: status $status, expected 1"
  tr -d '\r' <<<"$message" | grep -q "run-time error[0-9 ]*$expected\$" || fail "$name: no such message"
  expect_only_previous "$dir" "$output" "$name"
done
echo "PASS"
