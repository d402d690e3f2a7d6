#!/usr/bin/env bash
# The command lines of the README's marked examples: a fenced block right
# behind "<!-- example: KIND [Section]... -->". Prints, for each line of the
# blocks of KIND that holds START, "SECTIONS|COMMAND": the sections named in
# the marker and the line from START on.
# Usage: readme_examples.sh README KIND START
set -euo pipefail
awk -v kind="$2" -v start="$3" '
  match($0, /^<!-- example: [^ ]+/) {
    marked = substr($0, 15, RLENGTH - 14) == kind
    sections = substr($0, RLENGTH + 2)
    sub(/ *-->.*$/, "", sections)
    next
  }
  /^```/ { inside = !inside; if (!inside) marked = 0; next }
  marked && inside && index($0, start) { print sections "|" substr($0, index($0, start)) }
' "$1"
