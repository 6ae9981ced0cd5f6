#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and starts the window (zorvane-picker).
# Arguments are passed to the program, e.g. ./run.sh --demo
# Set-up messages go to stderr; the build's own output goes to build/build.log.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-debian.sh >&2
mkdir -p build
if ! ./scripts/build.sh >build/build.log 2>&1; then
  tail -n 30 build/build.log >&2
  echo "编译失败,完整输出见 build/build.log" >&2
  exit 1
fi
exec ./build/src/shell/zorvane-picker "$@"
