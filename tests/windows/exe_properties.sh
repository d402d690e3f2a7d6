#!/usr/bin/env bash
# The Windows executables are what a person can copy to a Windows PC and run:
# Kestro.exe is a GUI-subsystem program, kestro-replay.exe a console one, and
# neither needs mingw's DLLs (their runtimes are linked in).
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
[ -n "${KESTRO_OBJDUMP:-}" ] && [ -x "$KESTRO_OBJDUMP" ] || skip "no objdump for Windows executables"

check() {
  local exe=$1 subsystem=$2 headers dlls
  headers=$("$KESTRO_OBJDUMP" -p "$exe")
  grep -q "^Subsystem.*($subsystem)" <<<"$headers" || fail "$exe is not a $subsystem program"
  dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | sort -u)
  echo "$(basename "$exe") ($subsystem) imports: $(echo $dlls)"
  if grep -Eiq '^(lib.*|.*pthread.*|.*gcc.*|.*stdc\+\+.*)\.dll$' <<<"$dlls"; then
    fail "$exe needs a mingw DLL"
  fi
}

check "$KESTRO_EXE" "Windows GUI"
check "$KESTRO_REPLAY_EXE" "Windows CUI"
check "$KESTRO_WMI_SNAPSHOT_EXE" "Windows CUI"
[ "$(basename "$KESTRO_EXE")" = Kestro.exe ] || fail "the program is called $(basename "$KESTRO_EXE")"
echo "PASS"
