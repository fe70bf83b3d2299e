#!/usr/bin/env bash
# Puts the module graph the build checks (the modules and their stated uses,
# written by the configure step) into docs/ARCHITECTURE.md as a Mermaid
# flowchart, between the "module graph" markers. With --check it only says
# whether the document is up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
check=false
if [ "${1:-}" = "--check" ]; then
  check=true
  shift
fi
build=${1:-build}
graph=$build/modules/graph.mmd
# The check reads what a configured build wrote; only a fresh one configures.
if ! $check || [ ! -f "$graph" ]; then cmake -S . -B "$build" >/dev/null; fi
doc=docs/ARCHITECTURE.md
begin='<!-- module graph: begin (scripts/module_graph.sh) -->'
end='<!-- module graph: end -->'
updated=$(mktemp)
trap 'rm -f "$updated"' EXIT
awk -v begin="$begin" -v end="$end" -v graph="$graph" '
  $0 == begin { print; print "```mermaid"; while ((getline line < graph) > 0) print line;
                print "```"; skipping = 1; next }
  $0 == end { skipping = 0 }
  !skipping { print }' "$doc" >"$updated"
if $check; then
  cmp -s "$doc" "$updated" || { echo "$doc: module graph out of date (run $0)"; exit 1; }
else
  cp "$updated" "$doc"
fi
