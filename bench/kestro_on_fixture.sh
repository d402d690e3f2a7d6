#!/usr/bin/env bash
# kestro itself on a fixture sysfs tree of the Dell XPS 15 9560 (its real
# SMBIOS table, its entry point and a device list), mounted over /sys in a
# private mount namespace, side by side with the same work done by others:
# dmidecode -t 1 reading the same tree (the entry point and DMI under
# /sys/firmware/dmi/tables), and a trivial C writer making a file of the
# report's size with kestro's flushes. Output goes to the null device.
# Beside them run two floors (bench/syscall_floor.py): static C programs that
# make exactly kestro's system calls for each of its two commands and
# compute nothing, the least any program reading and writing the same can
# cost. Needs root and strace.
#   bench/kestro_on_fixture.sh ROUNDS OUT_DIR [RUNS_PER_ROUND]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=$1
out=$2
runs=${3:-200}
if [ "$(id -u)" -ne 0 ]; then echo "(kestro on a fixture tree: skipped, needs root)"; exit 0; fi
rm -rf "$out/sysfs"
mkdir -p "$out"
python3 "$top/tests/fixtures/sysfs/make_sysfs_tree.py" --smbios "$top/tests/fixtures/smbios" --out "$out/sysfs" \
  "$top/tests/fixtures/sysfs/dell-xps15-9560.machine" >/dev/null
gcc -O2 "$top/bench/trivial_writer.c" -o "$out/trivial_writer"
tree="$out/sysfs/dell-xps15-9560"
kestro=${KESTRO:-$top/build/release/src/kestro}
unshare -m --propagation private bash -c "
  set -e
  mount --bind '$tree' /sys
  cd '$out'
  '$kestro' /PNP /Type1 /File:'$out/fixture.ini'
  dmidecode -t 1 | grep -q 'Product Name: XPS 15 9560'
  size=\$(stat -c %s '$out/fixture.ini')
  echo \"kestro on the fixture tree: \$(grep -c '^PNPDEVICE' '$out/fixture.ini') devices; report \$size bytes.\"
  echo
  '$kestro' /PNP /Type1  # the report exists from here on, as in every timed run
  strace -o '$out/null.strace' '$kestro' /PNP /Type1 /File:/dev/null
  strace -o '$out/file.strace' '$kestro' /PNP /Type1
  for run in null file; do
    python3 '$top/bench/syscall_floor.py' \"$out/\$run.strace\" >\"$out/floor-\$run.c\"
    gcc -O2 -static \"$out/floor-\$run.c\" -o \"$out/floor-\$run\"
  done
  python3 '$top/bench/whole_runs.py' '$rounds' '$runs' \
    'kestro-null=$kestro /PNP /Type1 /File:/dev/null' \
    'dmidecode-t1=dmidecode -t 1' \
    'kestro-file=$kestro /PNP /Type1' \
    \"trivial-writer=$out/trivial_writer $out/t.ini \$size\" \
    'floor-null=$out/floor-null' 'floor-file=$out/floor-file' \
    --compare=kestro-null:dmidecode-t1 --compare=kestro-file:trivial-writer \
    --compare=floor-null:dmidecode-t1 --compare=floor-file:trivial-writer \
    --compare=kestro-null:floor-null --compare=kestro-file:floor-file
"
