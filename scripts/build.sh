#!/usr/bin/env bash
# Configures and builds into ./build (Release with debug information).
# Arguments name the targets to build (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build ${1:+--target "$@"}
