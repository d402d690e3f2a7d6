#!/usr/bin/env bash
# Start-up of a file-mode run of kestro-replay with the viewer program built
# beside it and in a build without it (-DKESTRO_BUILD_VIEWER=OFF): the viewer
# is started only for /SHOWDIALOG, so the two should be within noise. For
# scale, a third run becomes the viewer and loads Qt (/SHOWDIALOG without a
# display).
# Builds both (RelWithDebInfo, as the tests) under build/bench-*, then runs
# hyperfine.
# Usage: tests/viewer/bench_file_mode_startup.sh [RUNS]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-2000}

for variant in viewer:ON noviewer:OFF; do
  name=${variant%%:*} option=${variant##*:}
  cmake -S "$top" -B "$top/build/bench-$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_BUILD_TESTS=OFF \
    -DKESTRO_BUILD_VIEWER="$option" >/dev/null
  if ! cmake --build "$top/build/bench-$name" -j2 >"$top/build/bench-$name.log" 2>&1; then
    tail -n 30 "$top/build/bench-$name.log" >&2
    exit 1
  fi
done
[ -e "$top/build/bench-viewer/src/kestro-viewer" ] || { echo "the viewer was not built" >&2; exit 1; }
[ ! -e "$top/build/bench-noviewer/src/kestro-viewer" ] || { echo "stale viewer program" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
snapshot="$top/tests/viewer/viewer_snapshot.json"
cd "$work"
hyperfine -N --warmup 100 --runs "$runs" --export-json "$work/result.json" \
  -n "with viewer built" "$top/build/bench-viewer/src/kestro-replay $snapshot /PNP /Type1 /File:$work/a.ini" \
  -n "without viewer" "$top/build/bench-noviewer/src/kestro-replay $snapshot /PNP /Type1 /File:$work/b.ini" \
  -n "reference: /SHOWDIALOG, no display (becomes the viewer, loads Qt, then fails)" -i \
  "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $top/build/bench-viewer/src/kestro-replay $snapshot /SHOWDIALOG"
python3 - "$work/result.json" <<'PY'
import json, sys
for result in json.load(open(sys.argv[1]))["results"]:
    print(f'{result["command"]}: median {result["median"] * 1000:.2f} ms, mean {result["mean"] * 1000:.2f} '
          f'± {result["stddev"] * 1000:.2f} ms over {len(result["times"])} runs')
PY
