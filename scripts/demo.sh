#!/usr/bin/env bash
# Builds the library and its tools, then runs the tour in a sandboxed state
# folder that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQXVB_TESTS=OFF -DQXVB_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
bash scripts/tour.sh build/bin
