#!/usr/bin/env bash
# kestro itself on a fixture sysfs tree of the Dell XPS 15 9560 (its real
# SMBIOS table and a device list), mounted over /sys in a private mount
# namespace, side by side with dmidecode on the same table and a trivial
# writer of a file of the same size. Needs root.
#   bench/kestro_on_fixture.sh ROUNDS OUT_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=$1
out=$2
if [ "$(id -u)" -ne 0 ]; then echo "(kestro on a fixture tree: skipped, needs root)"; exit 0; fi
rm -rf "$out/sysfs"
python3 "$top/tests/fixtures/sysfs/make_sysfs_tree.py" --smbios "$top/tests/fixtures/smbios" --out "$out/sysfs" \
  "$top/tests/fixtures/sysfs/dell-xps15-9560.machine" >/dev/null
tree="$out/sysfs/dell-xps15-9560"
kestro="$top/build/release/src/kestro"
table="$top/tests/fixtures/smbios/dell-xps15-9560"
unshare -m --propagation private bash -c "
  set -e
  mount --bind '$tree' /sys
  cd '$out'
  '$kestro' /PNP /Type1 /File:'$out/fixture.ini'
  size=\$(stat -c %s '$out/fixture.ini')
  echo \"kestro on the fixture tree: \$(grep -c '^PNPDEVICE' '$out/fixture.ini') devices; report \$size bytes.\"
  echo
  python3 '$top/bench/whole_runs.py' '$rounds' 200 \
    'kestro=$kestro /PNP /Type1 /File:$out/k.ini' \
    'dmidecode=dmidecode --from-dump $table.dump-bin -t 1' \
    \"trivial-writer=$out/trivial_writer $out/t.ini \$size\"
"
