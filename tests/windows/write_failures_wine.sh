#!/usr/bin/env bash
# A write that fails half-way (a full disk, here a file-size limit of 0
# bytes) leaves the previous file as it was and no temporary file beside it,
# for both programs that share the writer; a read-only previous file is
# refused before anything is written (run-time error 5), also where the
# system would let the program open it for writing, as Wine run as root
# does. The recorder's snapshot that cannot go to standard output fails its
# run too; its command line is answered as on Linux (--help, one output path
# at most) and writes nothing. kestro-replay.exe's help has the Windows lines
# for --json, and --json alone gives it no snapshot. The Wine server must
# already run (scripts/test-windows.sh keeps one), as the limit would stop it
# too.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -n "${KESTRO_WINE_LOADER:-}" ] || skip "no wine loader"

fixture=$(desktop_fixture)
make_work_folder
recorder=$(windows_path "$KESTRO_WMI_SNAPSHOT_EXE")
replay_exe=$(windows_path "$KESTRO_REPLAY_EXE")
replay="$replay_exe $fixture /PNP /File:r.ini"
snapshot="$recorder wmi.json"
cannot_write="run-time error [0-9]*: cannot write"

# name | exit status | file-size limit (none when empty) | previous file | a line of standard output or
# error | program and arguments
cases=(
  "replay|1|0|r.ini|kestro-replay: $cannot_write the report file 'r.ini'.*|$replay"
  "wmi-snapshot|1|0|wmi.json|kestro-wmi-snapshot: $cannot_write the report file 'wmi.json'.*|$snapshot"
  "replay-read-only|1||r.ini|kestro-replay: run-time error 5: cannot replace the report file 'r.ini': the file is read-only|$replay"
  "wmi-snapshot-read-only|1||wmi.json|kestro-wmi-snapshot: run-time error 5: cannot replace the report file 'wmi.json': the file is read-only|$snapshot"
  "wmi-snapshot-standard-output|1|0|wmi.json|kestro-wmi-snapshot: $cannot_write the snapshot to standard output: .*|$recorder"
  "wmi-snapshot-help|0||wmi.json|Usage: kestro-wmi-snapshot.exe \\[OUTPUT.json\\]|$recorder --help"
  "wmi-snapshot-two-outputs|2||wmi.json|kestro-wmi-snapshot: run-time error 1004: more than one output path given; usage: kestro-wmi-snapshot.exe \\[OUTPUT.json\\]|$recorder a.json b.json"
  "replay-help|0||r.ini|  --json        write the report as a JSON document instead, to Kestro.json|$replay_exe --help"
  "replay-help-json-word|0||r.ini|                unless /File: names another file; a word of its own, not a|$replay_exe --help"
  "replay-json-alone|2||r.ini|kestro-replay: run-time error 1004: no snapshot given; usage: kestro-replay.exe SNAPSHOT.json \\[switches\\]|$replay_exe --json"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name expected_status limit output expected command <<<"$row"
  dir="$work/$name"
  plant_previous "$dir" "$output"
  # Wine shows a file that no one may write as read-only.
  [[ "$name" != *-read-only ]] || chmod a-w "$dir/$output"
  status=0
  # Wine itself, not the wrapper, whose files would be held to the limit too,
  # and standard error into a pipe for the same reason.
  # shellcheck disable=SC2086  # the command is words
  message=$(cd "$dir" && { [ -z "$limit" ] || ulimit -f "$limit"; } && trap '' XFSZ &&
    exec "$KESTRO_WINE_LOADER" $command 2>&1 >"$work/$name.out" </dev/null) || status=$?
  echo "$name: status $status; $message"
  [ "$status" -eq "$expected_status" ] || fail "$name: status $status, expected $expected_status"
  { cat "$work/$name.out"; echo "$message"; } | tr -d '\r' | grep -x "$expected" >/dev/null ||
    fail "$name: no line '$expected'"
  expect_only_previous "$dir" "$output" "$name"
done
echo "PASS"
