#!/usr/bin/env bash
# Runs the Linux command lines of the README's deployment examples as a
# systemd unit, cron or Ansible would, with kestro-replay on SNAPSHOT in the
# place of /usr/bin/kestro and a host name for the tools' own placeholders.
# They write into /var/lib/kestro, so they run in a private mount namespace
# over a scratch /var/lib (skipped, 77, when not root or when no namespace is
# allowed). Each must end with status 0 and leave one report,
# /var/lib/kestro/kestro-*.ini, with exactly the sections its marker names.
# Usage: readme_examples_test.sh KESTRO_REPLAY SNAPSHOT README
set -euo pipefail
replay=$1 snapshot=$2 readme=$3

if [ -z "${KESTRO_IN_PRIVATE_MOUNTS:-}" ]; then
  [ "$(id -u)" -eq 0 ] || { echo "SKIP: the examples write into /var/lib, which needs root"; exit 77; }
  unshare -m --propagation private true 2>/dev/null || { echo "SKIP: no private mount namespace allowed"; exit 77; }
  KESTRO_IN_PRIVATE_MOUNTS=1 exec unshare -m --propagation private "$0" "$@"
fi
mount -t tmpfs kestro-var-lib /var/lib

examples=$("$(dirname "$0")/readme_examples.sh" "$readme" linux /usr/bin/kestro)
[ -n "$examples" ] || { echo "FAIL: no Linux example in $readme"; exit 1; }
failures=0
while IFS='|' read -r sections command; do
  command=${command//\/usr\/bin\/kestro/$replay $snapshot}
  command=${command//%H/example-host}
  command=${command//\{\{ inventory_hostname \}\}/example-host}
  mkdir /var/lib/kestro  # as StateDirectory=, the Ansible task or mkdir -p make it
  status=0
  (cd / && sh -c "$command") || status=$?
  written=$(find /var/lib -type f)
  found=$(grep -h '^\[' /var/lib/kestro/kestro-*.ini 2>/dev/null | tr -d '\r' | paste -sd ' ') || true
  if [ "$status" -eq 0 ] && [[ "$written" == /var/lib/kestro/kestro-*.ini ]] && [ "$found" = "$sections" ]; then
    echo "ok   $command"
  else
    echo "FAIL $command: status $status, wrote [$written] with $found"
    failures=$((failures + 1))
  fi
  rm -rf /var/lib/kestro
done <<<"$examples"
[ "$failures" -eq 0 ]
