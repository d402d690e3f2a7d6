#!/usr/bin/env bash
# The Windows installer as an administrator uses it, in a Wine prefix of this
# test's own: installed silently by the README's command line, the installed
# programs run (the README's scheduled-task command line with
# kestro-replay.exe in the place of Kestro.exe, which needs the machine's
# WMI), Kestro.exe's version record and message table read back, the
# event-log source registered; then removed by the README's command line,
# leaving no file and no key. Last, a newer version built from the same files
# replaces the installed one. Skipped when the MSI has not been built
# (./scripts/build-packages.sh).
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
require_wine
[ -f "${KESTRO_MSI:-}" ] || skip "no installer at '${KESTRO_MSI:-}' (./scripts/build-packages.sh builds it)"
command -v wixl >/dev/null || skip "no wixl to build a newer version with"
KESTRO_README=$KESTRO_SOURCE_DIR/README.md
source "$KESTRO_SOURCE_DIR/tests/packaging/readme_examples.sh"

work=$(mktemp -d)
export WINEPREFIX=$work/prefix
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wineboot --init </dev/null >/dev/null 2>&1
installed=$WINEPREFIX/drive_c/Program\ Files/Kestro
key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Kestro'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# Runs the README's one command line of KIND from the installer's folder.
run_readme_msiexec() {
  local command
  command=$(readme_examples "$1" msiexec | cut -d'|' -f2)
  [ -n "$command" ] || fail "no $1 command line in the README"
  # shellcheck disable=SC2086  # the command line's words
  (cd "$(dirname "$KESTRO_MSI")" && wine_run $command) || fail "'$command' ended with status $?"
}

expect_removed() {
  [ -z "$(ls -A "$installed" 2>/dev/null)" ] || fail "$1: left $(ls -A "$installed" | tr '\n' ' ')"
  ! wine_run reg query "$key" >/dev/null 2>&1 || fail "$1: the event-log source is still registered"
}

run_readme_msiexec windows-install
[ "$(ls "$installed" | tr '\n' ' ')" = "Kestro.exe LICENSE.txt README.txt kestro-replay.exe kestro-wmi-snapshot.exe " ] ||
  fail "installed: $(ls "$installed" | tr '\n' ' ')"
for text in README.txt LICENSE.txt; do
  [ "$(grep -vc $'\r$' "$installed/$text" || true)" = 0 ] || fail "$text has lines without CR LF"
done
version=$(wine_run 'C:\Program Files\Kestro\kestro-replay.exe' --version | tr -d '\r')
[ "$version" = "Kestro $KESTRO_VERSION_TEXT" ] || fail "the installed kestro-replay.exe --version says '$version'"
mkdir "$work/built" "$work/installed"
(cd "$work/built" && wine_run "$KESTRO_REPLAY_EXE" "$(desktop_fixture)" /PNP /Type1)
(cd "$work/installed" && wine_run 'C:\Program Files\Kestro\kestro-replay.exe' "$(desktop_fixture)" /PNP /Type1)
cmp "$work/built/Kestro.ini" "$work/installed/Kestro.ini" || fail "the installed replay wrote another report"
KESTRO_EXE='C:\Program Files\Kestro\Kestro.exe' wine_run "$KESTRO_VERSION_RECORD_EXE" >"$work/record.log" 2>&1 ||
  { cat "$work/record.log"; fail "the installed Kestro.exe's version record or message table"; }
registered=$(wine_run reg query "$key" | tr -d '\r')
echo "$registered"
grep -Eq '^ +EventMessageFile +REG_EXPAND_SZ +C:\\Program Files\\Kestro\\Kestro\.exe$' <<<"$registered" ||
  fail "EventMessageFile is not Kestro.exe as REG_EXPAND_SZ"
grep -Eq '^ +TypesSupported +REG_DWORD +0x7$' <<<"$registered" || fail "TypesSupported is not 7"

# The scheduled task's command line, as Task Scheduler starts it: in
# System32, with %COMPUTERNAME% expanded (here by cmd), into a folder made
# beforehand.
reports=$WINEPREFIX/drive_c/ProgramData/Kestro
while IFS='|' read -r sections command; do
  command=${command/\"C:\\Program Files\\Kestro\\Kestro.exe\"/\"C:\\Program Files\\Kestro\\kestro-replay.exe\" $(desktop_fixture)}
  mkdir -p "$reports"
  printf '@echo off\r\n%s\r\nexit /b %%errorlevel%%\r\n' "$command" >"$work/example.cmd"
  status=0
  (cd "$WINEPREFIX/drive_c/windows/system32" && wine_run cmd /c "$(windows_path "$work/example.cmd")") || status=$?
  check_example_run "$command" "$status" "$reports" "$sections" || fail "the README's task command line"
  rm -rf "$reports"
done < <(readme_examples windows '"C:\Program Files\Kestro\Kestro.exe"')

run_readme_msiexec windows-uninstall
expect_removed "uninstalled"

# A newer version (same files, same upgrade code) replaces the older one.
(cd "$work" && wine_run msiexec /i "$(windows_path "$KESTRO_MSI")" /qn)
newer=${KESTRO_PRODUCT_VERSION%.*}.$((${KESTRO_PRODUCT_VERSION##*.} + 1))
(cd "$installed" && wixl -a x64 -D Version="$newer" -D VersionText="$KESTRO_VERSION_TEXT" -o "$work/Kestro-newer.msi" \
                        "$KESTRO_SOURCE_DIR/packaging/windows/kestro.wxs")
wine_run msiexec /i "$(windows_path "$work/Kestro-newer.msi")" /qn
products=$(wine_run reg query "$uninstall_key" /s | tr -d '\r' | grep -E '^ +(DisplayName +REG_SZ +Kestro|DisplayVersion)')
echo "after the upgrade: $(echo $products)"
[ "$(grep -c 'DisplayName' <<<"$products")" = 1 ] || fail "the older version stayed installed beside the newer"
wine_run msiexec /x "$(windows_path "$work/Kestro-newer.msi")" /qn
expect_removed "the newer version uninstalled"
echo "PASS"
