#!/usr/bin/env bash
# What the JSON report costs beside the INI report of the same run, side by
# side in rotating rounds (bench/whole_runs.py): kestro /PNP /Type1 on the
# Dell XPS 15 9560 fixture tree mounted over /sys in a private mount
# namespace (writing Kestro.ini or Kestro.json), and kestro-replay /PNP /Type1
# on the realistic snapshot with its devices 100,000 times (into the null
# device). Needs root and hyperfine.
#   bench/json_cost.sh ROUNDS OUT_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=$1
out=$2
if [ "$(id -u)" -ne 0 ]; then echo "(the JSON report's cost: skipped, needs root)"; exit 0; fi
build=${KESTRO_BUILD:-$top/build/release}
rm -rf "$out/sysfs"
mkdir -p "$out"
out=$(cd "$out" && pwd)
python3 "$top/tests/fixtures/sysfs/make_sysfs_tree.py" --smbios "$top/tests/fixtures/smbios" --out "$out/sysfs" \
  "$top/tests/fixtures/sysfs/dell-xps15-9560.machine" >/dev/null
python3 "$top/bench/make_realistic_snapshot.py" | python3 -c '
import json, sys
snapshot = json.load(sys.stdin)
devices = snapshot["root\\CIMV2"]["Win32_SystemDevices"]
snapshot["root\\CIMV2"]["Win32_SystemDevices"] = (devices * (100000 // len(devices) + 1))[:100000]
json.dump(snapshot, sys.stdout)' >"$out/realistic100k.json"
kestro=$build/src/kestro
replay=$build/src/kestro-replay
unshare -m --propagation private bash -c "
  set -e
  mount --bind '$out/sysfs/dell-xps15-9560' /sys
  cd '$out'
  '$kestro' /PNP /Type1 && '$kestro' --json /PNP /Type1  # both reports exist from here on
  echo 'kestro /PNP /Type1 on the fixture tree, $rounds rounds of 200 runs:'
  python3 '$top/bench/whole_runs.py' '$rounds' 200 'ini=$kestro /PNP /Type1' 'json=$kestro --json /PNP /Type1' \
    --compare=json:ini
  echo
  echo 'kestro-replay /PNP /Type1 /File:/dev/null, 100,000 devices, $rounds rounds of 5 runs:'
  python3 '$top/bench/whole_runs.py' '$rounds' 5 \
    'ini=$replay $out/realistic100k.json /PNP /Type1 /File:/dev/null' \
    'json=$replay --json $out/realistic100k.json /PNP /Type1 /File:/dev/null' --compare=json:ini
"
