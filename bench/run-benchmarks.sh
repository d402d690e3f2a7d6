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
echo

echo "## File-mode start-up with and without the viewer built"
echo
cmake -S "$top" -B "$top/build/bench-noviewer" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRO_BUILD_TESTS=OFF \
  -DKESTRO_BUILD_VIEWER=OFF >/dev/null
cmake --build "$top/build/bench-noviewer" >/dev/null
python3 "$top/bench/whole_runs.py" "$rounds" 200 \
  "viewer-built=$replay $out/realistic.json /PNP /Type1 /File:$out/v.ini" \
  "no-viewer-build=$top/build/bench-noviewer/src/kestro-replay $out/realistic.json /PNP /Type1 /File:$out/n.ini"
echo
echo "Shared objects a file-mode run maps: $(LD_DEBUG=libs "$replay" "$out/realistic.json" /File:"$out/l.ini" 2>&1 \
  | grep -c 'calling init:') (no Qt library among them)."
echo

echo "## Where the remaining time goes (callgrind, instructions)"
echo
echo '```'
(cd "$out" && valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" "$replay" realistic.json /PNP /Type1 \
  /File:"$out/c.ini" 2>&1 | grep -E 'refs')
callgrind_annotate "$out/callgrind.out" 2>/dev/null | sed -n '/file:function/,$p' | sed -n '3,14p' \
  | sed -E 's/nlohmann::json_abi_v[0-9_]+::detail::([a-z_]+)<[^ ]*> ?>::/nlohmann \1::/; s/\[[^]]*\]$//' | cut -c1-110
echo '```'
