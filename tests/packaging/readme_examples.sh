# The README's marked examples, for the tests that run them (sourced).
# KESTRO_README names the README.

# Prints, for each line holding START of the fenced blocks marked
# "<!-- example: KIND [Section]... -->", "SECTIONS|COMMAND": the sections the
# marker names and the line from START on.
readme_examples() {
  awk -v kind="$1" -v start="$2" '
    match($0, /^<!-- example: [^ ]+/) {
      marked = substr($0, 15, RLENGTH - 14) == kind
      sections = substr($0, RLENGTH + 2)
      sub(/ *-->.*$/, "", sections)
      next
    }
    /^```/ { inside = !inside; if (!inside) marked = 0; next }
    marked && inside && index($0, start) { print sections "|" substr($0, index($0, start)) }
  ' "$KESTRO_README"
}

# Passes when the run of COMMAND ended with STATUS 0 and left one file in
# FOLDER, a report kestro-*.ini with exactly SECTIONS; says which.
check_example_run() {
  local command=$1 status=$2 folder=$3 sections=$4 written found
  written=$(ls -A "$folder" 2>/dev/null | paste -sd ' ')
  found=$(grep -h '^\[' "$folder"/kestro-*.ini 2>/dev/null | tr -d '\r' | paste -sd ' ') || true
  if [ "$status" -eq 0 ] && [[ "$written" == kestro-*.ini && "$written" != *" "* ]] && [ "$found" = "$sections" ]; then
    echo "ok   $command"
  else
    echo "FAIL $command: status $status, wrote [$written] with $found"
    return 1
  fi
}
