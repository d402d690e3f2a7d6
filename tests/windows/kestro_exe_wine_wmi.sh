#!/usr/bin/env bash
# Kestro.exe itself against the machine's real WMI (in CI: Wine's). First
# kestro-wmi-snapshot.exe records what each of Kestro's queries returns here;
# kestro-replay.exe on that record says what Kestro.exe must do. Where the
# records make the run fail (Wine 8.0 gives the raw SMBIOS table's record
# with SMBiosData null), Kestro.exe must show that failure in a message box
# and, once the box is dismissed, end with the replay's status and no report
# file; with --json it must fail alike, writing no Kestro.json either.
# Otherwise it must write the same report as the replay.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_display

work=$(mktemp -d)
kestro_pid=
cleanup() {
  [ -n "$kestro_pid" ] && kill "$kestro_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/replay" "$KESTRO_ARTIFACTS"
switches=(/PNP /Type1)

# What WMI returns here, query by query.
wine_run "$KESTRO_WMI_SNAPSHOT_EXE" "$(windows_path "$work/wmi.json")"
# It holds serial numbers: its owner's, SYSTEM's and the Administrators'
# alone. Wine keeps a file's DACL as its Unix mode, where an ACE for
# Everyone would open it to others.
[ $((0$(stat -c %a "$work/wmi.json") & 7)) -eq 0 ] || fail "others may open the snapshot: $(stat -c %A "$work/wmi.json")"
cp "$work/wmi.json" "$KESTRO_ARTIFACTS/wmi-snapshot.json"
echo "WMI returned (kept as $KESTRO_ARTIFACTS/wmi-snapshot.json):"
cat "$work/wmi.json"

expected_status=0
(cd "$work/replay" && wine_run "$KESTRO_REPLAY_EXE" "$(windows_path "$work/wmi.json")" "${switches[@]}" \
  2>"$work/replay.stderr") || expected_status=$?
expected_message=$(tr -d '\r' <"$work/replay.stderr" | sed 's/^kestro-replay: /Kestro: /')
echo "expected from the replay: exit status $expected_status${expected_message:+, message: $expected_message}"

# Kestro.exe run in folder $1 with the arguments behind it, its message box
# (where the replay failed) read into shown and dismissed as a person would,
# with a screenshot named $2 unless that is empty; sets status.
run_kestro() {
  local dir=$1 picture=$2 box x y
  shift 2
  mkdir -p "$dir"
  (cd "$dir" && exec "$KESTRO_WINE" "$KESTRO_EXE" "$@") &
  kestro_pid=$!
  shown=
  if [ "$expected_status" -ne 0 ]; then
    # The box is a top-level window titled "Kestro"; xdotool finds it on the display.
    timeout 60 xdotool search --sync --onlyvisible --name '^Kestro$' >/dev/null ||
      fail "no message box titled Kestro appeared"
    box=$(wine_run "$KESTRO_PROBE_EXE" dialog Kestro 30000 | tr -d '\r') || fail "the message box is not a Windows dialog"
    echo "message box: $box"
    shown=$(probe_value "$box" text)
    [ -z "$picture" ] || screenshot "$picture"
    read -r _ x y <<<"$(probe_value "$box" button)"
    xdotool mousemove "$x" "$y" click 1
  fi
  wait_for_exit "$kestro_pid" 60
  status=$exit_status
  kestro_pid=
  echo "Kestro.exe $* ended with status $status; files written: [$(ls -A "$dir")]"
  [ "$status" != timeout ] || fail "Kestro.exe $* did not end"
}

run_kestro "$work/kestro" kestro-failure-box.png "${switches[@]}"
if [ "$expected_status" -ne 0 ]; then
  [ "$shown" = "$expected_message" ] || fail "the box says '$shown', expected '$expected_message'"
  if grep -q '"SMBiosData": null' "$work/wmi.json"; then
    [[ "$shown" == *"SMBiosData is null"* ]] || fail "the box does not name the null SMBiosData"
  fi
  [ "$status" -eq "$expected_status" ] || fail "Kestro.exe ended with status $status after a failure"
  [ -z "$(ls -A "$work/kestro")" ] || fail "Kestro.exe wrote a file after a failure"

  # --json changes nothing of the failure.
  run_kestro "$work/kestro-json" "" --json "${switches[@]}"
  [ "$shown" = "$expected_message" ] || fail "with --json the box says '$shown', expected '$expected_message'"
  [ "$status" -eq "$expected_status" ] || fail "Kestro.exe --json ended with status $status after a failure"
  [ -z "$(ls -A "$work/kestro-json")" ] || fail "Kestro.exe --json wrote a file after a failure"
else
  [ "$status" -eq 0 ] || fail "Kestro.exe failed where the replay did not"
  cmp "$work/replay/Kestro.ini" "$work/kestro/Kestro.ini" || fail "Kestro.exe wrote another report than the replay"
  cp "$work/kestro/Kestro.ini" "$KESTRO_ARTIFACTS/Kestro-under-wine.ini"
fi
echo "PASS"
