#!/usr/bin/env bash
# An unattended run ends: on a desktop of a window station that is not
# visible (a service's, a task's run without a user) a failure shows no
# message box, which nobody could dismiss, but goes to standard error and,
# for Kestro.exe, to the Application event log (Wine writes the record as
# an "err:eventlog" line); /SHOWDIALOG is run-time error 1002. Each run must
# end with status 1 within seconds, leave the previous report as it was and
# nothing beside it. Kestro.exe --json fails as its INI run does: the same
# lines on standard error and in the log, and no Kestro.json.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -n "${KESTRO_HIDDEN_STATION_EXE:-}" ] || skip "no hidden-station-run.exe"

fixture=$(desktop_fixture)
make_work_folder

# name | program | arguments | the failure line starts with | recorded in the event log
cases=(
  "kestro|$KESTRO_EXE||Kestro: run-time error |yes"
  "kestro-json|$KESTRO_EXE|--json|Kestro: run-time error |yes"
  "kestro-dialog|$KESTRO_EXE|/SHOWDIALOG|Kestro: run-time error |yes"
  "replay-dialog|$KESTRO_REPLAY_EXE|$fixture /SHOWDIALOG|kestro-replay: run-time error 1002: the window cannot be shown: there is no desktop|no"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name program arguments line logged <<<"$row"
  dir="$work/$name"
  plant_previous "$dir" "Kestro.ini"
  # shellcheck disable=SC2086  # the arguments are words
  result=$(cd "$dir" && WINEDEBUG=-all,err+eventlog wine_run "$KESTRO_HIDDEN_STATION_EXE" 30000 \
    "$(windows_path "$program")" $arguments 2>"$work/$name.stderr" | tr -d '\r')
  stderr=$(tr -d '\r' <"$work/$name.stderr")
  echo "$name: $result; standard error: $stderr"
  [ "$result" = "exit=1" ] || fail "$name: '$result', expected exit=1 (a box nobody sees never returns)"
  grep -q "^$line" <<<"$stderr" || fail "$name: no line '$line...' on standard error"
  if [ "$logged" = yes ]; then
    grep -q "err:eventlog:ReportEventW L\"$line" <<<"$stderr" || fail "$name: the failure is not in the event log"
  fi
  expect_only_previous "$dir" "Kestro.ini" "$name"
  # Wine's log lines start with the number of the thread.
  sed 's/^[0-9a-f]*:err:/err:/' <<<"$stderr" >"$work/$name.lines"
done
cmp "$work/kestro.lines" "$work/kestro-json.lines" || fail "kestro-json: not the lines of the INI run"
echo "PASS"
