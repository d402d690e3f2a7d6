#!/usr/bin/env bash
# Runs the Linux command lines of the README's deployment examples as a
# systemd unit, cron or Ansible would, with kestro-replay on SNAPSHOT in the
# place of /usr/bin/kestro and a host name for the tools' placeholders. They
# write into /var/lib/kestro: in a private mount namespace over a scratch
# /var/lib (skipped, 77, when not root or when no namespace is allowed).
# Usage: readme_examples_test.sh KESTRO_REPLAY SNAPSHOT README
set -euo pipefail
replay=$1 snapshot=$2 KESTRO_README=$3
source "$(dirname "$0")/readme_examples.sh"

if [ -z "${KESTRO_IN_PRIVATE_MOUNTS:-}" ]; then
  [ "$(id -u)" -eq 0 ] || { echo "SKIP: the examples write into /var/lib, which needs root"; exit 77; }
  unshare -m --propagation private true 2>/dev/null || { echo "SKIP: no private mount namespace allowed"; exit 77; }
  KESTRO_IN_PRIVATE_MOUNTS=1 exec unshare -m --propagation private "$0" "$@"
fi
mount -t tmpfs kestro-var-lib /var/lib

examples=$(readme_examples linux /usr/bin/kestro)
[ -n "$examples" ] || { echo "FAIL: no Linux example in $KESTRO_README"; exit 1; }
failures=0
while IFS='|' read -r sections command; do
  command=${command//\/usr\/bin\/kestro/$replay $snapshot}
  command=${command//%H/example-host}
  command=${command//\{\{ inventory_hostname \}\}/example-host}
  mkdir /var/lib/kestro  # as StateDirectory=, the Ansible task or mkdir -p make it
  status=0
  (cd / && sh -c "$command") || status=$?
  check_example_run "$command" "$status" /var/lib/kestro "$sections" || failures=$((failures + 1))
  [ "$(ls -A /var/lib)" = kestro ] || { echo "FAIL $command: wrote beside /var/lib/kestro"; failures=$((failures + 1)); }
  rm -rf /var/lib/kestro
done <<<"$examples"
[ "$failures" -eq 0 ]
