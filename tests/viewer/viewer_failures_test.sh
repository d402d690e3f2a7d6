#!/usr/bin/env bash
# kestro-replay /SHOWDIALOG where no window can be opened: each run ends with
# a run-time error that says why on one line, exit status 1 and no file
# written, and none waits for ever (each is given 30 seconds).
# Usage: viewer_failures_test.sh KESTRO-REPLAY SNAPSHOT KESTRO-VIEWER INSTALLED-DIR
# (INSTALLED-DIR: where an installed program finds kestro-viewer, from its own
# folder)
set -euo pipefail
replay=$1 snapshot=$2 viewer=$3 installed_dir=$4

work=$(mktemp -d)
listeners=()
trap 'kill "${listeners[@]}" 2>/dev/null; rm -rf "$work"' EXIT
failures=0

# start_mute_listener [SOCKET-PATH]: a server that takes connections and
# never says a word, at the Unix socket SOCKET-PATH, or else on the loopback
# at a free X display number n's port, 6000 + n; sets `listening` to the path
# or n.
start_mute_listener() {
  local out="$work/listener-${#listeners[@]}"
  python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX if sys.argv[1:] else socket.AF_INET)
for n in range(100, 1000):
    try:
        s.bind(sys.argv[1] if sys.argv[1:] else ("127.0.0.1", 6000 + n))
        break
    except OSError:
        pass
s.listen()
print(sys.argv[1] if sys.argv[1:] else n, flush=True)
time.sleep(600)
' "$@" >"$out" 2>&1 &
  listeners+=($!)
  for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
  listening=$(cat "$out")
}

# expect_failure NAME EXPECTED-MESSAGE-PATTERN COMMAND...: runs COMMAND in an
# empty directory.
expect_failure() {
  local name=$1 pattern=$2
  shift 2
  local dir="$work/$name" status=0
  mkdir "$dir"
  (cd "$dir" && timeout 30 "$@" >"$work/$name.out" 2>"$work/$name.err") || status=$?
  local problems=()
  [ "$status" -eq 1 ] || problems+=("exit status $status, expected 1")
  [ "$(wc -l <"$work/$name.err")" -eq 1 ] || problems+=("not one line")
  grep -Eq -- "$pattern" "$work/$name.err" || problems+=("message does not match '$pattern'")
  [ -z "$(ls -A "$dir")" ] || problems+=("files written: $(ls -A "$dir")")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $name: $(cat "$work/$name.err")"
  else
    echo "FAIL $name: ${problems[*]}; stderr: $(cat "$work/$name.err")"
    failures=$((failures + 1))
  fi
}

no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
expect_failure no-display '^kestro-replay: run-time error 1002: .*there is no display' \
  "${no_display[@]}" "$replay" "$snapshot" /SHOWDIALOG /File:r.ini

# A display number no X server listens on.
unused=59999
while [ -e "/tmp/.X11-unix/X$unused" ]; do unused=$((unused - 1)); done
expect_failure unreachable-x-server "^kestro-replay: run-time error 1002: .*X display ':$unused' .*cannot be opened" \
  "${no_display[@]}" DISPLAY=":$unused" "$replay" "$snapshot" /SHOWDIALOG

# An X server that takes the connection and never answers.
start_mute_listener
expect_failure mute-x-server "^kestro-replay: run-time error 1002: .*X display '127.0.0.1:$listening' \\(DISPLAY\\) cannot be opened: its X server did not answer within 5 seconds$" \
  "${no_display[@]}" DISPLAY="127.0.0.1:$listening" "$replay" "$snapshot" /SHOWDIALOG

# Qt platforms named in QT_QPA_PLATFORM that are not installed, or cannot start.
expect_failure missing-qt-platform "^kestro-replay: run-time error 1002: the window cannot be shown: no Qt platform plugin 'bogus' is installed \\(QT_QPA_PLATFORM\\)$" \
  "${no_display[@]}" QT_QPA_PLATFORM=bogus "$replay" "$snapshot" /SHOWDIALOG
expect_failure xcb-platform-without-x "^kestro-replay: run-time error 1002: the window cannot be shown: the X display ':$unused' .*cannot be opened" \
  "${no_display[@]}" QT_QPA_PLATFORM=xcb DISPLAY=":$unused" "$replay" "$snapshot" /SHOWDIALOG

# WAYLAND_DISPLAY naming a compositor that does not answer, with Qt's Wayland
# plugin installed or not, and no X server to fall back to.
mkdir -m 700 "$work/runtime"
wayland=("${no_display[@]}" XDG_RUNTIME_DIR="$work/runtime")
expect_failure dead-wayland "^kestro-replay: run-time error 1002: .*no Wayland compositor answers at '$work/runtime/wayland-dead' \\(WAYLAND_DISPLAY\\), and DISPLAY is not set$" \
  "${wayland[@]}" WAYLAND_DISPLAY=wayland-dead "$replay" "$snapshot" /SHOWDIALOG
expect_failure dead-wayland-dead-x "^kestro-replay: run-time error 1002: .*no Wayland compositor answers .*, and the X display ':$unused' .*cannot be opened" \
  "${wayland[@]}" WAYLAND_DISPLAY=wayland-dead DISPLAY=":$unused" "$replay" "$snapshot" /SHOWDIALOG
# A socket that takes the connection and never speaks Wayland.
start_mute_listener "$work/runtime/mute"
expect_failure mute-wayland "^kestro-replay: run-time error 1002: .*the Wayland compositor at '$work/runtime/mute' \\(WAYLAND_DISPLAY\\) did not answer within 5 seconds, and DISPLAY is not set$" \
  "${wayland[@]}" WAYLAND_DISPLAY=mute "$replay" "$snapshot" /SHOWDIALOG

# The executable alone, without the viewer beside it or where it is installed.
mkdir -p "$work/alone/bin"
cp "$replay" "$work/alone/bin/kestro-replay"
expect_failure viewer-missing "^kestro-replay: run-time error 1002: .*no viewer program found \\(looked for $work/alone/bin/kestro-viewer and $work/alone/.*/kestro-viewer;" \
  "$work/alone/bin/kestro-replay" "$snapshot" /SHOWDIALOG

# A viewer that cannot be started is reported, not passed over.
mkdir -p "$work/alone/bin/$installed_dir"
install -m 644 "$viewer" "$work/alone/bin/$installed_dir/"
expect_failure viewer-not-executable "^kestro-replay: run-time error 1002: .*cannot start '$work/alone/.*/kestro-viewer': Permission denied$" \
  "$work/alone/bin/kestro-replay" "$snapshot" /SHOWDIALOG

# Installed: the viewer in its folder relative to the program's, which gets
# as far as looking for a display.
chmod 755 "$work/alone/bin/$installed_dir/kestro-viewer"
expect_failure installed-viewer-found '^kestro-replay: run-time error 1002: .*there is no display' \
  "${no_display[@]}" "$work/alone/bin/kestro-replay" "$snapshot" /SHOWDIALOG

# Started through a symbolic link, the viewer is still found beside the real
# executable: the run gets as far as looking for a display.
mkdir "$work/linked"
ln -s "$replay" "$work/linked/kestro-replay"
expect_failure started-through-link '^kestro-replay: run-time error 1002: .*there is no display' \
  "${no_display[@]}" "$work/linked/kestro-replay" "$snapshot" /SHOWDIALOG

[ "$failures" -eq 0 ]
