#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs every test (offscreen).
# Extra arguments go to ctest, e.g. ./test.sh -L web, or ./test.sh -LE e2e to leave
# out the longest end-to-end runs while working.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-debian.sh
./scripts/check-includes.sh
./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
unset QTWEBENGINE_CHROMIUM_FLAGS
ctest --test-dir build --output-on-failure -j2 "$@"
