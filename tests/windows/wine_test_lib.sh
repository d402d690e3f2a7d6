# Shared by the Windows test scripts (sourced, not run). The programs under
# test come in through the environment that ctest sets (KESTRO_*); the Wine
# session (WINEPREFIX, DISPLAY) is the one scripts/test-windows.sh starts.

skip() {
  echo "SKIP: $*"
  exit 77
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

require_wine() {
  [ -n "${KESTRO_WINE:-}" ] || skip "no Wine to run Windows programs with"
}

require_display() {
  require_wine
  [ -n "${DISPLAY:-}" ] || skip "no display (run scripts/test-windows.sh, which starts Xvfb)"
  command -v xdotool >/dev/null || skip "xdotool is not installed"
}

wine_run() {
  "$KESTRO_WINE" "$@"
}

# Windows' view of a Unix path: Wine shows the Unix root as drive Z:.
windows_path() {
  printf 'Z:%s' "${1//\//\\}"
}

# Waits up to $2 seconds for process $1, a child of this shell, to end and
# sets exit_status to its exit status, or to "timeout" (ending it) when it
# does not end in time. (Not for a command substitution: its subshell cannot
# wait for this shell's children.)
wait_for_exit() {
  local pid=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      exit_status=0
      wait "$pid" || exit_status=$?
      return
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit_status=timeout
}

# The value of "key=" in win-probe output $1.
probe_value() {
  sed -n "/^$2=/{s/^$2=//p;q}" <<<"$1"
}

# A screenshot of the whole display, as a test artefact, once the windows
# have had a moment to follow their last change and paint.
screenshot() {
  mkdir -p "$KESTRO_ARTIFACTS"
  sleep 1
  import -window root "$KESTRO_ARTIFACTS/$1" && echo "screenshot: $KESTRO_ARTIFACTS/$1"
}

# Twips of the window system's pixels at $2 dots per inch, as the viewer
# turns them: pixels = round(twips * dpi / 1440).
twips_to_pixels() {
  awk -v t="$1" -v d="$2" 'BEGIN { v = t * d / 1440; printf "%d\n", (v < 0 ? -int(-v + 0.5) : int(v + 0.5)) }'
}

# Text1's size for an outer size of $1 pixels at $2 dpi, less $3 twips, and
# 0 where that is negative.
text1_pixels() {
  awk -v p="$1" -v d="$2" -v m="$3" 'BEGIN { t = p * 1440 / d - m; if (t < 0) t = 0; v = t * d / 1440; printf "%d\n", int(v + 0.5) }'
}

# Sets work to a new folder that is removed when the test ends.
make_work_folder() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

# The snapshot most runs use, as Windows names it.
desktop_fixture() {
  windows_path "$KESTRO_SOURCE_DIR/tests/windows/fixtures/tindrell-desktop-1252.json"
}

# A new folder $1 that holds only a previous file $2.
plant_previous() {
  mkdir -p "$1"
  printf 'previous\r\n' >"$1/$2"
}

# Fails (naming case $3) unless folder $1 still holds only the previous
# file $2, as it was.
expect_only_previous() {
  [ "$(cat "$1/$2")" = $'previous\r' ] || fail "$3: the previous file changed"
  [ "$(ls -A "$1")" = "$2" ] || fail "$3: left $(ls -A "$1" | tr '\n' ' ')"
}
