#!/usr/bin/env bash
# The version number is written once, in CMakeLists.txt; a copy of it in the
# sources, the data or the build rules would not follow the next release.
# Usage: version_one_source.sh VERSION SOURCE_ROOT
set -euo pipefail
version=$1
cd "$2"
pattern="(^|[^0-9.])${version//./\\.}([^0-9.]|$)"
if grep -rnIE "$pattern" src data cmake scripts; then
  echo "版本号 $version 只应写在 CMakeLists.txt 的 project(... VERSION ...) 中" >&2
  exit 1
fi
