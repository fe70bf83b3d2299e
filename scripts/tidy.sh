#!/usr/bin/env bash
# Runs clang-tidy over the library and tools with the project's .clang-tidy,
# using the compile commands of a build folder (default build-test).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" >/dev/null
files=$(git ls-files 'src/*.cpp' 'tools/*.cpp' 'python/*.cpp')
# GCC-only warning switches in the compile commands are unknown to clang.
clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option $files
