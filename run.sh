#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and starts the program.
# Arguments are passed to the program; set-up and build messages go to stderr.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-debian.sh >&2
./scripts/build.sh >&2
exec ./build/src/shell/zorvane-picker-batch "$@"
