#!/usr/bin/env bash
# A run that writes a file loads no Qt library: the dynamic loader's own
# account of every object it loads (LD_DEBUG=libs, which covers dlopen too)
# names no Qt library (a program linked statically loads nothing at all). As
# a control, the same account names Qt once the run has become kestro-viewer,
# for a run with /SHOWDIALOG that fails at the display (skipped where the
# viewer was not built).
# Usage: file_mode_loads_no_qt.sh KESTRO-REPLAY SNAPSHOT
set -euo pipefail
replay=$1 snapshot=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# loaded_objects NAME COMMAND...: runs COMMAND and prints the objects it loaded.
loaded_objects() {
  local name=$1
  shift
  mkdir "$work/$name"
  env LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/$name/ld" "$@" || true
  # A static program has no loader to keep an account: no file at all.
  { cat "$work/$name"/ld.* 2>/dev/null || true; } | sed -n 's/.*calling init: //p' | sort -u
}

loaded=$(loaded_objects file-mode "$replay" "$snapshot" /PNP /Type1 /File:r.ini)
[ -s r.ini ] || { echo "FAIL: the file-mode run wrote no report"; exit 1; }
echo "file mode loaded $(grep -c . <<<"$loaded") objects:"
echo "$loaded" | sed 's/^/  /'
if grep -Ei 'libQt|kestro-viewer' <<<"$loaded"; then
  echo "FAIL: Qt is loaded in file mode"
  exit 1
fi
if ldd "$replay" 2>/dev/null | grep -i qt; then
  echo "FAIL: kestro-replay is linked against Qt"
  exit 1
fi

if [ ! -e "$(dirname "$(readlink -f "$replay")")/kestro-viewer" ]; then
  echo "PASS (no viewer built: control skipped)"
  exit 0
fi
unused=59999
while [ -e "/tmp/.X11-unix/X$unused" ]; do unused=$((unused - 1)); done
loaded=$(loaded_objects viewer-mode env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$unused" \
  "$replay" "$snapshot" /SHOWDIALOG 2>/dev/null)
if ! grep -q 'libQt6Widgets' <<<"$loaded"; then
  echo "FAIL: the control run loaded no Qt, so this check cannot see it:"
  echo "$loaded"
  exit 1
fi
echo "control: with /SHOWDIALOG $(grep -c 'libQt' <<<"$loaded") Qt libraries were loaded"
echo "PASS"
