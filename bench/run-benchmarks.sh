#!/usr/bin/env bash
# Every benchmark, in one sitting; prints the figures BENCHMARKS.md records.
#   bench/run-benchmarks.sh [ROUNDS]     (whole runs: ROUNDS x 200 runs each, default 10)
# Needs hyperfine, dmidecode and GNU time (scripts/setup-debian.sh installs them);
# the run of kestro on a fixture tree needs root (a private mount namespace).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-10}
cd "$top"
cmake --preset release >/dev/null && cmake --build --preset release >/dev/null
cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null
out="$top/build/bench/results"
mkdir -p "$out"

echo "## Machine"
echo
echo "- $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB"
echo "- $(. /etc/os-release; echo "$PRETTY_NAME"), kernel $(uname -r), $(g++ --version | head -1)"
echo

echo "## Inner pieces (Google Benchmark)"
echo
echo '```'
"$top/build/bench/bench/kestro_bench" --benchmark_min_time=0.3 --benchmark_out="$out/core.json" \
  --benchmark_out_format=json 2>/dev/null | grep -E '^(BM_|-|Benchmark)'
echo '```'
echo

echo "## Whole runs"
echo
python3 "$top/bench/make_realistic_snapshot.py" >"$out/realistic.json"
replay="$top/build/release/src/kestro-replay"
(cd "$out" && "$replay" realistic.json /PNP /Type1 /File:"$out/realistic.ini")
size=$(stat -c %s "$out/realistic.ini")
gcc -O2 "$top/bench/trivial_writer.c" -o "$out/trivial_writer"
table="$top/tests/fixtures/smbios/dell-xps15-9560"
echo "Realistic snapshot: the Dell XPS 15 9560 table ($(stat -c %s "$table.bin") bytes), 150 devices; report $size bytes."
echo
python3 "$top/bench/whole_runs.py" "$rounds" 200 \
  "kestro-replay=$replay $out/realistic.json /PNP /Type1 /File:$out/r.ini" \
  "dmidecode=dmidecode --from-dump $table.dump-bin -t 1" \
  "trivial-writer=$out/trivial_writer $out/t.ini $size"
echo
"$top/bench/kestro_on_fixture.sh" "$rounds" "$out"
