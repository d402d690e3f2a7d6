#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb, 1024 x 768 at 96 dpi) whose
# windows openbox manages, and gives its exit status. DISPLAY names that
# server for the command. Exits 77 (ctest: skipped) when the tools are not
# installed.
set -euo pipefail

for tool in Xvfb openbox xprop xwininfo xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/setup-debian.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts Xvfb (which picks a free display itself and writes its number once it
# takes clients) and openbox on it; openbox keeps its state under HOME, and a
# window shown before it has set its theme gets its frame late, so wait for
# that. Gives non-zero, with the logs on standard error, when either fails.
start_desktop() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$work/display")"
  HOME="$work" openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    xprop -root _OB_THEME 2>/dev/null | grep -q ' = "' && return 0
    sleep 0.1
  done
  echo "openbox did not start on $DISPLAY:" >&2
  cat "$work/openbox.log" >&2
  return 1
}

unset WAYLAND_DISPLAY QT_QPA_PLATFORM
# A display can be taken between Xvfb's choice and openbox's start by another
# server starting at the same moment: start afresh, up to three times.
started=false
for _ in 1 2 3; do
  if start_desktop; then
    started=true
    break
  fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  pids=()
done
$started || exit 1

mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
status=0
"$@" || status=$?
exit "$status"
