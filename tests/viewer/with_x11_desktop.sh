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

# Xvfb picks a free display itself and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# openbox keeps its state under HOME; a window shown before it has set its
# theme gets its frame late, so wait for that.
HOME="$work" openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _OB_THEME 2>/dev/null | grep -q ' = "' && break
  sleep 0.1
done
if ! xprop -root _OB_THEME 2>/dev/null | grep -q ' = "'; then
  echo "openbox did not start on $DISPLAY:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
status=0
"$@" || status=$?
exit "$status"
