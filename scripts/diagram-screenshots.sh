#!/usr/bin/env bash
# Renders the sample model's diagrams as qxdiagram exports them, and the
# web page of the overview as Chromium shows it, into docs/screenshots/.
# Usage: scripts/diagram-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bin=$build/bin
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data XDG_CACHE_HOME=$sandbox/cache
export HOME=$sandbox/home QXVB_MACHINE_DIR=$sandbox/machine TMPDIR=$sandbox/tmp
mkdir -p "$TMPDIR" "$HOME" docs/screenshots
"$bin/qxrepo" create "$sandbox/orders.qxr" >/dev/null
"$bin/qxrepo" model "$sandbox/orders.qxr" data/diagrams/sample-model.xml >/dev/null
"$bin/qxdiagram" -q --html -o "$sandbox/site" "$sandbox/orders.qxr"
for n in 1 2 3 4; do cp "$sandbox/site/diagram-$n.png" "docs/screenshots/diagram-$n.png"; done
chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
  --disable-component-update --disable-sync --no-first-run \
  --user-data-dir="$sandbox/chromium" --window-size=1000,760 \
  --screenshot="$PWD/docs/screenshots/diagram-page.png" \
  "file://$sandbox/site/diagram-1.html" >/dev/null 2>&1
echo "wrote docs/screenshots/diagram-{1,2,3,4}.png and diagram-page.png"
