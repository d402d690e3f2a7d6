#!/usr/bin/env bash
# kestro-replay /SHOWDIALOG on an X desktop (run under with_x11_desktop.sh):
# the window opens with its caption at the designed size, a screenshot is
# left for people to look at, closing it ends the process with status 0,
# and no file is written at any time.
# Usage: kestro_replay_window_test.sh KESTRO-REPLAY SNAPSHOT ARTEFACT-DIR
set -euo pipefail
replay=$1 snapshot=$2 artefacts=$3

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

"$replay" "$snapshot" /PNP /Type1 /SHOWDIALOG /File:r.ini &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ZQ System Information$' | head -n 1) ||
  fail "no window captioned 'ZQ System Information' appeared"
for _ in $(seq 50); do
  xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q ' = ' && break
  sleep 0.1
done
info=$(xwininfo -id "$window")
width=$(awk '/^  Width:/ {print $2}' <<<"$info")
height=$(awk '/^  Height:/ {print $2}' <<<"$info")
# 6825 x 5385 twips at 96 dpi
[ "$width x $height" = "455 x 359" ] || fail "client area $width x $height, expected 455 x 359"
[ "$(xdotool getwindowpid "$window")" = "$pid" ] || fail "the window is not kestro-replay's"

sleep 0.5  # painted
import -window root "$artefacts/kestro-replay-window.png" || fail "no screenshot"
echo "screenshot: $artefacts/kestro-replay-window.png"

kill -0 "$pid" 2>/dev/null || fail "kestro-replay ended while its window was open"
[ -z "$(ls -A)" ] || fail "files written while the window is open: $(ls -A)"

# Alt+F4 as a user would press it; on a busy machine a key pressed while the
# focus is still settling can go astray, so press it again, as a user would.
for _ in 1 2 3 4 5; do
  xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 2>/dev/null || true
  for _ in $(seq 20); do
    kill -0 "$pid" 2>/dev/null || break 2
    sleep 0.1
  done
done
status=0
kill -0 "$pid" 2>/dev/null && fail "kestro-replay still runs after its window was closed"
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status after closing the window"
[ -z "$(ls -A)" ] || fail "files written: $(ls -A)"
echo "PASS"
