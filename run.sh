#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and starts the program.
# Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-debian.sh
./scripts/build.sh
if [[ -x ./build/src/zorvane-picker-batch ]]; then
  exec ./build/src/zorvane-picker-batch "$@"
fi
echo "程序尚在开发中,已编译的部分:"
find build/src -maxdepth 1 -type f \( -name '*.a' -o -perm -u+x \) -printf '  %f\n'
