#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang, ASan, UBSan) and runs
# each for a bounded time on its corpus: seeds from the real tables and the
# test fixtures, plus what earlier runs found. Any finding fails the run.
#   fuzz/run-fuzzers.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cmake --preset fuzz -S "$top" >/dev/null
cmake --build "$top/build/fuzz"

bin="$top/build/fuzz/fuzz"
work="$top/build/fuzz/corpus"
seeds="$top/fuzz/seeds"
tables="$top/tests/fixtures/smbios"
declare -A seed_dirs=(
  [smbios_bytes]="$tables"
  [walk_text]="$seeds/walk_text"
  [model_text]="$seeds/model_text"
  [command_line]="$seeds/command_line"
  [device_patterns]="$seeds/device_patterns"
  [snapshot]="$top/tests/golden/snapshots"
  [code_page]="$seeds/model_text"
  [usb_descriptors]="$seeds/usb_descriptors"
)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in smbios_bytes walk_text model_text command_line device_patterns snapshot code_page usb_descriptors; do
  mkdir -p "$work/$target" "$top/build/fuzz/findings"
  echo "== $target: ${seconds}s"
  if ! "$bin/${target}_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$top/build/fuzz/findings/${target}-" -print_final_stats=1 \
        "$work/$target" ${seed_dirs[$target]} 2>"$work/$target.log"; then
    echo "!! $target found a problem:"; tail -40 "$work/$target.log"; status=1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$target.log" | sed 's/^/   /' || true
done
exit $status
