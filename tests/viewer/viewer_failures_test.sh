#!/usr/bin/env bash
# kestro-replay /SHOWDIALOG where no window can be opened: each run ends with
# a run-time error that says why, exit status 1 and no file written.
# Usage: viewer_failures_test.sh KESTRO-REPLAY SNAPSHOT
set -euo pipefail
replay=$1 snapshot=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect_failure NAME EXPECTED-MESSAGE-PATTERN COMMAND...: runs COMMAND in an
# empty directory.
expect_failure() {
  local name=$1 pattern=$2
  shift 2
  local dir="$work/$name" status=0
  mkdir "$dir"
  (cd "$dir" && "$@" >"$work/$name.out" 2>"$work/$name.err") || status=$?
  local problems=()
  [ "$status" -eq 1 ] || problems+=("exit status $status, expected 1")
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

# The executable alone, without the module beside it.
mkdir "$work/alone"
cp "$replay" "$work/alone/kestro-replay"
expect_failure module-missing '^kestro-replay: run-time error 1002: .*kestro-viewer-qt.so: cannot open shared object file' \
  "$work/alone/kestro-replay" "$snapshot" /SHOWDIALOG

# Started through a symbolic link, the module is still found beside the real
# executable: the run gets as far as looking for a display.
mkdir "$work/linked"
ln -s "$replay" "$work/linked/kestro-replay"
expect_failure started-through-link '^kestro-replay: run-time error 1002: .*there is no display' \
  "${no_display[@]}" "$work/linked/kestro-replay" "$snapshot" /SHOWDIALOG

[ "$failures" -eq 0 ]
