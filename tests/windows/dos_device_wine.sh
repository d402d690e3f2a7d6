#!/usr/bin/env bash
# A DOS device name given with /File: (COM1, and in a folder sub\com1.ini) is
# written where it stands, never replaced by a file renamed over it: the
# report reaches the port, and the prefix's dosdevices/com1 stays the link
# it was; a port that cannot be opened is a one-line run-time error. Under
# Wine COM1 is this machine's /dev/ttyS0, so the runs happen in a private
# mount namespace where a scratch file stands over every serial and parallel
# port, with the prefix seen through an overlay and its own Wine server (the
# session's server, outside the namespace, would open the real port).
# Skipped where no such namespace may be made.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"

# Inside the namespace: $2 the work folder.
if [ "${1:-}" = inside ]; then
  work=$2
  session_prefix=$WINEPREFIX
  export WINEPREFIX=$work/prefix
  mkdir -p "$work/upper" "$work/overlay-work" "$WINEPREFIX" "$work/ports" "$work/run/sub"
  mount -t overlay overlay -o "lowerdir=$session_prefix,upperdir=$work/upper,workdir=$work/overlay-work" \
    "$WINEPREFIX" 2>/dev/null || exit 77
  # Another device and inode for the prefix, so another Wine server, started
  # in here; never the session's.
  [ "$(stat -c %d:%i "$WINEPREFIX")" != "$(stat -c %d:%i "$session_prefix")" ] || fail "the overlay is the prefix itself"
  trap 'wineserver -k 2>/dev/null || true' EXIT
  for port in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/lp* /dev/parport*; do
    [ -e "$port" ] || continue
    : >"$work/ports/${port#/dev/}"
    mount --bind "$work/ports/${port#/dev/}" "$port" || exit 77
  done
  [ -f /dev/ttyS0 ] || fail "/dev/ttyS0 is not shadowed"

  cd "$work/run"
  fixture=$(desktop_fixture)
  wine_run "$KESTRO_REPLAY_EXE" "$fixture" /File:expected.ini
  # A port with no device behind it (Wine's COMn is /dev/ttyS<n-1>) cannot
  # be opened.
  rows=("COM1|0" 'sub\com1.ini|0')
  n=2
  while [ "$n" -lt 9 ] && [ -e "/dev/ttyS$((n - 1))" ]; do n=$((n + 1)); done
  [ -e "/dev/ttyS$((n - 1))" ] || rows+=("COM$n|1")
  for row in "${rows[@]}"; do
    IFS='|' read -r name expected_status <<<"$row"
    : >"$work/ports/ttyS0"
    status=0
    message=$(wine_run "$KESTRO_REPLAY_EXE" "$fixture" "/File:$name" 2>&1) || status=$?
    message=${message%$'\r'}
    echo "$name: status $status; ${message:-no message}"
    [ "$status" -eq "$expected_status" ] || fail "$name: status $status"
    if [ "$status" -eq 0 ]; then
      cmp "$work/ports/ttyS0" expected.ini || fail "$name: the port did not receive the report"
    elif [[ "$message" != "kestro-replay: run-time error "*": cannot create the report file '$name': "* ||
      "$message" == *$'\n'* ]]; then
      fail "$name: not the one line expected"
    fi
    [ -L "$WINEPREFIX/dosdevices/com1" ] || fail "$name: dosdevices/com1 is no longer a link"
    [ ! -f "$WINEPREFIX/dosdevices/com$n" ] || fail "$name: a file stands in COM$n's place"
    left=$(find . -mindepth 1 | sort | tr '\n' ' ')
    [ "$left" = "./expected.ini ./sub " ] || fail "$name: left $left"
  done
  timeout 60 wineserver -w
  exit 0
fi

require_wine
[ -n "${WINEPREFIX:-}" ] || skip "no Wine prefix of the session (run scripts/test-windows.sh)"
[ -e /dev/ttyS0 ] || skip "no /dev/ttyS0 for Wine's COM1"
unshare -m --propagation private true 2>/dev/null || skip "no private mount namespace may be made here"
make_work_folder
status=0
unshare -m --propagation private "$BASH" "$0" inside "$work" || status=$?
[ "$status" -ne 77 ] || skip "no overlay or bind mount may be made in a private mount namespace here"
[ "$status" -eq 0 ] || fail "status $status in the namespace"
[ -c /dev/ttyS0 ] || fail "the real /dev/ttyS0 is no longer a device"
echo "PASS"
