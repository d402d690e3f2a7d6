#!/usr/bin/env bash
# The viewer under Wine: kestro-replay.exe /SHOWDIALOG shows the report in the
# form KestroUI, captioned "ZQ System Information", with the whole report in
# its EDIT control; the control follows the window's outer size by the rule
# (300 twips narrower, 800 twips lower, never negative) through resizing,
# maximising, minimising and restoring; closing the window ends the process
# with status 0, and no file is written.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_display

fixture="$KESTRO_SOURCE_DIR/tests/windows/fixtures/tindrell-desktop-1252.json"
switches=(/PNP /Type1 /SHOWDIALOG)
work=$(mktemp -d)
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run" "$work/file"

# The text the window must hold: the report as the file writer writes it
# (Windows-1252, which holds every character of this fixture) without the
# file's final empty line.
wine_run "$KESTRO_REPLAY_EXE" "$(windows_path "$fixture")" /PNP /Type1 "/File:$(windows_path "$work/file/r.ini")"
iconv -f CP1252 -t UTF-8 "$work/file/r.ini" | head -c -2 >"$work/expected.txt"

(cd "$work/run" && exec "$KESTRO_WINE" "$KESTRO_REPLAY_EXE" "$(windows_path "$fixture")" "${switches[@]}") &
viewer_pid=$!
timeout 60 xdotool search --sync --onlyvisible --name '^ZQ System Information$' >/dev/null ||
  fail "no window captioned 'ZQ System Information' appeared"

state() { wine_run "$KESTRO_PROBE_EXE" viewer "$(windows_path "$work/text.txt")" | tr -d '\r'; }

# Text1 at its place and of its size for the window's present outer size.
check_layout() {
  local what=$1 s dpi_x dpi_y outer_w outer_h left top w h
  s=$(state) || fail "the KestroUI window is gone ($what)"
  read -r dpi_x dpi_y <<<"$(probe_value "$s" dpi)"
  read -r _ _ outer_w outer_h <<<"$(probe_value "$s" outer)"
  read -r left top w h <<<"$(probe_value "$s" edit)"
  echo "$what: outer ${outer_w}x${outer_h}, Text1 at ${left},${top} size ${w}x${h} (dpi $dpi_x)"
  [ "$left" = "$(twips_to_pixels 120 "$dpi_x")" ] && [ "$top" = "$(twips_to_pixels 120 "$dpi_y")" ] ||
    fail "$what: Text1 is at $left,$top"
  [ "$w" = "$(text1_pixels "$outer_w" "$dpi_x" 300)" ] || fail "$what: Text1 is $w wide for an outer width of $outer_w"
  [ "$h" = "$(text1_pixels "$outer_h" "$dpi_y" 800)" ] || fail "$what: Text1 is $h high for an outer height of $outer_h"
}

s=$(state) || fail "win-probe does not find the KestroUI window"
echo "$s"
[ "$(probe_value "$s" class)" = KestroUI ] || fail "the window's class is not KestroUI"
[ "$(probe_value "$s" caption)" = "ZQ System Information" ] || fail "wrong caption"
[ "$(probe_value "$s" visible)" = 1 ] || fail "the window is not visible"
[ "$(probe_value "$s" edit_class | tr '[:upper:]' '[:lower:]')" = edit ] || fail "Text1 is no EDIT control"
style=$(probe_value "$s" edit_style)
for bit in 0x4:ES_MULTILINE 0x40:ES_AUTOVSCROLL 0x80:ES_AUTOHSCROLL 0x100000:WS_HSCROLL 0x200000:WS_VSCROLL; do
  (( style & ${bit%%:*} )) || fail "Text1 lacks ${bit#*:} (style $style)"
done
(( style & 0x800 )) && fail "Text1 is read-only"
[ "$(probe_value "$s" edit_limit)" -gt 32767 ] || fail "Text1's text limit was not raised"
read -r dpi_x dpi_y <<<"$(probe_value "$s" dpi)"
read -r _ _ client_w client_h <<<"$(probe_value "$s" client)"
[ "$client_w" = "$(twips_to_pixels 6825 "$dpi_x")" ] && [ "$client_h" = "$(twips_to_pixels 5385 "$dpi_y")" ] ||
  fail "the initial client area is ${client_w}x${client_h}"
cmp "$work/expected.txt" "$work/text.txt" || fail "Text1 does not hold the report"
[[ "$(head -n 1 "$work/text.txt")" == "[BIOS Strings]"* ]] || fail "the report does not start at the top"
check_layout "first display"
screenshot viewer.png

wine_run "$KESTRO_PROBE_EXE" resize 800 600
check_layout "resized to 800x600"
screenshot viewer-800x600.png
wine_run "$KESTRO_PROBE_EXE" resize 250 120
check_layout "resized to 250x120"
wine_run "$KESTRO_PROBE_EXE" show maximize
check_layout "maximised"
screenshot viewer-maximised.png
wine_run "$KESTRO_PROBE_EXE" show minimize
check_layout "minimised"
wine_run "$KESTRO_PROBE_EXE" show restore
check_layout "restored (to maximised)"
wine_run "$KESTRO_PROBE_EXE" show restore
check_layout "restored (to its normal size)"

wine_run "$KESTRO_PROBE_EXE" close
wait_for_exit "$viewer_pid" 30
viewer_pid=
[ "$exit_status" = 0 ] || fail "closing the window ended the process with status $exit_status"
[ -z "$(ls -A "$work/run")" ] || fail "the viewer run wrote files: $(ls -A "$work/run")"
echo "PASS"
