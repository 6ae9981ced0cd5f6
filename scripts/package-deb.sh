#!/usr/bin/env bash
# Builds the Debian package build/package/zorvane-picker_<version>_amd64.deb
# from the tree (the two programs only, not the tests), checks its AppStream
# metadata as installed, and prints the package's path and its Depends line.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh >&2
./scripts/build.sh zorvane-picker zorvane-picker-batch >&2
out=build/package
rm -rf "$out"
cpack --config build/CPackConfig.cmake -B "$out" >&2
debs=("$out"/zorvane-picker_*_amd64.deb)
deb=${debs[0]}

# Checked as the package lays it out: the metadata, and the desktop entry and
# icon it names.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml >&2
appstreamcli validate-tree --no-net "$tree" >&2

echo "Depends: $(dpkg-deb -f "$deb" Depends)" >&2
echo "$deb"
