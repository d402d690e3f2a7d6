#!/usr/bin/env bash
# Two builds of Kestro side by side, in alternating rounds, for a before and
# an after on one machine: kestro /PNP /Type1 on the Dell XPS 15 9560 fixture
# tree mounted over /sys in a private mount namespace (writing Kestro.ini, as
# bench/kestro_on_fixture.sh runs it, and into the null device), and, when
# kestro-replay stands beside both programs, kestro-replay into the null
# device on the realistic snapshot, on its devices 100,000 times, and on the
# fault tests' large input. Prints one table (bench/compare_builds.py says how
# it is read). Needs root, hyperfine and GNU time.
#   bench/compare_builds.sh OLD_KESTRO NEW_KESTRO [ROUNDS] [OUT_DIR]
# ROUNDS defaults to 100; OUT_DIR, where the tree, the snapshots and the
# reports go, to a temporary folder removed at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 2; fi
old=$(realpath "$1")
new=$(realpath "$2")
rounds=${3:-100}
if [ "$(id -u)" -ne 0 ]; then echo "compare_builds.sh: needs root (the fixture tree is mounted over /sys)" >&2; exit 1; fi
if [ -n "${4:-}" ]; then
  out=$4
  mkdir -p "$out"
else
  out=$(mktemp -d /tmp/kestro-compare.XXXXXX)
  trap 'rm -rf "$out"' EXIT
fi
out=$(cd "$out" && pwd)

rm -rf "$out/sysfs"
python3 "$top/tests/fixtures/sysfs/make_sysfs_tree.py" --smbios "$top/tests/fixtures/smbios" --out "$out/sysfs" \
  "$top/tests/fixtures/sysfs/dell-xps15-9560.machine" >/dev/null
python3 "$top/bench/make_realistic_snapshot.py" >"$out/realistic.json"
python3 "$top/bench/make_realistic_snapshot.py" 100000 >"$out/realistic100k.json"
# The large input of the fault tests: the worked example's one device path
# numbered 100,000 times, and a table of 10 MB.
python3 - "$top/tests/golden/snapshots/worked-example.json" >"$out/large.json" <<'EOF'
import json, sys
snapshot = json.load(open(sys.argv[1]))
devices = snapshot["root\\CIMV2"]["Win32_SystemDevices"]
path = devices[0]["PartComponent"]
snapshot["root\\CIMV2"]["Win32_SystemDevices"] = [{"PartComponent": path + str(i)} for i in range(100000)]
snapshot["root\\WMI"]["MSSmBios_RawSMBiosTables"][0]["SMBiosData"] = [7] * (10 * 1024 * 1024)
json.dump(snapshot, sys.stdout)
EOF

unshare -m --propagation private bash -c "
  set -e
  mount --bind '$out/sysfs/dell-xps15-9560' /sys
  cd '$out'
  '$new' /PNP /Type1  # the report exists from here on, as in every timed run
  python3 '$top/bench/compare_builds.py' '$old' '$new' '$rounds' '$out'
"
