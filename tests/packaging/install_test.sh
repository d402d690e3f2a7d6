#!/usr/bin/env bash
# Installs the Debian packages from build/packages as a user would, without
# changing this machine: in a private mount namespace, over overlays of /usr,
# /var and /etc whose changes go to a tmpfs that vanishes with the namespace.
# Skips (77) when not root, when no namespace is allowed or when the packages
# have not been built (./scripts/build-packages.sh).
# Usage: install_test.sh PACKAGE-DIR SNAPSHOT with-snapshot|without-snapshot
set -euo pipefail
packages=$1 snapshot=$2 snapshot_program=$3

if [ -z "${KESTRO_IN_PRIVATE_MOUNTS:-}" ]; then
  [ "$(id -u)" -eq 0 ] || { echo "SKIP: installing packages needs root"; exit 77; }
  ls "$packages"/kestro_*.deb "$packages"/kestro-viewer_*.deb >/dev/null 2>&1 ||
    { echo "SKIP: no packages in $packages"; exit 77; }
  unshare -m --propagation private true 2>/dev/null || { echo "SKIP: no private mount namespace allowed"; exit 77; }
  trace() { ls -ld /usr/bin/kestro* /usr/lib/*/kestro /usr/share/doc/kestro* /usr/share/man/man1/kestro* 2>&1 || true
            md5sum /var/lib/dpkg/status; }
  before=$(trace)
  status=0
  KESTRO_IN_PRIVATE_MOUNTS=1 unshare -m --propagation private "$0" "$@" || status=$?
  [ "$(trace)" = "$before" ] || { echo "FAIL: the real system changed: $(trace)"; exit 1; }
  exit $status
fi

scratch=$(mktemp -d)
mount -t tmpfs kestro-overlays "$scratch"  # overlayfs wants its upper layer off any overlay
for tree in usr var etc; do
  mkdir "$scratch/$tree" "$scratch/$tree.work"
  mount -t overlay overlay -o "lowerdir=/$tree,upperdir=$scratch/$tree,workdir=$scratch/$tree.work" "/$tree"
done

failures=0
check() {  # check WHAT COMMAND...: passes when COMMAND does
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# show_window: starts kestro-replay's window offscreen (it stays until ended),
# prints the program its process has become (kestro-viewer, by exec: the same
# process), then ends it.
show_window() {
  QT_QPA_PLATFORM=offscreen /usr/bin/kestro-replay "$snapshot" /SHOWDIALOG >/dev/null 2>&1 &
  local pid=$! running=""
  for _ in $(seq 100); do
    running=$(readlink "/proc/$pid/exe" 2>/dev/null) || true
    [[ "$running" == */kestro-viewer ]] && break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  echo "$running"
}

DEBIAN_FRONTEND=noninteractive dpkg -i "$packages"/kestro_*.deb "$packages"/kestro-viewer_*.deb >/dev/null
check "kestro --version" [ "$(/usr/bin/kestro --version)" = "Kestro $KESTRO_VERSION_TEXT" ]
programs=(kestro kestro-replay)
[ "$snapshot_program" = with-snapshot ] && programs+=(kestro-snapshot)
for program in "${programs[@]}"; do
  check "$program in /usr/bin" test -x "/usr/bin/$program"
  check "man -w $program" [ "$(man -w "$program")" = "/usr/share/man/man1/$program.1.gz" ]
done
for program in kestro kestro-replay kestro-snapshot; do
  [ -e "/usr/bin/$program" ] || continue
  check "$program linked statically" grep -q 'statically linked' <<<"$(file -L "/usr/bin/$program")"
done
viewer=$(dpkg -L kestro-viewer | grep '/kestro/kestro-viewer$')
check "viewer in /usr/lib/<multiarch>/kestro" grep -Eqx '/usr/lib/[a-z0-9_]+-linux-gnu/kestro/kestro-viewer' <<<"$viewer"
check "/SHOWDIALOG runs the installed kestro-viewer" [ "$(show_window)" = "$viewer" ]

dpkg -r kestro-viewer >/dev/null
error=$(QT_QPA_PLATFORM=offscreen /usr/bin/kestro-replay "$snapshot" /SHOWDIALOG 2>&1 >/dev/null) && status=0 || status=$?
echo "without kestro-viewer: $error"
check "without kestro-viewer: exit status 1" [ "$status" -eq 1 ]
check "without kestro-viewer: error 1002 naming the viewer" \
  grep -q "^kestro-replay: run-time error 1002: .*$viewer" <<<"$error"
[ "$failures" -eq 0 ]
